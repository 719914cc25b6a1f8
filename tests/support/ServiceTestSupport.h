#pragma once
// Shared by the service tool's tests: a port fed from memory, data block bytes, and the
// window's side of the hand-over, taking answers and blocks as they come.
#include <SerialPort.h>
#include <thrd1.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <QVector>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

class MemoryIo : public plat::ISerialIo {
public:
    std::size_t read(uint8_t *buf, std::size_t n) override
    {
        std::unique_lock<std::mutex> lk(m_);
        cv_.wait_for(lk, std::chrono::milliseconds(5), [this] { return !in_.isEmpty(); });
        const std::size_t k = std::min<std::size_t>(n, static_cast<std::size_t>(in_.size()));
        std::memcpy(buf, in_.constData(), k);
        in_.remove(0, static_cast<qsizetype>(k));
        return k;
    }
    std::size_t write(const uint8_t *buf, std::size_t n) override
    {
        std::lock_guard<std::mutex> lk(m_);
        out_.append(reinterpret_cast<const char *>(buf), static_cast<qsizetype>(n));
        return n;
    }
    void feed(const QByteArray &b)
    {
        {
            std::lock_guard<std::mutex> lk(m_);
            in_.append(b.constData(), b.size()); // a deep copy: no sharing across threads
        }
        cv_.notify_all();
    }
    QByteArray written() const
    {
        std::lock_guard<std::mutex> lk(m_);
        return QByteArray(out_.constData(), out_.size()); // a deep copy: no sharing across threads
    }

private:
    mutable std::mutex m_;
    std::condition_variable cv_;
    QByteArray in_, out_;
};

// ">" + count (little-endian) + the words; count may differ from the words given.
inline QByteArray blockBytes(const QVector<quint16> &w, quint32 count)
{
    QByteArray b(1, '>');
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((count >> (8 * i)) & 0xFF));
    for (quint16 v : w) {
        b.append(static_cast<char>(v & 0xFF));
        b.append(static_cast<char>(v >> 8));
    }
    return b;
}
inline QByteArray blockBytes(const QVector<quint16> &w) { return blockBytes(w, static_cast<quint32>(w.size())); }

// A short key for a block: its length and a hash of its words.
template <typename Word>
QString blockKey(const Word *w, int n)
{
    quint32 sum = 0;
    for (int i = 0; i < n; ++i)
        sum = sum * 31 + static_cast<quint16>(w[i]);
    return QStringLiteral("B:%1:%2").arg(n).arg(sum);
}
inline QString blockKey(const QVector<quint16> &w) { return blockKey(w.constData(), static_cast<int>(w.size())); }

// Takes messages the way the window does until `want` are seen or time runs out.
inline QStringList takeMessages(TMyCOMServiceThread &t, int want, int ms)
{
    QStringList seen;
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < want && clock.elapsed() < ms) {
        const bool answer = t.EventAnswerStrReady.wait(1);
        for (const QString &n : t.TakeReceiveNotices())
            seen << n;
        if (answer) {
            seen << "A:" + QString::fromLatin1(
                               QByteArray(reinterpret_cast<const char *>(t.REC_ANSWER_BUF), t.ANSWER_BUF_COUNT));
            t.EventAnswerStrReady.reset();
            t.EventAnswerStrFree.set();
        }
        const bool data = t.EventDATAReady.wait(1);
        for (const QString &n : t.TakeReceiveNotices())
            seen << n;
        if (data) {
            seen << blockKey(t.REC_DATA_BUF.get(), t.REC_DATA_LENGHT);
            t.EventDATAReady.reset();
            t.EventDATAFree.set();
        }
    }
    return seen;
}
