#include "FailDevice.h"

#include <cstring>

FailDevice::FailDevice(qint64 writeLimit, QByteArray readData, qint64 readLimit)
    : m_writeLimit(writeLimit)
    , m_readData(std::move(readData))
    , m_readLimit(readLimit) {}

qint64 FailDevice::bytesAvailable() const {
    return m_readData.size() - m_readPos + QIODevice::bytesAvailable();
}

qint64 FailDevice::readData(char* data, qint64 maxSize) {
    qint64 room = m_readData.size() - m_readPos;
    if (m_readLimit >= 0) {
        if (m_readPos >= m_readLimit) {
            ++m_refusals;
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        room = qMin(room, m_readLimit - m_readPos);
    }
    const qint64 n = qMin(room, maxSize);
    if (n > 0)
        std::memcpy(data, m_readData.constData() + m_readPos, static_cast<size_t>(n));
    m_readPos += n;
    return n;
}

qint64 FailDevice::writeData(const char* data, qint64 size) {
    qint64 n = size;
    if (m_writeLimit >= 0) {
        const qint64 room = m_writeLimit - m_written.size();
        if (room <= 0) {
            ++m_refusals;
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        n = qMin(n, room);
    }
    m_written.append(data, n);
    return n;
}
