// The device simulator on real pseudo-terminals, seen through the platform's serial port.
#include "ReaderSim.h"
#include "SerialPort.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

const char kLine[] = "baud=115200 parity=N data=8 stop=2";

std::unique_ptr<plat::SerialPort> openPort(const sim::Simulator &s, int com, const char *line = kLine)
{
    auto p = std::make_unique<plat::SerialPort>();
    QString err;
    if (!p->open(QDir(s.dir()).filePath(QStringLiteral("COM%1").arg(com)), &err))
        qWarning() << err;
    if (!p->isOpen() || !p->applyDefinition(QString::fromLatin1(line), &err))
        qWarning() << err;
    plat::CommTimeouts t;
    t.ReadIntervalTimeout = 200;
    t.ReadTotalTimeoutConstant = 50;
    p->setTimeouts(t);
    return p;
}

void send(plat::SerialPort &p, const QByteArray &bytes)
{
    QCOMPARE(p.write(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size()),
             static_cast<std::size_t>(bytes.size()));
}

QByteArray consoleLine(int addr, int number, const QByteArray &text)
{
    return char(addr) + (':' + QByteArray::number(number).rightJustified(8, '0') + ' ' + text + ';');
}

QByteArray serviceLine(int addr, int number, const QByteArray &text)
{
    const QByteArray body = QByteArray::number(number).rightJustified(8, '0') + ' ' + text;
    return char(addr) + (':' + body + ' ' + QByteArray::number(sim::serviceChecksum(body)).rightJustified(8, ' ') + ';');
}

// Collects what arrives for up to ms, or until stop returns true for the bytes so far.
QByteArray readFor(plat::SerialPort &p, int ms, const std::function<bool(const QByteArray &)> &stop = {})
{
    QByteArray got;
    QElapsedTimer t;
    t.start();
    uint8_t buf[4096];
    while (t.elapsed() < ms) {
        const std::size_t n = p.read(buf, sizeof buf);
        got.append(reinterpret_cast<const char *>(buf), static_cast<qsizetype>(n));
        if (stop && stop(got))
            break;
    }
    return got;
}

// Whole answer frames in a byte stream, as the console cuts them.
QList<QByteArray> frames(const QByteArray &bytes)
{
    QList<QByteArray> out;
    qsizetype start = -1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (start < 0) {
            if (c == ':')
                start = i;
        } else if (c < 0x10) {
            start = -1;
        } else if (c == ';') {
            out << bytes.mid(start, i - start + 1);
            start = -1;
        }
    }
    return out;
}

QByteArray item(const QByteArray &frame, int n)
{
    const QList<QByteArray> w = frame.mid(1, frame.size() - 2).split(' ');
    return n - 1 < w.size() ? w[n - 1] : QByteArray();
}

int countItem(const QList<QByteArray> &fs, const QByteArray &word)
{
    int n = 0;
    for (const QByteArray &f : fs)
        n += item(f, 2) == word;
    return n;
}

} // namespace

class TestReaderSim : public QObject {
    Q_OBJECT
private slots:
    void commandLineParsing_data();
    void commandLineParsing();
    void versionAnswer_data();
    void versionAnswer();
    void busAddressAndLineSettings();
    void inventoryStartAndStop();
    void dspAnswersAndBlocks();
    void portVanishes();
    void cliLifecycle();
};

void TestReaderSim::commandLineParsing_data()
{
    QTest::addColumn<QByteArray>("segment");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("hasChecksum");
    QTest::addColumn<bool>("checksumOk");
    // The service tool's first VERSION frame, checksum 966, without its ";".
    QTest::newRow("service VERSION") << QByteArray("\x01:00000000 VERSION      966", 27) << 1 << QByteArray("VERSION")
                                     << true << true;
    QTest::newRow("wrong checksum") << QByteArray("\x01:00000000 VERSION      967", 27) << 1
                                    << QByteArray("VERSION") << true << false;
    QTest::newRow("console line") << QByteArray("\x02:00000007 QELM_EPC_INVENTORY_TIME 20 5 15") << 2
                                  << QByteArray("QELM_EPC_INVENTORY_TIME 20 5 15") << false << false;
    QTest::newRow("noise before") << QByteArray("xx\x01:0000\x01:00000003 EPC_STOP") << 1 << QByteArray("EPC_STOP")
                                  << false << false;
    QTest::newRow("empty text") << QByteArray("\x01:00000003 ") << 1 << QByteArray() << false << false;
}

