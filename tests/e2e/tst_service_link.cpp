// The service tool against the simulated DSP board over real pseudo-terminals: the first frame
// byte for byte, answers and blocks each handed over once and in order, a missing port,
// and a clean stop in the middle of a block.
#include <COM_PORT_SELECT.h>
#include <Handler.h>
#include <ReaderSim.h>
#include <SERV.h>
#include <ServiceFrames.h>
#include <Widgets.h>
#include <thrd1.h>
#include "ServiceTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeChoice(const QTemporaryDir &dir, const QByteArray &port)
{
    QFile f(dir.filePath("SRV.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(port + "\r\n");
}

} // namespace

class TestServiceLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstFrameOnTheWireAndItsAnswer();
    void threadTakesInterleavedAnswersAndBlocks();
    void missingPortSaysSoOnceAndKeepsRunning();
    void stopsInTheMiddleOfABlock();

private:
    QStringList boxes_;
    plat::MessageBoxFn oldBox_;
};

void TestServiceLink::init()
{
    boxes_.clear();
    oldBox_ = plat::setMessageBox([this](QWidget *, const QString &text) { boxes_ << text; });
}

void TestServiceLink::cleanup()
{
    plat::setMessageBox(oldBox_);
    qunsetenv("COMPORT_DIR");
}

void TestServiceLink::firstFrameOnTheWireAndItsAnswer()
{
    sim::Simulator sim;
    QVERIFY(sim.addPort(3, sim::Kind::Dsp));
    qputenv("COMPORT_DIR", sim.dir().toLocal8Bit());
    QTemporaryDir dir;
    writeChoice(dir, "COM3");

    TForm1 form(nullptr, nullptr, dir.path());
    QTRY_VERIFY_WITH_TIMEOUT(form.COMServiceThread->portOpen(), 5000);
    form.SpeedButtonSendAClick();
    const QByteArray expected = QByteArray::fromHex("013A303030303030303020564552534" "94F4E2020202020203936363B");
    QVERIFY(sim.waitForWire(3, expected, 5000));
    QTest::qWait(100);
    QCOMPARE(sim.wireLog(3), expected);
    QCOMPARE(form.MemoSendViewA->lines(), QStringList{"TxD: " + QString::fromLatin1(expected.mid(1))});
    QCOMPARE(form.LabelCOM_PORT_STATUS->text(), QStringLiteral("COM3: baud=115200 parity=N data=8 stop=2"));

    // The pump runs from the first command on and shows the board's answer once.
    QTRY_COMPARE_WITH_TIMEOUT(form.MemoRecViewA->count(), 1, 5000);
    QVERIFY(form.MemoRecViewA->line(0).startsWith("RxD: :00000000 VERSION"));
    QVERIFY(form.MemoRecViewA->line(0).endsWith(";"));

    // The second command carries number 1.
    sim.clearWireLog(3);
    form.SpeedButtonSend2Click();
    QVERIFY(sim.waitForWire(3, QByteArray("\x01:00000001 SET_RF_MHZ  866 "), 5000));
    QTRY_COMPARE_WITH_TIMEOUT(form.MemoRecViewA->count(), 2, 5000);
    QVERIFY(boxes_.isEmpty());
}

void TestServiceLink::threadTakesInterleavedAnswersAndBlocks()
{
    sim::Simulator sim;
    sim::PortOptions opt;
    opt.kind = sim::Kind::Dsp;
    opt.pace = false;
    QVERIFY(sim.addPort(1, opt));
    qputenv("COMPORT_DIR", sim.dir().toLocal8Bit());
    QTemporaryDir dir;
    writeChoice(dir, "COM1");

    TMyCOMServiceThread t(dir.path());
    t.start();
    QTRY_VERIFY_WITH_TIMEOUT(t.portOpen(), 5000);

    QStringList expected;
    for (int i = 0; i < 30; ++i) {
        const QByteArray text = "ANSWER " + QByteArray::number(i);
        sim.dspSendAnswer(1, ":" + text + ";");
        expected << "A::" + QString::fromLatin1(text) + ";";
        if (i % 4 == 1) {
            const int n = i == 5 ? 0 : (i == 13 ? 1000001 : 17 * i);
            QVector<quint16> w(n);
            for (int k = 0; k < n; ++k)
                w[k] = static_cast<quint16>((k * 7919 + i) & 0xFFFF);
            sim.dspSendBlock(1, w);
            QVector<qint16> s(w.begin(), w.end());
            expected << blockKey(s.constData(), n);
        }
    }
    const QStringList seen = takeMessages(t, static_cast<int>(expected.size()), 60000);
    for (int i = 0; i < std::min(seen.size(), expected.size()); ++i)
        QCOMPARE(seen[i].left(60), expected[i].left(60));
    QCOMPARE(seen, expected);
    QVERIFY(takeMessages(t, 1, 300).isEmpty());
    t.stop();
    QVERIFY(boxes_.isEmpty());
}

void TestServiceLink::missingPortSaysSoOnceAndKeepsRunning()
{
    QTemporaryDir ports;
    qputenv("COMPORT_DIR", ports.path().toLocal8Bit());
    QTemporaryDir dir;
    writeChoice(dir, "COM2");

    TForm1 form(nullptr, nullptr, dir.path());
    QTRY_COMPARE_WITH_TIMEOUT(boxes_, QStringList{QStringLiteral("COM порт не открыт")}, 5000);
    form.SpeedButtonSendAClick();
    form.SpeedButtonSendAClick();
    QCOMPARE(form.MemoSendViewA->count(), 2);
    QVERIFY(form.MemoSendViewA->line(1).startsWith("TxD: :00000001 VERSION"));
    QCOMPARE(form.LabelCOM_PORT_STATUS->text(), QStringLiteral("COM2: baud=115200 parity=N data=8 stop=2"));
    QTest::qWait(300);
    QCOMPARE(boxes_.size(), 1);
    QVERIFY(form.COMServiceThread->isRunning());
}

void TestServiceLink::stopsInTheMiddleOfABlock()
{
    sim::Simulator sim;
    QVERIFY(sim.addPort(1, sim::Kind::Dsp));
    qputenv("COMPORT_DIR", sim.dir().toLocal8Bit());
    QTemporaryDir dir;
    writeChoice(dir, "COM1");

    auto *t = new TMyCOMServiceThread(dir.path());
    t->start();
    QTRY_VERIFY_WITH_TIMEOUT(t->portOpen(), 5000);
    // A header announcing 100 000 words, then silence: the thread sits in its 10 s reads.
    sim.inject(1, QByteArray(">\xa0\x86\x01\x00\x01\x02", 7));
    QTest::qWait(500);
    QElapsedTimer clock;
    clock.start();
    t->stop();
    QVERIFY(t->isFinished());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    delete t;
    // The port is free again for the next owner.
    plat::SerialPort again;
    QVERIFY(again.open(QStringLiteral("COM1")));
}

QTEST_MAIN(TestServiceLink)
#include "tst_service_link.moc"
