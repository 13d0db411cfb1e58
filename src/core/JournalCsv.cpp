#include "JournalCsv.h"

#include <algorithm>

namespace JournalCsv {
namespace {

QChar separator(Dialect dialect) {
    return dialect == Dialect::ExcelRu ? QLatin1Char(';') : QLatin1Char(',');
}

QChar decimalSeparator(Dialect dialect) {
    return dialect == Dialect::ExcelRu ? QLatin1Char(',') : QLatin1Char('.');
}

bool isNumberColumn(int column) {
    return column == Right || column == Total || column == Percent;
}

QString count(const std::optional<int>& value) {
    return value ? QString::number(*value) : QString();
}

} // namespace

std::optional<Dialect> dialectNamed(const QString& name) {
    if (name == QLatin1String("excel-ru"))
        return Dialect::ExcelRu;
    if (name == QLatin1String("rfc4180"))
        return Dialect::Rfc4180;
    return std::nullopt;
}

QStringList columnNames() {
    return {QStringLiteral("Файл"),           QStringLiteral("Имя фамилия"),
            QStringLiteral("Учетная запись"), QStringLiteral("Группа"),
            QStringLiteral("Предмет"),        QStringLiteral("Тест"),
            QStringLiteral("Дата"),           QStringLiteral("Время"),
            QStringLiteral("Правильно"),      QStringLiteral("Всего вопросов"),
            QStringLiteral("Процент"),        QStringLiteral("Состояние")};
}

QString columnText(const ReportRecord& row, int column, QChar decimalSeparator) {
    switch (column) {
    case File:
        return row.file();
    case Student:
        return row.student;
    case Account:
        return row.ownerText();
    case Group:
        return row.group;
    case Subject:
        return row.subject;
    case Test:
        return row.test;
    case Date:
        return row.date;
    case Time:
        return row.time;
    case Right:
        return count(row.right);
    case Total:
        return count(row.total);
    case Percent:
        return row.percentText(decimalSeparator);
    case State:
        return row.stateText();
    default:
        return QString();
    }
}

QString field(const QString& text, Dialect dialect) {
    const QChar sep = separator(dialect);
    const bool quote = text.contains(sep) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!quote)
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString textField(const QString& text, Dialect dialect) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return field(QLatin1Char('\'') + text, dialect);
    return field(text, dialect);
}

QByteArray write(const QVector<ReportRecord>& rows, Dialect dialect, bool perQuestion) {
    qsizetype questions = 0;
    if (perQuestion) {
        for (const ReportRecord& row : rows)
            questions = std::max(questions, row.verdicts.size());
    }
    const QString sep(separator(dialect));
    const QString lineEnd = QStringLiteral("\r\n");

    QString out;
    QStringList header;
    for (const QString& name : columnNames())
        header << field(name, dialect);
    for (qsizetype k = 1; k <= questions; ++k)
        header << QStringLiteral("В") + QString::number(k);
    out += header.join(sep) + lineEnd;

    for (const ReportRecord& row : rows) {
        QStringList cells;
        for (int column = 0; column < ColumnCount; ++column) {
            const QString text = columnText(row, column, decimalSeparator(dialect));
            cells << (isNumberColumn(column) ? field(text, dialect) : textField(text, dialect));
        }
        for (qsizetype k = 0; k < questions; ++k) {
            cells << (k < row.verdicts.size()
                          ? QString(row.verdicts.at(k) ? QLatin1Char('1') : QLatin1Char('0'))
                          : QString());
        }
        out += cells.join(sep) + lineEnd;
    }

    QByteArray bytes;
    if (dialect == Dialect::ExcelRu)
        bytes = QByteArray("\xEF\xBB\xBF");
    bytes += out.toUtf8();
    return bytes;
}

} // namespace JournalCsv
