// Pure helpers of the console's tag tabs and monitoring modes.
#include "ConsoleLogic.h"
#include "Errors.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

class TestConsoleLogic : public QObject {
    Q_OBJECT
private slots:
    void incHexWord_data();
    void incHexWord();
    void incHexWordTwice();
    void wiegandClock_data();
    void wiegandClock();
    void wiegandClockIgnoresLocale();
    void logNames_data();
    void logNames();
    void logSetBytes();
    void logSetOverwritesAndNeverCreatesBase();
    void logSetMissingFolder();
    void logSetStopsAtFullDisk();
};

void TestConsoleLogic::incHexWord_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("plain") << "3333" << "3334";
    QTest::newRow("to letter") << "0009" << "000A";
    QTest::newRow("lower case") << "00ff" << "0100";
    QTest::newRow("short") << "7" << "0008";
    QTest::newRow("past 16 bits") << "FFFF" << "10000";
    QTest::newRow("32-bit wrap") << "FFFFFFFF" << "0000";
    QTest::newRow("signed overflow") << "7FFFFFFF" << "80000000";
    QTest::newRow("negative") << "FFFFFFFE" << "FFFFFFFF";
    QTest::newRow("empty") << "" << "0001";
    QTest::newRow("leading blank") << " 12" << "0001";
    QTest::newRow("non-hex start") << "G12" << "0001";
    QTest::newRow("stops at non-hex") << "12G4" << "0013";
    QTest::newRow("trailing blank") << "3333 " << "3334";
    QTest::newRow("eight digits at most") << "123456789" << "12345679";
    QTest::newRow("ninth digit ignored") << "FFFFFFFF0" << "0000";
    QTest::newRow("mixed case") << "aBcDeF" << "ABCDF0";
    QTest::newRow("fullwidth digit") << QString::fromUtf8("\xEF\xBC\x91") << "0001";
}

void TestConsoleLogic::incHexWord()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(logic::incHexWord(in), out);
}

void TestConsoleLogic::incHexWordTwice()
{
    QCOMPARE(logic::incHexWord(logic::incHexWord("3333")), QString("3335"));
}

void TestConsoleLogic::wiegandClock_data()
{
    QTest::addColumn<QDateTime>("t");
    QTest::addColumn<QString>("text");
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 12, 9), QTime(14, 5, 7)) << "09 12 24 14 05 07";
    QTest::newRow("one-digit hour") << QDateTime(QDate(2024, 12, 9), QTime(9, 5, 7)) << "09 12 24 09 05 07";
    QTest::newRow("midnight") << QDateTime(QDate(2031, 7, 15), QTime(0, 0, 0)) << "15 07 31 00 00 00";
    QTest::newRow("year 2009") << QDateTime(QDate(2009, 3, 1), QTime(23, 59, 58)) << "01 03 09 23 59 58";
    QTest::newRow("year 2000") << QDateTime(QDate(2000, 1, 1), QTime(12, 0, 1)) << "01 01 00 12 00 01";
}

void TestConsoleLogic::wiegandClock()
{
    QFETCH(QDateTime, t);
    QFETCH(QString, text);
    QCOMPARE(logic::wiegandClockText(t), text);
}

void TestConsoleLogic::wiegandClockIgnoresLocale()
{
    const QLocale old;
    for (auto lang : {QLocale::Arabic, QLocale::Persian, QLocale::English}) {
        QLocale::setDefault(QLocale(lang));
        QCOMPARE(logic::wiegandClockText(QDateTime(QDate(2024, 12, 9), QTime(21, 5, 7))),
                 QString("09 12 24 21 05 07"));
    }
    QLocale::setDefault(old);
}

void TestConsoleLogic::logNames_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("with extension") << "/data/log.txt"
                                    << QStringList{"/data/log.txt-ALL_STR.txt", "/data/log.txt-FILTR_STR.txt",
                                                   "/data/log.txt-INFO_STR.txt"};
    QTest::newRow("without extension") << "/data/9_05_07"
                                       << QStringList{"/data/9_05_07-ALL_STR.txt", "/data/9_05_07-FILTR_STR.txt",
                                                      "/data/9_05_07-INFO_STR.txt"};
}

void TestConsoleLogic::logNames()
{
    QFETCH(QString, base);
    QFETCH(QStringList, names);
    QCOMPARE(logic::logFileNames(base), names);
    QCOMPARE(logic::logPresetName("9:05:07"), QString("9_05_07"));
    QCOMPARE(logic::logPresetName("9:05:07 AM"), QString("9_05_07 AM"));
}

static QByteArray readAll(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

void TestConsoleLogic::logSetBytes()
{
    QTemporaryDir dir;
    const QString base = dir.filePath("B");
    QString high = ":1 INV x";
    high += QChar(0xE9); // one byte of an answer above 0x7F stays one byte
    logic::writeLogSet(base, {":1 INV a;", ":1 INV a;", high}, {":1 INV a;"}, {});
    QCOMPARE(readAll(base + "-ALL_STR.txt"), QByteArray(":1 INV a;\r\n:1 INV a;\r\n:1 INV x\xE9\r\n"));
    QCOMPARE(readAll(base + "-FILTR_STR.txt"), QByteArray(":1 INV a;\r\n"));
    QCOMPARE(readAll(base + "-INFO_STR.txt"), QByteArray(""));
}

void TestConsoleLogic::logSetOverwritesAndNeverCreatesBase()
{
    QTemporaryDir dir;
    const QString base = dir.filePath("log.txt");
    logic::writeLogSet(base, {"a long first line", "second"}, {"x"}, {"y"});
    logic::writeLogSet(base, {"s"}, {}, {"z"});
    QCOMPARE(readAll(base + "-ALL_STR.txt"), QByteArray("s\r\n"));
    QCOMPARE(readAll(base + "-FILTR_STR.txt"), QByteArray(""));
    QCOMPARE(readAll(base + "-INFO_STR.txt"), QByteArray("z\r\n"));
    QVERIFY(!QFile::exists(base));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

void TestConsoleLogic::logSetMissingFolder()
{
    QTemporaryDir dir;
    const QString base = dir.filePath("no/such/folder/B");
    try {
        logic::writeLogSet(base, {"a"}, {"b"}, {"c"});
        QFAIL("no error for a missing folder");
    } catch (const plat::Error &e) {
        QVERIFY2(e.message().contains("B-ALL_STR.txt"), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(base + "-FILTR_STR.txt"));
}

static int openFiles()
{
    return static_cast<int>(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

void TestConsoleLogic::logSetStopsAtFullDisk()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("no /dev/full");
    QTemporaryDir dir;
    const QString base = dir.filePath("B");
    QVERIFY(QFile::link("/dev/full", base + "-FILTR_STR.txt"));
    const int before = openFiles();
    try {
        logic::writeLogSet(base, {"a"}, {"b"}, {"c"});
        QFAIL("no error for a full disk");
    } catch (const plat::Error &e) {
        QVERIFY2(e.message().contains("B-FILTR_STR.txt"), qPrintable(e.message()));
    }
    QCOMPARE(openFiles(), before); // the failing file is closed, not left open
    QCOMPARE(readAll(base + "-ALL_STR.txt"), QByteArray("a\r\n"));
    QVERIFY(!QFile::exists(base + "-INFO_STR.txt"));
}

QTEST_GUILESS_MAIN(TestConsoleLogic)
#include "test_console_logic.moc"
