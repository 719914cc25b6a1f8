// Command lines, the probe's search, answer framing and the receive thread's hand-over.
#include "AnswerFraming.h"
#include "Errors.h"
#include "Tmy_COM.h"
#include "UnitCOM_A.h"

#include <QRandomGenerator>
#include <QTest>

#include <deque>
#include <mutex>

namespace {

// Runs a byte stream through the ring and the framer, releasing each answer at once.
QList<QByteArray> frameAll(const QByteArray &stream)
{
    QList<QByteArray> out;
    rx::ByteRing ring;
    ring.push(reinterpret_cast<const uint8_t *>(stream.constData()), std::size_t(stream.size()));
    uint8_t buf[rx::kAnswerBufSize];
    int count = 0, mode = rx::Hunting;
    while (!ring.empty()) {
        if (rx::frameByte(ring.pop(), buf, count, mode)) {
            out << QByteArray(reinterpret_cast<char *>(buf), count);
            mode = rx::Hunting;
        }
    }
    return out;
}

// A port fed from memory: hands out scripted chunks, records what is written.
class MemoryPort : public plat::ISerialIo {
public:
    void feed(const QByteArray &b)
    {
        std::lock_guard<std::mutex> lk(m_);
        for (char c : b)
            in_.push_back(static_cast<uint8_t>(c));
    }
    std::size_t read(uint8_t *buf, std::size_t n) override
    {
        std::size_t got = 0;
        {
            std::lock_guard<std::mutex> lk(m_);
            // Uneven chunk sizes so frames straddle reads.
            const std::size_t take = std::min<std::size_t>({n, in_.size(), std::size_t(1 + (next_++ * 37) % 100)});
            for (; got < take; ++got) {
                buf[got] = in_.front();
                in_.pop_front();
            }
        }
        if (got == 0 && !cancelled_)
            QThread::msleep(1);
        return got;
    }
    std::size_t write(const uint8_t *, std::size_t n) override { return n; }
    void cancel() override { cancelled_ = true; }

private:
    std::mutex m_;
    std::deque<uint8_t> in_;
    std::size_t next_ = 0;
    std::atomic<bool> cancelled_{false};
};

// The pump's side of the hand-over: wait, copy, reset, then free.
bool takeAnswer(TCOM_A &th, QByteArray *out, int waitMs)
{
    if (!th.EventAnswerStrReady->wait(waitMs))
        return false;
    *out = QByteArray(reinterpret_cast<const char *>(th.REC_ANSWER_BUF), th.ANSWER_BUF_COUNT);
    th.EventAnswerStrReady->reset();
    th.EventAnswerStrFree->set();
    return true;
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT
private slots:
    void intToStrZ8_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5 << "00000005";
        QTest::newRow("0") << 0 << "00000000";
        QTest::newRow("8 digits") << 12345678 << "12345678";
        QTest::newRow("9 digits not cut") << 123456789 << "123456789";
        QTest::newRow("negative keeps sign behind zeros") << -5 << "000000-5";
    }
    void intToStrZ8()
    {
        QFETCH(int, value);
        QTEST(IntToStrZ8(value), "text");
    }

    void findStrInBuf_data()
    {
        QTest::addColumn<QByteArray>("buf");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("found");
        QTest::newRow("inside a frame") << QByteArray(":00000001 VERSION VRX900-15;") << "VRX900-15" << true;
        QTest::newRow("WG anywhere") << QByteArray("xxWGyy") << "WG" << true;
        QTest::newRow("at the very end") << QByteArray("abcK4000") << "K4000" << true;
        QTest::newRow("case matters") << QByteArray(":vrx900-15;") << "VRX900-15" << false;
        QTest::newRow("shorter than word") << QByteArray("VRX") << "VRX900-15" << false;
        QTest::newRow("zero bytes are data") << QByteArray("\0WG\0", 4) << "WG" << true;
        QTest::newRow("cut word") << QByteArray("VRX900-1") << "VRX900-15" << false;
    }
    void findStrInBuf()
    {
        QFETCH(QByteArray, buf);
        QFETCH(QString, word);
        QTEST(FindStrInBuf(reinterpret_cast<const uint8_t *>(buf.constData()), int(buf.size()), word), "found");
    }

