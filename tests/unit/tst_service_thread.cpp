// The service thread fed from memory: messages handed over once each and in order,
// command frames written in order without loss, clean stop.
#include <SerialPort.h>
#include <ServiceFrames.h>
#include <thrd1.h>
#include "ServiceTestSupport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>
#include <condition_variable>
#include <mutex>


class TestServiceThread : public QObject {
    Q_OBJECT
private slots:
    void interleavedMessagesOnceInOrder();
    void framesPostedFasterThanTheThreadAllGoOut();
    void stopsPromptly();
};

void TestServiceThread::interleavedMessagesOnceInOrder()
{
    MemoryIo io;
    TMyCOMServiceThread t(&io, QStringLiteral("COM1"));
    t.start();

    QByteArray stream;
    QStringList expected;
    auto *rng = QRandomGenerator::global();
    for (int i = 0; i < 60; ++i) {
        const QByteArray a = ":" + QByteArray::number(i).rightJustified(8, '0') + " ANSWER " + QByteArray(i % 7, '>') + ";";
        stream += "\r\n" + a;
        expected << "A:" + QString::fromLatin1(a);
        if (i % 3 == 0) {
            QVector<quint16> w(i == 30 ? 0 : static_cast<int>(rng->bounded(1, 3000)));
            for (quint16 &v : w)
                v = static_cast<quint16>(rng->bounded(65536));
            stream += blockBytes(w, static_cast<quint32>(w.size()));
            expected << blockKey(w);
        }
        if (i == 45) {
            stream += blockBytes({}, 2000000u);
            expected << QStringLiteral("Data block of 2000000 words refused: more than 1000001 words");
        }
    }
    // Fed in ragged pieces while the window side takes the messages.
    int pos = 0;
    QStringList seen;
    while (pos < stream.size()) {
        const int n = std::min<int>(static_cast<int>(rng->bounded(1, 700)), static_cast<int>(stream.size()) - pos);
        io.feed(stream.mid(pos, n));
        pos += n;
        seen += takeMessages(t, expected.size() - static_cast<int>(seen.size()), 2);
    }
    seen += takeMessages(t, expected.size() - static_cast<int>(seen.size()), 20000);
    QCOMPARE(seen, expected);
    // Nothing more arrives.
    QVERIFY(takeMessages(t, 1, 300).isEmpty());
    t.stop();
}

void TestServiceThread::framesPostedFasterThanTheThreadAllGoOut()
{
    MemoryIo io;
    TMyCOMServiceThread t(&io, QStringLiteral("COM1"));
    t.start();
    // A long block keeps the thread reading while the window posts frames.
    QVector<quint16> w(30000, 0x1111);
    io.feed(blockBytes(w, 30000));
    QByteArray expected;
    for (int i = 0; i < 40; ++i) {
        const QByteArray line = srv::BuildCommandLine(i, "CMD " + QByteArray::number(i));
        QVERIFY(t.PostCommand(static_cast<uint8_t>(i % 6), line));
        expected += static_cast<char>(i % 6) + line;
    }
    // A text with ";" goes out up to and including it, as the board expects one frame.
    QVERIFY(t.PostCommand(1, ":00000040 A;B 1;"));
    expected += QByteArray(1, '\x01') + ":00000040 A;";
    QTRY_COMPARE_WITH_TIMEOUT(io.written(), expected, 10000);
    QCOMPARE(takeMessages(t, 1, 10000), QStringList{blockKey(w)});
    t.stop();
}

void TestServiceThread::stopsPromptly()
{
    MemoryIo io;
    TMyCOMServiceThread t(&io, QStringLiteral("COM1"));
    t.start();
    // Mid-block: the thread is in its long-read state.
    io.feed(blockBytes(QVector<quint16>(10, 1), 100000));
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    t.stop();
    QVERIFY(t.isFinished());
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(TestServiceThread)
#include "tst_service_thread.moc"
