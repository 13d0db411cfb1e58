#include "ExamClient.h"

#include "ExamProtocol.h"
#include "Failure.h"

using namespace ExamProtocol;

namespace {

QString outOfProtocol() {
    return QStringLiteral("Программа проверки тестов ответила не по правилам.");
}

} // namespace

ExamClient::ExamClient(std::unique_ptr<ExamChannel> channel)
    : m_channel(std::move(channel)) {}

QStringList ExamClient::request(const QStringList& fields) {
    const std::optional<QStringList> reply = decode(m_channel->exchange(encode(fields)));
    if (!reply || reply->isEmpty())
        throw Failure(outOfProtocol());
    const QString& verb = reply->first();
    if (verb == QLatin1String(kError) && reply->size() == 2)
        throw Failure(reply->at(1));
    if (verb == QLatin1String(kInvalid))
        throw Failure(QStringLiteral("Программа проверки тестов отклонила запрос: ") +
                      reply->value(1));
    return *reply;
}

QStringList ExamClient::variants(const QString& subject) {
    QStringList reply = request({QLatin1String(kList), subject});
    if (reply.first() != QLatin1String(kOk))
        throw Failure(outOfProtocol());
    reply.removeFirst();
    return reply;
}

ExamClient::Opened ExamClient::open(const QString& name, const QString& group,
                                    const QString& subject, const QString& variant) {
    const QStringList reply = request({QLatin1String(kOpen), name, group, subject, variant});
    Opened opened;
    if (reply.first() == QLatin1String(kRefused) && reply.size() == 2) {
        opened.refusal = reply.at(1);
        return opened;
    }
    bool counted = false;
    if (reply.first() != QLatin1String(kOk) || reply.size() < 3)
        throw Failure(outOfProtocol());
    opened.keys = reply.at(1).toInt(&counted);
    if (!counted || opened.keys < 0)
        throw Failure(outOfProtocol());
    opened.version = reply.at(2);
    for (qsizetype i = 3; i < reply.size(); ++i)
        opened.questions.append(splitLines(reply.at(i)));
    return opened;
}

ExamClient::Finished ExamClient::finish(const QString& localeName, const QByteArray& answers) {
    const QStringList reply =
        request({QLatin1String(kFinish), localeName, QString::number(answers.size()),
                 QString::fromLatin1(answersText(answers))});
    Finished finished;
    if (reply.first() == QLatin1String(kFull) && reply.size() == 1) {
        finished.full = true;
    } else if (reply.first() == QLatin1String(kOk) && reply.size() == 2) {
        finished.report = reply.at(1);
    } else {
        throw Failure(outOfProtocol());
    }
    return finished;
}
