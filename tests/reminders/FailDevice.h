#pragma once

#include <QIODevice>

// A write-only device that takes at most `chunk` bytes per write, fails every
// write once `failAfter` bytes are in, and can fail its flush.
class FailDevice : public QIODevice {
public:
    FailDevice(qint64 failAfter, qint64 chunk, bool failFlush)
        : m_failAfter(failAfter), m_chunk(chunk), m_failFlush(failFlush) {
        open(QIODevice::WriteOnly);
    }
    bool flush() {
        if (m_failFlush)
            setErrorString(QStringLiteral("flush refused"));
        return !m_failFlush;
    }
    const QByteArray& written() const { return m_data; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        const qint64 room = m_failAfter - m_data.size();
        if (room <= 0) {
            setErrorString(QStringLiteral("device full"));
            return -1;
        }
        const qint64 n = qMin(qMin(len, room), m_chunk);
        m_data.append(data, n);
        return n;
    }

private:
    QByteArray m_data;
    qint64 m_failAfter;
    qint64 m_chunk;
    bool m_failFlush;
};