    void commandLine_data()
    {
        QTest::addColumn<int>("addr");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("VERSION") << 1 << 5 << "VERSION"
                                 << QByteArray::fromHex("013A30303030303030352056455253494F4E3B");
        QTest::newRow("empty text") << 1 << 2 << "" << QByteArray::fromHex("013A30303030303030322020").left(11) + ";";
        QTest::newRow("address 256 wraps") << 256 << 1 << "X" << QByteArray::fromHex("003A3030303030303031") + " X;";
        QTest::newRow("low byte of wide chars") << 1 << 1 << QString(QChar(0x0441)) << QByteArray::fromHex("013A3030303030303031") + " " + QByteArray(1, char(0x41)) + ";";
    }
    void commandLine()
    {
        QFETCH(int, addr);
        QFETCH(int, number);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(BuildCommandLine(addr, number, text), bytes);
    }

    // Echo lines and counting of SendStrToPort, and the refusal of over-long lines.
    void sendStrToPort()
    {
        MemoryPort port;
        Tmy_COM com;
        QStringList sendList, terminal;
        com.Echo = [&](const QString &s, const QString &t) {
            sendList << s;
            terminal << t;
        };
        com.SendStrToPort(&port, 1, QStringLiteral("VERSION"));
        com.SendStrToPort(&port, 256, QStringLiteral("VERSION"));
        QCOMPARE(com.NUM_COMMAND, 2);
        QCOMPARE(sendList, QStringList({"01:00000001 VERSION;", "100:00000002 VERSION;"}));
        QCOMPARE(terminal.at(0), QStringLiteral(">> 01 3A 30 30 30 30 30 30 30 31 20 56 45 52 53 49 4F 4E 3B"));
        QVERIFY(terminal.at(1).startsWith(QStringLiteral(">> 00 3A")));

        com.SendStrToPort(nullptr, 1, QStringLiteral("VERSION")); // no port: nothing at all
        QCOMPARE(com.NUM_COMMAND, 2);

        com.SendStrToPort(&port, 1, QString(989, QLatin1Char('A'))); // 1001 bytes: the longest line
        QCOMPARE(com.NUM_COMMAND, 3);
        try {
            com.SendStrToPort(&port, 1, QString(990, QLatin1Char('A')));
            QFAIL("an over-long line was accepted");
        } catch (const plat::Error &e) {
            QVERIFY(e.message().contains(QStringLiteral("too long")));
        }
        QCOMPARE(com.NUM_COMMAND, 3);
        QCOMPARE(sendList.size(), 3);
    }

