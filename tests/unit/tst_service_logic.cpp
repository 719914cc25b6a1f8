// Service tool logic without threads or windows: command frames, address byte, REC_ID,
// UID command texts, save file, chart points, the receive parser and the port choice file.
#include <COM_PORT_SELECT.h>
#include <SERV.h>
#include <ServiceFrames.h>
#include <ServiceReceiver.h>

#include <QFile>
#include <QTemporaryDir>
#include "ServiceTestSupport.h"

#include <QtTest>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

// What the window would see: "A:<answer>", "B:<w0,w1,...>" (or "B#<count>" for long blocks),
// "R:<count>" for a refused header.
QStringList runParser(TServiceReceiver &rx, const QByteArray &stream, int chunk)
{
    QStringList seen;
    int pos = 0;
    for (;;) {
        if (pos < stream.size() && rx.ringFree() > 0) {
            const int n = std::min<int>(chunk, stream.size() - pos);
            pos += static_cast<int>(rx.ringFill(reinterpret_cast<const uint8_t *>(stream.constData() + pos),
                                                static_cast<std::size_t>(n)));
        }
        const auto r = rx.parse();
        if (r == TServiceReceiver::Result::AnswerReady) {
            seen << "A:" + QString::fromLatin1(
                               QByteArray(reinterpret_cast<const char *>(rx.REC_ANSWER_BUF), rx.ANSWER_BUF_COUNT));
            rx.release();
        } else if (r == TServiceReceiver::Result::DataReady) {
            if (rx.REC_DATA_LENGHT > 8) {
                seen << QStringLiteral("B#%1").arg(rx.REC_DATA_LENGHT);
            } else {
                QStringList w;
                for (int i = 0; i < rx.REC_DATA_LENGHT; ++i)
                    w << QString::number(rx.REC_DATA_BUF[i]);
                seen << "B:" + w.join(',');
            }
            rx.release();
        } else if (r == TServiceReceiver::Result::BlockRefused) {
            seen << QStringLiteral("R:%1").arg(rx.refusedWords());
        } else if (pos >= stream.size()) {
            break;
        }
    }
    return seen;
}

} // namespace

class TestServiceLogic : public QObject {
    Q_OBJECT
private slots:
    void frameOfVersionExample();
    void frameChecksumPadding();
    void addressByte_data();
    void addressByte();
    void recIdPosition_data();
    void recIdPosition();
    void uidTexts_data();
    void uidTexts();
    void saveFileText_data();
    void saveFileText();
    void chartPoints();
    void parser_data();
    void parser();
    void ringNeverOverwritesUnread();
    void readPortChoice_data();
    void readPortChoice();
    void readPortChoiceNeitherReadNorWrite();
};

void TestServiceLogic::frameOfVersionExample()
{
    const QByteArray wire = QByteArray(1, '\x01') + srv::BuildCommandLine(0, "VERSION");
    QCOMPARE(wire, hex("013A303030303030303020564552534" "94F4E2020202020203936363B"));
    QCOMPARE(wire.size(), 28);
    QCOMPARE(srv::IntToStrZ8(7), QStringLiteral("00000007"));
    QCOMPARE(srv::BuildCommandLine(12345678, "A").left(10), QByteArray(":12345678 "));
}

void TestServiceLogic::frameChecksumPadding()
{
    // The sum wraps at 65 536 and is padded with blanks, never zeros.
    const QByteArray text(srv::kMaxCommandText, '~');
    const QByteArray line = srv::BuildCommandLine(99999999, text);
    QCOMPARE(line.size() + 1, srv::kSendBufSize);
    quint32 sum = 8 * '9' + ' ' + static_cast<quint32>(text.size()) * '~';
    QCOMPARE(line.right(9), QByteArray::number(sum % 65536).rightJustified(8, ' ') + ';');
    QCOMPARE(srv::BuildCommandLine(0, "").right(10), QByteArray("      416;"));
}

void TestServiceLogic::addressByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("byte");
    QTest::newRow("00") << "00" << 0;
    QTest::newRow("01") << "01" << 1;
    QTest::newRow("03") << "03" << 3;
    QTest::newRow("05") << "05" << 5;
    QTest::newRow("06 is not an address") << "06" << 0;
    QTest::newRow("one digit") << "1" << 0;
    QTest::newRow("leading blank") << " 01" << 0;
    QTest::newRow("trailing blank") << "01 " << 0;
    QTest::newRow("hex prefix") << "0x01" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestServiceLogic::addressByte()
{
    QFETCH(QString, text);
    QFETCH(int, byte);
    QCOMPARE(int(srv::AddressByteFromText(text)), byte);
}

