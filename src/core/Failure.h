#pragma once

#include <exception>
#include <QString>

// The one exception type of the program. It carries the message exactly as the user will read it
// (the error path adds the closing full stop); handlers let it travel to their guard.
class Failure : public std::exception {
public:
    explicit Failure(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8()) {}

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