void TestReaderSim::commandLineParsing()
{
    QFETCH(QByteArray, segment);
    QFETCH(int, address);
    QFETCH(QByteArray, text);
    QFETCH(bool, hasChecksum);
    QFETCH(bool, checksumOk);
    sim::CommandLine c;
    QVERIFY(sim::parseCommandLine(segment, &c));
    QCOMPARE(c.address, address);
    QCOMPARE(c.text, text);
    QCOMPARE(c.hasChecksum, hasChecksum);
    QCOMPARE(c.checksumOk, checksumOk);
    QVERIFY(!sim::parseCommandLine("\x01:0000001 VERSION", nullptr));
}

void TestReaderSim::versionAnswer_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("model"); // empty: no answer may carry any model word
    QTest::newRow("vrx900") << "vrx900" << QByteArray("VRX900-15");
    QTest::newRow("vrx433") << "vrx433" << QByteArray("VRX433-16");
    QTest::newRow("saw") << "saw" << QByteArray("VRX433-SAW");
    QTest::newRow("wg") << "wg" << QByteArray("WG");
    QTest::newRow("k4000") << "k4000" << QByteArray("K4000");
    QTest::newRow("silent") << "silent" << QByteArray();
    QTest::newRow("noisy") << "noisy" << QByteArray();
}

void TestReaderSim::versionAnswer()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, model);
    sim::Kind k;
    QVERIFY(sim::kindFromString(kind, &k));
    QCOMPARE(sim::modelWord(k).toLatin1(), model);
    sim::Simulator s;
    QVERIFY(s.addPort(3, k));
    QVERIFY(QFileInfo(QDir(s.dir()).filePath("COM3")).isSymLink());
    QCOMPARE(QFileInfo(QDir(s.dir()).filePath("COM3")).symLinkTarget(), s.devicePath(3));
    auto p = openPort(s, 3);
    QVERIFY(p->isOpen());
    const QByteArray line = consoleLine(1, 1, "VERSION");
    send(*p, line);
    QVERIFY(s.waitForWire(3, line, 5000));
    QCOMPARE(s.wireLog(3), line);
    const QByteArray got = readFor(*p, model.isEmpty() ? 1500 : 5000, [](const QByteArray &b) { return b.contains(";\r\n"); });
    if (model.isEmpty()) {
        for (const char *w : {"VRX900-15", "VRX433-16", "VRX433-SAW", "WG", "K4000"})
            QVERIFY2(!got.contains(w), got.constData());
        QCOMPARE(got.isEmpty(), k == sim::Kind::Silent);
        return;
    }
    QCOMPARE(got, ":00000001 VERSION " + model + ' ' + got.split(' ').value(3));
    const QList<QByteArray> fs = frames(got);
    QCOMPARE(fs.size(), 1);
    QCOMPARE(item(fs[0], 2), QByteArray("VERSION"));
    QCOMPARE(item(fs[0], 3), model);
    QVERIFY(got.endsWith(";\r\n"));

    // Any other command: a whole frame with the command word as item 2.
    send(*p, consoleLine(1, 2, "SET_PARAM 1 2"));
    const QList<QByteArray> other = frames(readFor(*p, 5000, [](const QByteArray &b) { return b.contains(';'); }));
    QCOMPARE(other.size(), 1);
    QCOMPARE(item(other[0], 1), QByteArray("00000002"));
    QCOMPARE(item(other[0], 2), QByteArray("SET_PARAM"));
}

void TestReaderSim::busAddressAndLineSettings()
{
    sim::Simulator s;
    sim::PortOptions o;
    o.kind = sim::Kind::Vrx433;
    o.busAddress = 2;
    QVERIFY(s.addPort(5, o));
    QVERIFY(s.addPort(6, sim::Kind::Vrx433));
    {
        auto p = openPort(s, 5);
        send(*p, consoleLine(1, 1, "VERSION"));
        QVERIFY(readFor(*p, 800).isEmpty()); // not its address
        send(*p, consoleLine(2, 2, "VERSION"));
        QVERIFY(readFor(*p, 5000, [](const QByteArray &b) { return b.contains(';'); }).contains("VRX433-16"));
        QCOMPARE(s.wireLog(5), consoleLine(1, 1, "VERSION") + consoleLine(2, 2, "VERSION"));
    }
    // A program side at another line setting: the device sees garbage and stays silent,
    // while the wire log still holds what was written. (A pty keeps 8 data bits and no
    // parity whatever is asked, so only the rate and the stop bits can differ here.)
    for (const char *line : {"baud=9600 parity=N data=8 stop=2", "baud=115200 parity=N data=8 stop=1"}) {
        s.clearWireLog(6);
        auto p = openPort(s, 6, line);
        const QByteArray l = consoleLine(1, 3, "VERSION");
        send(*p, l);
        QVERIFY(s.waitForWire(6, l, 5000));
        QVERIFY2(readFor(*p, 800).isEmpty(), line);
    }
}