    void framing_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QList<QByteArray>>("answers");
        using L = QList<QByteArray>;
        QTest::newRow("address byte before") << QByteArray("\x01:OK;") << L{":OK;"};
        QTest::newRow("colon inside is data") << QByteArray(":AB:CD;") << L{":AB:CD;"};
        QTest::newRow("CR LF after") << QByteArray(":OK;\r\n:X;") << L{":OK;", ":X;"};
        QTest::newRow("LF abandons") << QByteArray(":ABC\n:XY;") << L{":XY;"};
        QTest::newRow("0x10..0x1F stored") << QByteArray(":A\x10\x1F;") << L{":A\x10\x1F;"};
        QTest::newRow("noise only") << QByteArray("abc\x00\xff;;", 7) << L{};
        QTest::newRow("two in one read") << QByteArray(":1;:2;") << L{":1;", ":2;"};
        QTest::newRow("frame without end") << QByteArray(":ABC") << L{};
        QByteArray longFrame = ":" + QByteArray(1029, 'x');
        QTest::newRow("1030 bytes cut at 1024") << longFrame << L{longFrame.left(1024)};
        QByteArray restart = ":" + QByteArray(1023, 'x') + "ab:Z;";
        QTest::newRow("colon after the cut") << restart << L{restart.left(1024), ":Z;"};
    }
    void framing()
    {
        QFETCH(QByteArray, stream);
        QTEST(frameAll(stream), "answers");
    }

    // Any byte sequence: the framer stays inside its buffer and hands over 2..1024 bytes.
    void framerOnRandomInput()
    {
        QRandomGenerator rng(1234);
        for (int round = 0; round < 200; ++round) {
            QByteArray s(int(rng.bounded(5000)), '\0');
            for (char &c : s) {
                const quint32 r = rng.bounded(10);
                c = r == 0 ? ':' : r == 1 ? ';' : char(rng.bounded(256));
            }
            for (const QByteArray &a : frameAll(s)) {
                QVERIFY(a.size() >= 2 && a.size() <= rx::kAnswerBufSize);
                QCOMPARE(a.at(0), ':');
            }
        }
    }

    void ringNeverOverwrites()
    {
        rx::ByteRing ring(11); // holds 10
        const QByteArray first("0123456789ABC");
        QCOMPARE(ring.push(reinterpret_cast<const uint8_t *>(first.constData()), 13), std::size_t(3));
        QCOMPARE(ring.used(), std::size_t(10));
        QByteArray back;
        while (!ring.empty())
            back += char(ring.pop());
        QCOMPARE(back, QByteArray("0123456789"));
        QCOMPARE(ring.push(reinterpret_cast<const uint8_t *>("xyz"), 3), std::size_t(0)); // wraps
        QCOMPARE(char(ring.pop()), 'x');
    }

    // Many frames through the thread: every one arrives once, in order, whole.
    void threadHandsOverEveryFrameInOrder()
    {
        MemoryPort port;
        TCOM_A th(&port, QStringLiteral("COM3"));
        QCOMPARE(th.EventAnswerStrReady->name(), QStringLiteral("ANSWER STRING READYCOM3"));
        QCOMPARE(th.EventAnswerStrFree->name(), QStringLiteral("ANSWER STRING FREECOM3"));
        const int frames = 20000;
        QByteArray all;
        for (int i = 0; i < frames; ++i)
            all += "\x01:" + QByteArray::number(i) + " INV 1 0 E2003412 -61;\r\n";
        port.feed(all);
        int next = 0;
        QByteArray answer;
        QElapsedTimer guard;
        guard.start();
        while (next < frames && guard.elapsed() < 120000) {
            if (!takeAnswer(th, &answer, 50))
                continue;
            const QByteArray expected = ":" + QByteArray::number(next) + " INV 1 0 E2003412 -61;";
            QCOMPARE(answer, expected);
            ++next;
        }
        QCOMPARE(next, frames);
        QVERIFY(!takeAnswer(th, &answer, 200)); // nothing twice
        QCOMPARE(th.LOST_BYTES.load(), quint64(0));
        th.stop();
    }

    // A pump that stops taking answers: input beyond the ring is dropped and counted,
    // and what was held is still delivered whole.
    void fullRingCountsLoss()
    {
        MemoryPort port;
        TCOM_A th(&port, QStringLiteral("COM1"));
        QByteArray frame(":" + QByteArray(98, 'x') + ";");
        const int frames = 4100; // 410 000 bytes against a ring of 400 000
        QByteArray all;
        for (int i = 0; i < frames; ++i)
            all += frame;
        port.feed(all);
        QTRY_VERIFY_WITH_TIMEOUT(th.LOST_BYTES.load() > 0, 60000);
        int got = 0;
        QByteArray answer;
        while (takeAnswer(th, &answer, 500)) {
            QCOMPARE(answer.at(0), ':');
            ++got;
        }
        QVERIFY(got < frames);
        QVERIFY(got >= 4000);
        // Every byte is either delivered, dropped and counted, or part of the one frame cut by the loss.
        const quint64 accounted = th.LOST_BYTES.load() + quint64(got) * 100;
        QVERIFY(accounted <= quint64(all.size()));
        QVERIFY(accounted + 100 >= quint64(all.size()));
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
