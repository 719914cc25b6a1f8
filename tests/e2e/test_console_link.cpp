// The console against simulated readers on pseudo-terminals: detection, SEND, the pump
// and the stop handshake.
#include "ConsoleFixture.h"

#include <QDir>

using sim::Kind;

class TestConsoleLink : public QObject {
    Q_OBJECT
private slots:
    // A probe for each model word, a silent port and a missing one.
    void probe_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("found");
        QTest::newRow("900") << int(Kind::Vrx900) << "VRX900-15" << true;
        QTest::newRow("433") << int(Kind::Vrx433) << "VRX433-16" << true;
        QTest::newRow("SAW") << int(Kind::Vrx433Saw) << "VRX433-SAW" << true;
        QTest::newRow("WG") << int(Kind::Wiegand) << "WG" << true;
        QTest::newRow("K4000") << int(Kind::K4000) << "K4000" << true;
        QTest::newRow("wrong word") << int(Kind::Vrx433) << "VRX900-15" << false;
        QTest::newRow("silent") << int(Kind::Silent) << "VRX900-15" << false;
        QTest::newRow("noisy") << int(Kind::Noisy) << "WG" << false;
    }
    void probe()
    {
        QFETCH(int, kind);
        QFETCH(QString, word);
        QFETCH(bool, found);
        sim::Simulator s;
        QVERIFY(s.addPort(1, Kind(kind)));
        qputenv("COMPORT_DIR", s.dir().toLocal8Bit());
        Tmy_COM com;
        QStringList echo;
        com.Echo = [&](const QString &l, const QString &) { echo << l; };
        QCOMPARE(com.check_port(QStringLiteral("COM1"), 1, QStringLiteral(": baud=115200 parity=N data=8 stop=2"),
                                QStringLiteral("VERSION"), word),
                 found);
        QCOMPARE(echo, QStringList{QStringLiteral("01:00000001 VERSION;")});
        QCOMPARE(com.hPORT != nullptr, found);
        QVERIFY(s.waitForWire(1, QByteArray("\x01:00000001 VERSION;"), 2000));
        if (found) {
            // The port stays held: a second open fails until the link is released.
            plat::SerialPort again;
            QVERIFY(!again.open(QStringLiteral("COM1")));
            com.ReleaseLink();
            QVERIFY(again.open(QStringLiteral("COM1")));
        }
    }

    void probeOfMissingPortSendsNothing()
    {
        sim::Simulator s;
        qputenv("COMPORT_DIR", s.dir().toLocal8Bit());
        Tmy_COM com;
        int echoes = 0;
        com.Echo = [&](const QString &, const QString &) { ++echoes; };
        QVERIFY(!com.check_port(QStringLiteral("COM7"), 1, QStringLiteral(": baud=115200 parity=N data=8 stop=2"),
                                QStringLiteral("VERSION"), QStringLiteral("WG")));
        QCOMPARE(echoes, 0);
        QCOMPARE(com.NUM_COMMAND, 0);
    }

    // The road of one request: reader on COM3 behind two silent ports, then SEND.
    void detectionAndSend()
    {
        ConsoleBench b;
        b.addPort(1, Kind::Silent);
        b.addPort(2, Kind::Silent);
        b.addPort(3, Kind::Vrx900);
        TFormPLUV &f = b.open();
        f.BitBtnUTIL_FIND_COM->click();
        QVERIFY2(b.errors.isEmpty(), qPrintable(b.errors.join('\n')));

        const QString def = QStringLiteral("COM3: baud=115200 parity=N data=8 stop=2");
        QCOMPARE(f.MemoUTIL_REC->lines(), QStringList{QStringLiteral("VRX900-15 found ") + def});
        QVERIFY(f.MemoUTIL_SEND->lines().isEmpty());
        QCOMPARE(f.PageControl2->currentWidget(), f.TabSheet900);
        QCOMPARE(f.PageControl1->currentWidget(), f.TabSheetUTIL);
        QCOMPARE(f.LabelCOM_PORT_STATUS->text(), def);
        QCOMPARE(f.cbCOMPORT->currentText(), QStringLiteral("COM3"));
        QVERIFY(f.BitBtn_ANT_TEST_START->isEnabled());
        QCOMPARE(f.BitBtn_ANT_TEST_dev_found->text(), QStringLiteral("COM3"));
        QVERIFY(!f.BitBtn_ANT_TEST_dev_found->isEnabled());
        QVERIFY(f.BitBtnKAMAZ_START_INV->isEnabled());
        QCOMPARE(f.Memo_ANT_TEST_info->lines(), QStringList{QStringLiteral("VRX900-15 found ") + def});
        QCOMPARE(f.TimerMAIN->interval(), 1000);
        QVERIFY(f.TimerMAIN->isActive());
        // Five probes per silent port and one on COM3, each echoed in the terminal.
        QCOMPARE(f.MemoTERMINAL->count(), 11);
        QCOMPARE(f.MemoTERMINAL->line(10),
                 QStringLiteral(">> 01 3A 30 30 30 30 30 30 31 31 20 56 45 52 53 49 4F 4E 3B"));

        f.BitBtnUTIL_SEND_COMMAND->click();
        QCOMPARE(f.MemoUTIL_SEND->lines(), QStringList{QStringLiteral("01:00000012 VERSION;")});
        QVERIFY(b.sim.waitForWire(3, QByteArray::fromHex("013A30303030303031322056455253494F4E3B"), 5000));

        QVERIFY(b.pumpUntil([&] { return b.recContains(QStringLiteral(":00000012 VERSION VRX900-15")); }));
        QCOMPARE(f.TimerMAIN->interval(), 20);
        bool dumped = false;
        for (const QString &l : f.MemoTERMINAL->lines())
            dumped |= l.startsWith(QStringLiteral("<< 00 3A 30 30 30 30 30 30 31 32 20 56"));
        QVERIFY(dumped);
    }

    void eachReaderBringsItsPage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("message");
        QTest::newRow("900") << int(Kind::Vrx900) << "TabSheet900" << "VRX900-15 found ";
        QTest::newRow("433") << int(Kind::Vrx433) << "TabSheet433" << "VRX433-1 found ";
        QTest::newRow("SAW") << int(Kind::Vrx433Saw) << "TabSheet433" << "VRX433-SAW found ";
        QTest::newRow("WG") << int(Kind::Wiegand) << "TabSheetWG" << "WG found ";
        QTest::newRow("K4000") << int(Kind::K4000) << "TabSheetTqz" << "K4000 found ";
    }
    void eachReaderBringsItsPage()
    {
        QFETCH(int, kind);
        QFETCH(QString, page);
        QFETCH(QString, message);
        ConsoleBench b;
        b.addPort(1, Kind(kind));
        TFormPLUV &f = b.open();
        f.BF_START();
        QCOMPARE(f.PageControl2->currentWidget()->objectName(), page);
        QCOMPARE(f.MemoUTIL_REC->lines(),
                 QStringList{message + QStringLiteral("COM1: baud=115200 parity=N data=8 stop=2")});
        const bool saw = Kind(kind) == Kind::Vrx433Saw;
        QCOMPARE(f.MemoSAW2011_Info->lines(), saw ? f.MemoUTIL_REC->lines() : QStringList{});
        QCOMPARE(plat::fontColor(f.BitBtnSAW2011_COM), saw ? plat::clGreen : plat::clBlack);
        QCOMPARE(f.BitBtn_ANT_TEST_START->isEnabled(), Kind(kind) == Kind::Vrx900);
    }

    void earlierWordWins()
    {
        ConsoleBench b;
        sim::PortOptions o;
        o.kind = Kind::Vrx433;
        o.versionAnswer = QStringLiteral(":00000001 VERSION VRX433-SAW VRX433-16 WG;");
        TFormPLUV &f = b.openWithReader(o);
        QVERIFY(f.MemoUTIL_REC->line(0).startsWith(QStringLiteral("VRX433-1 found COM1")));
    }

    void readerAtAnotherAddressIsNotFound()
    {
        ConsoleBench b;
        sim::PortOptions o;
        o.kind = Kind::Vrx900;
        o.busAddress = 2;
        TFormPLUV &f = b.openWithReader(o);
        QCOMPARE(f.MemoUTIL_SEND->lines(), QStringList{QStringLiteral("correct devices not found ")});
        QVERIFY(f.portObject() == nullptr);
    }

    void noReader()
    {
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Silent);
        QCOMPARE(f.PageControl1->currentWidget(), f.TabSheetTITLE);
        QCOMPARE(f.MemoUTIL_SEND->lines(), QStringList{QStringLiteral("correct devices not found ")});
        QVERIFY(f.MemoUTIL_REC->lines().isEmpty());
        QCOMPARE(f.MemoSAW2011_Info->lines(), QStringList{QStringLiteral("VRX433-SAW not found ")});
        QCOMPARE(plat::fontColor(f.BitBtnSAW2011_COM), plat::clRed);
        QVERIFY(f.portObject() == nullptr);
        QCOMPARE(f.MemoTERMINAL->count(), 5); // the five probes stay in the terminal
        QCOMPARE(f.TimerMAIN->interval(), 1000);

        // Without a link the send operations do nothing and the clock still runs.
        f.BitBtnUTIL_SEND_COMMAND->click();
        f.TimerMAINTimer();
        QCOMPARE(f.MemoTERMINAL->count(), 5);
        QVERIFY(!f.Label_ANT_TEST_TIME->text().isEmpty());
    }

    // A second run while this console holds the reader finds it again; the counter goes on.
    void secondRunFindsTheReaderAgain()
    {
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        Tmy_COM *first = f.portObject();
        QVERIFY(first && first->COM);
        f.BitBtnUTIL_FIND_COM->click();
        QCOMPARE(f.portObject(), first);
        QVERIFY(first->COM);
        QCOMPARE(first->NUM_COMMAND, 2);
        QCOMPARE(f.MemoUTIL_REC->lines().size(), 1);
        QVERIFY(f.MemoUTIL_REC->line(0).startsWith(QStringLiteral("VRX900-15 found COM1")));
        f.SEND_STRING_COMA(QStringLiteral("GET_TEMPERATURE"));
        QVERIFY(b.pumpUntil([&] { return b.recContains(QStringLiteral("GET_TEMPERATURE OK")); }));
    }

    void badAddressReachesTheErrorBox_data()
    {
        QTest::addColumn<QString>("addr");
        QTest::newRow("letters") << "x1";
        QTest::newRow("blank") << "";
        QTest::newRow("decimal point") << "1.0";
    }
    void badAddressReachesTheErrorBox()
    {
        QFETCH(QString, addr);
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        b.sim.clearWireLog(1);
        f.ComboBoxUTIL_ADDR->setEditText(addr);
        f.BitBtnUTIL_SEND_COMMAND->click();
        QCOMPARE(b.errors, QStringList{QStringLiteral("'%1' is not a valid integer value").arg(addr)});
        QCOMPARE(f.portObject()->NUM_COMMAND, 1);
        QVERIFY(f.MemoUTIL_SEND->lines().isEmpty());
        QThread::msleep(200);
        QVERIFY(b.sim.wireLog(1).isEmpty());
    }

    void addressTexts_data()
    {
        QTest::addColumn<QString>("addr");
        QTest::addColumn<char>("byte");
        QTest::newRow("1") << "1" << char(1);
        QTest::newRow("001") << "001" << char(1);
        QTest::newRow("$1F") << "$1F" << char(0x1F);
        QTest::newRow("256") << "256" << char(0);
    }
    void addressTexts()
    {
        QFETCH(QString, addr);
        QFETCH(char, byte);
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        f.ComboBoxUTIL_ADDR->setEditText(addr);
        f.ComboBoxUTIL_COMMAND->setEditText(QString());
        f.BitBtnUTIL_SEND_COMMAND->click();
        QVERIFY(b.sim.waitForWire(1, QByteArray(1, byte) + ":00000002 ;", 5000));
    }

    // EPC_STOP is repeated every tick until STOP_INVENTORY, which the receive list never shows.
    void stopHandshake()
    {
        ConsoleBench b;
        sim::PortOptions o;
        o.kind = Kind::Vrx900;
        o.stopsToIgnore = 2;
        o.cyclesPerSecond = 20;
        TFormPLUV &f = b.openWithReader(o);
        f.BitBtnEPC_INVENTORY_TIME->click();
        QVERIFY(b.sim.waitForWire(1, "QELM_EPC_INVENTORY_TIME 20 5 15;", 5000));
        QVERIFY(b.pumpUntil([&] { return b.recContains(QStringLiteral(" INV ")); }));

        f.BitBtnQELM_INVENTORY_STOP->click();
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(f.TimerSTOP->isActive());
        const int recBefore = f.MemoUTIL_REC->count();
        QElapsedTimer t;
        t.start();
        while (STOP_PENDING == 1 && t.elapsed() < 20000) {
            f.TimerSTOPTimer();
            // Pump until the flag clears; answers after that are shown again.
            b.pumpUntil([] { return STOP_PENDING == 0; }, 100);
        }
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(b.sim.wireLog(1).count("EPC_STOP;") >= 3);
        QCOMPARE(f.MemoUTIL_REC->count(), recBefore);
        QVERIFY(!b.recContains(QStringLiteral("STOP_INVENTORY")));
        QVERIFY(f.TimerSTOP->isActive());
        f.BitBtn_ANT_TEST_START->setEnabled(false);
        f.TimerSTOPTimer();
        QVERIFY(!f.TimerSTOP->isActive());
        QVERIFY(f.BitBtn_ANT_TEST_START->isEnabled());
    }

    void startDuringStopRepetitionEndsIt()
    {
        ConsoleBench b;
        sim::PortOptions o;
        o.kind = Kind::Vrx900;
        o.stopsToIgnore = 1000;
        TFormPLUV &f = b.openWithReader(o);
        f.BitBtnQELM_INVENTORY_STOP->click();
        f.TimerSTOPTimer();
        f.TimerSTOPTimer();
        QCOMPARE(STOP_PENDING, 1);
        f.BitBtnEPC_INVENTORY_TIME->click();
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f.TimerSTOP->isActive());
        QCOMPARE(f.MemoUTIL_SEND->lines(),
                 QStringList({"01:00000002 EPC_STOP;", "01:00000003 EPC_STOP;", "01:00000004 EPC_STOP;",
                              "01:00000005 QELM_EPC_INVENTORY_TIME 20 5 15;"}));
    }

    // Closing the window with a running inventory stops the thread and frees the port.
    void closingReleasesThePort()
    {
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        f.BitBtnEPC_INVENTORY_TIME->click();
        QVERIFY(b.pumpUntil([&] { return b.recContains(QStringLiteral(" INV ")); }));
        f.close();
        plat::SerialPort p;
        QVERIFY(p.open(QStringLiteral("COM1")));
    }
};

QTEST_MAIN(TestConsoleLink)
#include "test_console_link.moc"