void TestReaderSim::inventoryStartAndStop()
{
    sim::Simulator s;
    sim::PortOptions o;
    o.kind = sim::Kind::Vrx900;
    o.tagCount = 3;
    o.cyclesPerSecond = 20;
    o.stopsToIgnore = 2;
    QVERIFY(s.addPort(3, o));
    auto p = openPort(s, 3);
    send(*p, consoleLine(1, 7, "QELM_EPC_INVENTORY_TIME 20 5 15"));
    QByteArray got = readFor(*p, 10000, [](const QByteArray &b) { return countItem(frames(b), "START_INVENTORY") >= 3; });
    QList<QByteArray> fs = frames(got);
    QCOMPARE(item(fs.value(0), 2), QByteArray("QELM_EPC_INVENTORY_TIME"));
    QVERIFY(countItem(fs, "START_INVENTORY") >= 3);
    QSet<QByteArray> tags;
    for (const QByteArray &f : fs) {
        if (item(f, 2) != "INV")
            continue;
        QVERIFY2(QRegularExpression("^[0-9A-F]{24,}$").match(QString::fromLatin1(item(f, 5))).hasMatch(), f.constData());
        QVERIFY(!item(f, 6).isEmpty());
        tags.insert(f);
    }
    QCOMPARE(tags.size(), 3); // the same tag answers with the same frame every cycle
    QVERIFY(s.inventoryStats(3).running);

    // Two stops go unheard; the third is answered, and the cycles end.
    for (int i = 0; i < 3; ++i)
        send(*p, consoleLine(1, 8 + i, "EPC_STOP"));
    got = readFor(*p, 10000, [](const QByteArray &b) { return b.contains("STOP_INVENTORY"); });
    fs = frames(got);
    QCOMPARE(countItem(fs, "STOP_INVENTORY"), 1);
    QCOMPARE(item(fs.last(), 1), QByteArray("00000010"));
    QVERIFY(countItem(frames(readFor(*p, 600)), "START_INVENTORY") == 0);
    const auto st = s.inventoryStats(3);
    QVERIFY(!st.running);
    QCOMPARE(st.stopsReceived, quint64(3));
    QVERIFY(st.cycles >= 3);
    QVERIFY(st.invAnswers >= 3 * (st.cycles - 1));

    // Already stopped and the ignore count used up: every stop is confirmed.
    send(*p, consoleLine(1, 11, "EPC_STOP"));
    QCOMPARE(countItem(frames(readFor(*p, 5000, [](const QByteArray &b) { return b.contains(';'); })),
                       "STOP_INVENTORY"),
             1);
}

void TestReaderSim::dspAnswersAndBlocks()
{
    sim::Simulator s;
    QVERIFY(s.addPort(2, sim::Kind::Dsp));
    auto p = openPort(s, 2);
    auto until = [](const QByteArray &want) { return [want](const QByteArray &b) { return b.size() >= want.size(); }; };

    QByteArray want = ":00000000 VERSION DSP-BF533 OK;";
    send(*p, serviceLine(1, 0, "VERSION"));
    QCOMPARE(readFor(*p, 5000, until(want)), want);

    // An answer, then a block of 3 words.
    want = ":00000001 GET_DATA 3 OK;" + sim::dspBlockBytes(sim::dspWave(3));
    send(*p, serviceLine(0, 1, "GET_DATA 3"));
    QByteArray got = readFor(*p, 5000, until(want));
    QCOMPARE(got, want);
    QCOMPARE(got.mid(24, 5), QByteArray(">\x03\x00\x00\x00", 5));

    // Tag UID commands answer REC_ID at characters 11 to 16.
    send(*p, serviceLine(3, 2, "GET_SNGL_UID"));
    got = readFor(*p, 5000, [](const QByteArray &b) { return b.contains(';'); });
    QCOMPARE(got.mid(10, 6), QByteArray("REC_ID"));
    QVERIFY(got.startsWith(":00000002 ") && got.endsWith(';'));

    // A frame whose checksum does not add up.
    QByteArray bad = serviceLine(1, 3, "VERSION");
    bad[bad.size() - 2] = bad[bad.size() - 2] == '0' ? '1' : '0';
    send(*p, bad);
    QCOMPARE(readFor(*p, 5000, [](const QByteArray &b) { return b.contains(';'); }), QByteArray(":00000003 ERR_CRC;"));

    // Pushed by the test: a block at once, an answer, and a block held for the next answer.
    s.dspSendBlock(2, {0x0001, 0xFFFF, 0x1234});
    s.dspSendAnswer(2, "E0 04 42 B3", true);
    s.dspSendBlock(2, {}, false);
    want = QByteArray(">\x03\x00\x00\x00\x01\x00\xFF\xFF\x34\x12", 11) + ":00000003 REC_ID E0 04 42 B3;";
    QCOMPARE(readFor(*p, 5000, until(want)), want);
    send(*p, serviceLine(1, 4, "SET_RF_MHZ  866"));
    want = ":00000004 SET_RF_MHZ 866 OK;" + QByteArray(">\0\0\0\0", 5);
    QCOMPARE(readFor(*p, 5000, until(want)), want);
}

