#pragma once

#include <QString>
#include <QVector>

#include <optional>

// One row of the results journal: what could be read from one entry of a reports folder.
// A field that could not be read stays empty (texts) or unset (numbers).
struct ReportRecord {
    enum class State {
        Agrees,     // the lines agree with each other
        Disagrees,  // readable, but the counts or the percent contradict each other
        Unreadable, // no packed text, or a line that does not fit the report's layout
    };

    QString subjectFolder; // the subject folder the entry was listed in
    QString reportName;    // the entry's name in that subject's reports folder
    // The user ID of the account that owns the file; unset when it could not be opened.
    std::optional<uint> owner;

    QString student; // "Имя фамилия: "
    QString group;   // "Группа: "
    QString subject; // "Предмет: ", as the report says, which need not be the folder's name
    QString test;    // "Тест: "
    QString date;    // line 5 before its five blanks
    QString time;    // line 5 after them

    std::optional<int> total; // "Всего вопросов: "
    std::optional<int> right; // "Правильно: "
    std::optional<int> wrong; // "Неправильно: "
    QString percentWritten;   // the percent as the report writes it, between "(" and " %)"

    // One verdict per "Вопрос № k- …" line, in the order of the lines.
    QVector<bool> verdicts;

    State state = State::Agrees;
    QString reason; // why the entry is unreadable

    // "subject/report name", the journal's "Файл".
    QString file() const;

    // The owner's user name, else its user ID; empty when unset.
    QString ownerText() const;

    // 100 × right ÷ total in tenths, rounded half away from zero; unset when total is 0 or a
    // count is missing.
    std::optional<int> percentTenths() const;

    // The percent with one decimal and the given separator ("66,7"); empty when unset.
    QString percentText(QChar decimalSeparator) const;

    // "", "не сходится" or "не читается: " and the reason.
    QString stateText() const;
};