void TestServiceLogic::recIdPosition_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("beeps");
    QTest::newRow("after number") << QByteArray(":00000003 REC_ID E0044;") << true;
    QTest::newRow("exactly 16 chars") << QByteArray(":00000003 REC_ID") << true;
    QTest::newRow("right after colon") << QByteArray(":REC_ID 00000003;") << false;
    QTest::newRow("short") << QByteArray(":00000003 REC_I") << false;
    QTest::newRow("lower case") << QByteArray(":00000003 rec_id;") << false;
}

void TestServiceLogic::recIdPosition()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, beeps);
    QCOMPARE(srv::AnswerHasRecId(answer), beeps);
}

void TestServiceLogic::uidTexts_data()
{
    QTest::addColumn<QString>("got");
    QTest::addColumn<QString>("want");
    const QString uid = QStringLiteral("E0 04 42 B3 05 01 00 00");
    QTest::newRow("WR_SNGL_UID defaults") << srv::WrSnglUidText("20", "55") << "WR_SNGL_UID 20 55";
    QTest::newRow("WR8_SNGL_UID defaults") << srv::Wr8SnglUidText("20", "11 22 33 44 55 66 77 88")
                                            << "WR8_SNGL_UID 20 11 22 33 44 55 66 77 88";
    QTest::newRow("RD_SNGL_UID defaults") << srv::RdSnglUidText("20") << "RD_SNGL_UID 20";
    QTest::newRow("RD_SNGL_UID empty field") << srv::RdSnglUidText("") << "RD_SNGL_UID ";
    QTest::newRow("RD_CURRENT_UID defaults") << srv::RdCurrentUidText("0", uid) << "RD_CURRENT_UID 0  " + uid;
    QTest::newRow("WR_CURRENT_UID defaults") << srv::WrCurrentUidText("20", "55", uid)
                                              << "WR_CURRENT_UID 20  55  " + uid;
    QTest::newRow("WR8_CURRENT_UID defaults, three blanks")
        << srv::Wr8CurrentUidText("20", "00 11 22 33 44 55 66 77 ", uid)
        << "WR8_CURRENT_UID 20  00 11 22 33 44 55 66 77   " + uid;
    QTest::newRow("WR_CURRENT_UID empty fields") << srv::WrCurrentUidText("", "", "") << "WR_CURRENT_UID     ";
    QTest::newRow("COLLISION_ARBITRATION defaults") << srv::CollisionArbitrationText("2", "20", "20")
                                                     << "COLLISION_ARBITRATION 2  20  20";
    QTest::newRow("COLLISION_ARBITRATION empty") << srv::CollisionArbitrationText("", "", "")
                                                  << "COLLISION_ARBITRATION     ";
    QTest::newRow("fields as typed") << srv::WrSnglUidText(" 2x", "zz ") << "WR_SNGL_UID  2x zz ";
}

void TestServiceLogic::uidTexts()
{
    QFETCH(QString, got);
    QFETCH(QString, want);
    QCOMPARE(got, want);
}

void TestServiceLogic::saveFileText_data()
{
    QTest::addColumn<QVector<qint16>>("words");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("three words") << QVector<qint16>{1, -1, 0x1234}
                                 << QByteArray("DATA FROM BLACKFIN MEMORY\r\n 1,\r\n -1,\r\n 4660,\r\n");
    QTest::newRow("empty block") << QVector<qint16>{} << QByteArray("DATA FROM BLACKFIN MEMORY\r\n");
    QTest::newRow("extremes") << QVector<qint16>{-32768, 32767, 0}
                              << QByteArray("DATA FROM BLACKFIN MEMORY\r\n -32768,\r\n 32767,\r\n 0,\r\n");
}

void TestServiceLogic::saveFileText()
{
    QFETCH(QVector<qint16>, words);
    QFETCH(QByteArray, text);
    QCOMPARE(srv::SaveFileText(words.constData(), static_cast<int>(words.size())), text);
}