void TestReaderSim::portVanishes()
{
    sim::Simulator s;
    QVERIFY(s.addPort(4, sim::Kind::K4000));
    const QString link = QDir(s.dir()).filePath("COM4");
    auto p = openPort(s, 4);
    QVERIFY(p->isOpen());
    // The program holds the port: a second open fails.
    plat::SerialPort second;
    QVERIFY(!second.open(link));
    s.removePort(4);
    QVERIFY(!QFileInfo::exists(link));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(readFor(*p, 300).isEmpty()); // a hung-up line reads as silence
    QVERIFY(s.devicePath(4).isEmpty());
    QVERIFY(s.addPort(4, sim::Kind::K4000));
    auto again = openPort(s, 4);
    send(*again, consoleLine(1, 1, "VERSION"));
    QVERIFY(readFor(*again, 5000, [](const QByteArray &b) { return b.contains(';'); }).contains("K4000"));
}

void TestReaderSim::cliLifecycle()
{
    const QString bin = qEnvironmentVariable("READERSIM_BIN");
    if (bin.isEmpty())
        QSKIP("READERSIM_BIN not set");
    QTemporaryDir tmp;
    const QString dir = tmp.filePath("ports/sub");
    QProcess proc;
    proc.start(bin, {"--dir", dir, "--port", "COM3=vrx900", "--port", "COM5=dsp", "--addr", "COM3=2",
                     "--until-stdin-eof"});
    QVERIFY(proc.waitForStarted(10000));
    QVERIFY(proc.waitForReadyRead(10000));
    QCOMPARE(proc.readLine().trimmed(), ("READY " + QFileInfo(dir).absoluteFilePath()).toLocal8Bit());
    QVERIFY(QFileInfo(dir + "/COM3").isSymLink());
    QVERIFY(QFileInfo(dir + "/COM5").isSymLink());
    {
        plat::SerialPort p;
        QVERIFY(p.open(dir + "/COM3"));
        QVERIFY(p.applyDefinition(kLine));
        plat::CommTimeouts t;
        t.ReadIntervalTimeout = 200;
        t.ReadTotalTimeoutConstant = 50;
        p.setTimeouts(t);
        send(p, consoleLine(2, 1, "VERSION"));
        QVERIFY(readFor(p, 5000, [](const QByteArray &b) { return b.contains(';'); }).contains("VRX900-15"));
    }
    proc.closeWriteChannel();
    QVERIFY(proc.waitForFinished(10000));
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 0);
    QVERIFY(!QFileInfo(dir + "/COM3").isSymLink());
    QVERIFY(!QFileInfo(dir + "/COM5").isSymLink());

    // SIGTERM ends it the same way.
    proc.start(bin, {"--dir", dir, "--port", "COM1=silent"});
    QVERIFY(proc.waitForReadyRead(10000));
    QVERIFY(QFileInfo(dir + "/COM1").isSymLink());
    proc.terminate();
    QVERIFY(proc.waitForFinished(10000));
    QCOMPARE(proc.exitCode(), 0);
    QVERIFY(!QFileInfo(dir + "/COM1").isSymLink());

    proc.start(bin, {"--dir", dir, "--port", "COM1=nothing"});
    QVERIFY(proc.waitForFinished(10000));
    QVERIFY(proc.exitCode() != 0);
}

QTEST_GUILESS_MAIN(TestReaderSim)
#include "test_readersim.moc"
