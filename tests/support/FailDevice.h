#pragma once

#include <QByteArray>
#include <QIODevice>

// A device whose storage runs out: it takes the first `writeLimit` bytes written to it, then
// refuses. A write that straddles the limit is taken in part, as a full disk does; every write
// after that fails. For reading it serves `readData` and fails once `readLimit` bytes are out.
// A negative limit means "never fails".
class FailDevice : public QIODevice {
public:
    explicit FailDevice(qint64 writeLimit, QByteArray readData = QByteArray(),
                        qint64 readLimit = -1);

    // What was accepted so far.
    const QByteArray& written() const { return m_written; }
    // How many calls ended in a refusal.
    int refusals() const { return m_refusals; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    qint64 m_writeLimit;
    QByteArray m_readData;
    qint64 m_readLimit;
    qint64 m_readPos = 0;
    QByteArray m_written;
    int m_refusals = 0;
};