void TestServiceLogic::chartPoints()
{
    const QVector<qint16> small{1, -1, 4660};
    QCOMPARE(srv::ChartPoints(small.constData(), 3, srv::kChartFullPoints),
             (QList<QPointF>{{0, 1}, {1, -1}, {2, 4660}}));
    QVERIFY(srv::ChartPoints(small.constData(), 0, srv::kChartFullPoints).isEmpty());

    // A long block keeps its peaks, in ascending X, within the point budget.
    QVector<qint16> big(1000001);
    for (int i = 0; i < big.size(); ++i)
        big[i] = static_cast<qint16>(i % 1000);
    big[123457] = 32767;
    big[777777] = -32768;
    const QList<QPointF> pts = srv::ChartPoints(big.constData(), static_cast<int>(big.size()), 4000);
    QVERIFY(pts.size() <= 4000);
    QVERIFY(pts.size() > 1000);
    bool hasMax = false, hasMin = false;
    for (int i = 0; i < pts.size(); ++i) {
        if (i > 0)
            QVERIFY(pts[i].x() > pts[i - 1].x());
        hasMax = hasMax || (pts[i] == QPointF(123457, 32767));
        hasMin = hasMin || (pts[i] == QPointF(777777, -32768));
    }
    QVERIFY(hasMax);
    QVERIFY(hasMin);
    QCOMPARE(pts.first().x(), 0.0);
}

void TestServiceLogic::parser_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("seen");

    QTest::newRow("answer") << hex("3A4142433B") << QStringList{"A::ABC;"};
    QTest::newRow("carriage return abandons") << hex("3A41420D433B") << QStringList{};
    QTest::newRow("control byte then new answer") << QByteArray(":AB\x01:CD;", 8) << QStringList{"A::CD;"};
    QTest::newRow("noise before") << QByteArray("xx\x00\x05\xff;;:OK;zz", 14) << QStringList{"A::OK;"};
    QTest::newRow("colon restarts nothing inside answer") << QByteArray(":A:B>C;") << QStringList{"A::A:B>C;"};
    QTest::newRow("three-word block") << hex("3E03000000" "0100FFFF3412") << QStringList{"B:1,-1,4660"};
    QTest::newRow("colon and semicolon inside block") << hex("3E02000000" "3A3B3B3A")
                                                      << QStringList{"B:15162,14907"};
    QTest::newRow("control bytes inside block") << hex("3E01000000" "0500") << QStringList{"B:5"};
    QTest::newRow("count 0 ends with its header") << QByteArray(">\0\0\0\0:OK;", 9) << QStringList{"B:", "A::OK;"};
    QTest::newRow("count 0 then noise") << QByteArray(">\0\0\0\0X:OK;", 10) << QStringList{"B:", "A::OK;"};
    QTest::newRow("count 0 then block") << (QByteArray(">\0\0\0\0", 5) + blockBytes({9})) << QStringList{"B:", "B:9"};
    QTest::newRow("block stops mid-way") << hex("3E03000000" "0100FF") << QStringList{};
    QTest::newRow("count byte 3 is 256*256") << blockBytes(QVector<quint16>(65536, 7), 65536u)
                                             << QStringList{"B#65536"};
    QTest::newRow("full capacity") << blockBytes(QVector<quint16>(1000001, 0x3A3B)) << QStringList{"B#1000001"};
    QTest::newRow("interleaved")
        << (QByteArray(":one;") + blockBytes({1, 2}) + QByteArray(":two;") + blockBytes({3}) + QByteArray("\r\n:3;"))
        << QStringList{"A::one;", "B:1,2", "A::two;", "B:3", "A::3;"};
    QTest::newRow("refused over capacity")
        << (blockBytes({}, 1000002u) + QByteArray(":after;")) << QStringList{"R:1000002", "A::after;"};
    QTest::newRow("refused high count byte")
        << (hex("3E00000080") + QByteArray(":after;")) << QStringList{"R:2147483648", "A::after;"};

    QByteArray long1100(1, ':');
    long1100 += QByteArray(1098, 'x');
    long1100 += ';';
    QTest::newRow("1100-byte answer cut at 1024")
        << (long1100 + ":next;") << QStringList{"A:" + QString::fromLatin1(long1100.left(1024)), "A::next;"};
}

