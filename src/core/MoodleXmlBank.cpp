#include "MoodleXmlBank.h"

#include "Failure.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace MoodleXmlBank {
namespace {

using QuestionBank::Bank;
using QuestionBank::Question;

// HTML is the format's default for a text.
bool isHtml(QStringView format) {
    return format.isEmpty() || format == u"html";
}

// A text as its element's "format" says: HTML reduced to plain text.
QString plain(const QString& text, QStringView format) {
    if (isHtml(format))
        return QuestionBank::plainFromHtml(text);
    return text.trimmed();
}

// The <text> of the element the reader is in, reading to that element's end.
QString textOf(QXmlStreamReader& xml) {
    QString out;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"text")
            out = xml.readElementText();
        else
            xml.skipCurrentElement();
    }
    return out;
}

struct Answer {
    double fraction = 0;
    QString text;
};

void readQuestion(QXmlStreamReader& xml, Bank& bank) {
    const QString type = xml.attributes().value(QLatin1String("type")).toString();
    const QString line = QStringLiteral("строка %1").arg(xml.lineNumber());
    QString name;
    QString text;
    QString single;
    QVector<Answer> answers;
    bool picture = false;
    while (xml.readNextStartElement()) {
        const QStringView element = xml.name();
        if (element == u"name") {
            name = textOf(xml).trimmed();
        } else if (element == u"questiontext") {
            const QString format = xml.attributes().value(QLatin1String("format")).toString();
            const QString raw = textOf(xml);
            picture = picture || (isHtml(format) && QuestionBank::hasPicture(raw));
            text = plain(raw, format);
        } else if (element == u"single") {
            single = xml.readElementText().trimmed();
        } else if (element == u"answer") {
            Answer answer;
            answer.fraction = xml.attributes().value(QLatin1String("fraction")).toDouble();
            const QString format = xml.attributes().value(QLatin1String("format")).toString();
            const QString raw = textOf(xml);
            picture = picture || (isHtml(format) && QuestionBank::hasPicture(raw));
            answer.text = plain(raw, format);
            answers.append(answer);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (type == u"category")
        return;
    const QString place = name.isEmpty() ? line : QStringLiteral("вопрос «%1»").arg(name);
    if (type != u"multichoice") {
        bank.skip(place, QStringLiteral("вопрос другого типа (%1)").arg(type));
        return;
    }
    // Without <single> a question takes one answer, as the format's readers take it.
    if (!single.isEmpty() && single != u"true" && single != u"1") {
        bank.skip(place, QStringLiteral("можно выбрать несколько ответов"));
        return;
    }
    if (picture) {
        bank.skip(place, QStringLiteral("рисунок в тексте: в тесте его не показать"));
        return;
    }
    Question q;
    q.place = place;
    q.text = text;
    int rights = 0;
    bool partial = false;
    for (const Answer& answer : answers) {
        if (answer.fraction >= 99.99) {
            ++rights;
            q.right = int(q.options.size());
        } else if (answer.fraction > 0) {
            partial = true;
        }
        q.options.append(answer.text);
    }
    if (rights > 1 || partial) {
        bank.skip(place, QStringLiteral("больше одного правильного ответа"));
        return;
    }
    bank.add(q);
}

} // namespace

void read(const QString& text, Bank& bank) {
    QXmlStreamReader xml(text);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"question")
            readQuestion(xml, bank);
    }
    if (xml.hasError())
        throw Failure(QStringLiteral("не читается как XML: строка %1: %2")
                          .arg(xml.lineNumber())
                          .arg(xml.errorString()));
}

QString write(const QVector<Question>& questions) {
    // Written as bytes so that the declaration names the encoding, UTF-8.
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("quiz"));
    auto textElement = [&](const QString& element, const QString& text, bool plainFormat) {
        xml.writeStartElement(element);
        if (plainFormat)
            xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
        xml.writeTextElement(QStringLiteral("text"), text);
        xml.writeEndElement();
    };
    for (int k = 0; k < questions.size(); ++k) {
        const Question& q = questions.at(k);
        xml.writeStartElement(QStringLiteral("question"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("multichoice"));
        textElement(QStringLiteral("name"), QStringLiteral("Вопрос %1").arg(k + 1), false);
        textElement(QStringLiteral("questiontext"), q.text, true);
        xml.writeTextElement(QStringLiteral("defaultgrade"), QStringLiteral("1"));
        xml.writeTextElement(QStringLiteral("single"), QStringLiteral("true"));
        xml.writeTextElement(QStringLiteral("shuffleanswers"), QStringLiteral("false"));
        xml.writeTextElement(QStringLiteral("answernumbering"), QStringLiteral("ABCD"));
        for (int i = 0; i < q.options.size(); ++i) {
            xml.writeStartElement(QStringLiteral("answer"));
            xml.writeAttribute(QStringLiteral("fraction"),
                               i == q.right ? QStringLiteral("100") : QStringLiteral("0"));
            xml.writeAttribute(QStringLiteral("format"), QStringLiteral("plain_text"));
            xml.writeTextElement(QStringLiteral("text"), q.options.at(i));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return QString::fromUtf8(out);
}

} // namespace MoodleXmlBank