void TestServiceLogic::parser()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, seen);
    // The same stream whole, in small pieces and byte by byte must read the same.
    for (int chunk : {static_cast<int>(stream.size()) + 1, 7, 1}) {
        if (chunk == 1 && stream.size() > 5000)
            continue;
        TServiceReceiver rx;
        QCOMPARE(runParser(rx, stream, chunk), seen);
    }
}

void TestServiceLogic::ringNeverOverwritesUnread()
{
    TServiceReceiver rx;
    const QByteArray answer(":0123456789;");
    std::size_t stored = 0;
    int frames = 0;
    // The window never releases: the parser stops on the first answer, the ring fills.
    for (;;) {
        const std::size_t n =
            rx.ringFill(reinterpret_cast<const uint8_t *>(answer.constData()), static_cast<std::size_t>(answer.size()));
        stored += n;
        if (n < static_cast<std::size_t>(answer.size())) {
            QCOMPARE(rx.ringFree(), std::size_t(0));
            break;
        }
        ++frames;
        if (frames == 1)
            QCOMPARE(rx.parse(), TServiceReceiver::Result::AnswerReady);
    }
    // The first frame was parsed out; then the 400 000 usable bytes filled, the last frame in part.
    QCOMPARE(stored, std::size_t(400000 + 12));
    // Every frame that went in comes out intact, in order.
    int delivered = 1;
    rx.release();
    for (;;) {
        const auto r = rx.parse();
        if (r != TServiceReceiver::Result::AnswerReady)
            break;
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(rx.REC_ANSWER_BUF), rx.ANSWER_BUF_COUNT), answer);
        ++delivered;
        rx.release();
    }
    QCOMPARE(delivered, frames);
}

void TestServiceLogic::readPortChoice_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("after");

    const QByteArray com1("COM1\r\n");
    QTest::newRow("missing") << false << QByteArray() << "COM1" << com1;
    QTest::newRow("COM3") << true << QByteArray("COM3\r\n") << "COM3" << QByteArray("COM3\r\n");
    QTest::newRow("COM10") << true << QByteArray("COM10\r\n") << "COM10" << QByteArray("COM10\r\n");
    QTest::newRow("no line end") << true << QByteArray("COM2") << "COM2" << QByteArray("COM2");
    QTest::newRow("LF only") << true << QByteArray("COM7\n") << "COM7" << QByteArray("COM7\n");
    QTest::newRow("extra lines kept") << true << QByteArray("COM4\r\nCOM5\r\njunk") << "COM4"
                                      << QByteArray("COM4\r\nCOM5\r\njunk");
    QTest::newRow("lower case") << true << QByteArray("com3\r\n") << "COM1" << com1;
    QTest::newRow("trailing blank") << true << QByteArray("COM3 \r\n") << "COM1" << com1;
    QTest::newRow("leading blank") << true << QByteArray(" COM3\r\n") << "COM1" << com1;
    QTest::newRow("COM11") << true << QByteArray("COM11\r\n") << "COM1" << com1;
    QTest::newRow("COM0") << true << QByteArray("COM0\r\n") << "COM1" << com1;
    QTest::newRow("empty file") << true << QByteArray() << "COM1" << com1;
    QTest::newRow("empty first line") << true << QByteArray("\r\nCOM2\r\n") << "COM1" << com1;
    QTest::newRow("binary") << true << QByteArray("\x00\xff\x01COM2\r\n", 9) << "COM1" << com1;
    QTest::newRow("NUL after name") << true << QByteArray("COM2\x00\r\n", 7) << "COM1" << com1;
    QTest::newRow("very long line") << true << QByteArray(10000, 'C') << "COM1" << com1;
}

void TestServiceLogic::readPortChoice()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QString, port);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("SRV.dat");
    if (present) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    bool ok = false;
    QCOMPARE(ReadPortChoice(dir.path(), &ok), port);
    QVERIFY(ok);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), after);
}

void TestServiceLogic::readPortChoiceNeitherReadNorWrite()
{
    QTemporaryDir dir;
    // A folder that does not exist: the file can be neither read nor created, also as root.
    const QString gone = dir.filePath("no/such/folder");
    bool ok = true;
    QCOMPARE(ReadPortChoice(gone, &ok), QStringLiteral("COM1"));
    QVERIFY(!ok);
    QVERIFY(!WritePortChoice("COM5", gone));
}

QTEST_GUILESS_MAIN(TestServiceLogic)
#include "tst_service_logic.moc"
