// The console window's start-up state, its list and title double clicks, the item function,
// and the 900 tab's command lines on the wire.
#include "ConsoleFixture.h"

#include <QLineEdit>
#include <QMouseEvent>

using sim::Kind;

namespace {

void doubleClick(QWidget *w)
{
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

QStringList visibleTabs(QTabWidget *t)
{
    QStringList out;
    for (int i = 0; i < t->count(); ++i)
        if (t->isTabVisible(i))
            out << t->widget(i)->objectName();
    return out;
}

} // namespace

class TestConsoleCore : public QObject {
    Q_OBJECT
private slots:
    void startUpState()
    {
        ConsoleBench b;
        TFormPLUV &f = b.open();
        QCOMPARE(visibleTabs(f.PageControl1), QStringList({"TabSheetTITLE", "TabSheetUTIL", "TabSheetTERMINAL"}));
        QCOMPARE(f.PageControl1->currentWidget(), f.TabSheetUTIL);
        QCOMPARE(f.PageControl2->currentWidget(), f.TabSheet900);
        QCOMPARE(f.ComboBoxUTIL_COMMAND->currentText(), QStringLiteral("VERSION"));
        QCOMPARE(f.ComboBoxUTIL_COMMAND->count(), 40);
        QCOMPARE(f.ComboBoxUTIL_COMMAND->itemText(5), QStringLiteral("SEND_COP_READ_MEMORY  EEEE FEDCBA01  10  0"));
        QCOMPARE(f.ComboBoxUTIL_COMMAND->itemText(22), QStringLiteral("GET_ADC "));
        QCOMPARE(f.ComboBoxUTIL_COMMAND->itemText(4), QString());
        QCOMPARE(f.ComboBoxUTIL_ADDR->currentText(), QStringLiteral("01"));
        QCOMPARE(f.ComboBoxUTIL_ADDR->count(), 9);
        QCOMPARE(f.cbCOMPORT->currentText(), QStringLiteral("----"));
        QCOMPARE(f.cbCOMPORT->itemText(8), QStringLiteral("COM9"));
        QCOMPARE(f.LabelCOM_PORT_STATUS->text(), QStringLiteral("STATUS"));
        QCOMPARE(f.BitBtnUTIL_FIND_COM->text(), QStringLiteral("COM"));
        QCOMPARE(f.BitBtnUTIL_FIND_COM->toolTip(), QStringLiteral("reader search"));
        QStringList pages2;
        for (int i = 0; i < f.PageControl2->count(); ++i)
            pages2 << f.PageControl2->tabText(i);
        QCOMPARE(pages2.mid(0, 4), QStringList({"433", "900", "Wiegand", "ALPHA"}));
        for (plat::Memo *m : f.findChildren<plat::Memo *>())
            QVERIFY2(m->count() == 0, qPrintable(m->objectName()));
        QVERIFY(f.portObject() == nullptr);
        const std::pair<const char *, int> timers[] = {
            {"TimerMAIN", 10}, {"Timer433", 2000}, {"TimerSTOP", 100}, {"TimerSAW2011", 1000}, {"TimerKAMAZ", 1000}};
        for (const auto &[name, interval] : timers) {
            auto *t = f.findChild<QTimer *>(QString::fromLatin1(name));
            QVERIFY2(t, name);
            QCOMPARE(t->interval(), interval);
            QCOMPARE(t->isActive(), QByteArray(name) == "TimerMAIN");
        }
        QVERIFY(!f.BitBtn_ANT_TEST_START->isEnabled());
        QVERIFY(!f.BitBtn_ANT_TEST_STOP->isEnabled());
        QVERIFY(!f.BitBtnKAMAZ_START_INV->isEnabled());
        QVERIFY(!f.BitBtnKAMAZ_STOP_INV->isEnabled());
        QVERIFY(f.Label_ANT_TEST_INV_COUNT->text().isEmpty());
        QVERIFY(f.LabelSAW2011TimerCount->text().isEmpty());
        QVERIFY(!f.CheckBoxINV_LOG_ON->isChecked());

        // The clock runs before any detection.
        f.TimerMAINTimer();
        QVERIFY(!f.Label_ANT_TEST_TIME->text().isEmpty());
    }

    void titleDoubleClickShowsTheHiddenTabs()
    {
        ConsoleBench b;
        TFormPLUV &f = b.open();
        f.PageControl1->setCurrentWidget(f.TabSheetTERMINAL);
        doubleClick(f.LabelTitle);
        const QStringList all = {"TabSheetTITLE", "TabSheetUTIL", "TabSheetTERMINAL", "TabSheet_ANT_TEST",
                                 "TabSheetLOG",   "TabSheetSAW2011", "TabSheetKAMAZ"};
        QCOMPARE(visibleTabs(f.PageControl1), all);
        QCOMPARE(f.PageControl1->currentWidget(), f.TabSheetTERMINAL);
        doubleClick(f.LabelTitle);
        QCOMPARE(visibleTabs(f.PageControl1), all);
    }

    void listDoubleClickClearsOnlyThatList()
    {
        ConsoleBench b;
        TFormPLUV &f = b.open();
        for (plat::Memo *m : {f.MemoUTIL_SEND, f.MemoUTIL_REC, f.MemoTERMINAL})
            m->appendLine(QStringLiteral("x"));
        doubleClick(f.MemoUTIL_REC->viewport());
        QCOMPARE(f.MemoUTIL_REC->count(), 0);
        QCOMPARE(f.MemoUTIL_SEND->count(), 1);
        doubleClick(f.MemoTERMINAL->viewport());
        QCOMPARE(f.MemoTERMINAL->count(), 0);
        doubleClick(f.MemoUTIL_SEND->viewport());
        doubleClick(f.MemoUTIL_SEND->viewport());
        QCOMPARE(f.MemoUTIL_SEND->count(), 0);
    }

    void getAnswerItem_data()
    {
        QTest::addColumn<QString>("s");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("item");
        const QString inv = QStringLiteral(":00000012 START_INVENTORY 5;");
        QTest::newRow("item 1") << inv << 1 << "00000012";
        QTest::newRow("item 2") << inv << 2 << "START_INVENTORY";
        QTest::newRow("item 3") << inv << 3 << "5";
        QTest::newRow("no item 4") << inv << 4 << "";
        QTest::newRow("item 0") << inv << 0 << "";
        QTest::newRow("negative") << inv << -1 << "";
        QTest::newRow("runs of blanks") << ":A   B;" << 2 << "B";
        QTest::newRow("colon inside item") << ":A:B C;" << 1 << "A:B";
        QTest::newRow("item after colon") << ":A:B C;" << 2 << "B";
        QTest::newRow("item after it") << ":A:B C;" << 3 << "C";
        QTest::newRow("starts at semicolon") << ":A ;" << 2 << "";
        QTest::newRow("empty frame") << ":;" << 1 << "";
        QTest::newRow("no colon") << "OK;" << 1 << "error";
        QTest::newRow("no semicolon") << ":OK" << 1 << "error";
        QTest::newRow("empty") << "" << 1 << "error";
        QTest::newRow("cut frame") << (":" + QString(1023, QLatin1Char('x'))) << 1 << "error";
        QTest::newRow("inv items") << ":00000007 INV 1 0 3000E2 -61;" << 6 << "-61";
    }
    void getAnswerItem()
    {
        QFETCH(QString, s);
        QFETCH(int, n);
        QTEST(GetAnswerItem(n, s), "item");
    }

    // Each 900 tab button's line as it reaches the reader; boxes as given in the row.
    void lines900_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("edits"); // box=text pairs applied before the click
        QTest::addColumn<QString>("line");
        using S = QStringList;
        QTest::newRow("INIT_LABEL") << "BitBtnEPC_INIT_LABEL" << S{} << "QELM_INIT_LABEL 3008 0000";
        QTest::newRow("WR_DATA_EPC") << "BitBtn_QELM_WR_DATA_EPC" << S{} << "QELM_WR_DATA_EPC 1 0000";
        QTest::newRow("WR_DATA_USER") << "BitBtn_QELM_WR_DATA_USER" << S{} << "QELM_WR_DATA_USER 1 0000";
        QTest::newRow("RD_DATA_EPC") << "BitBtn_QELM_RD_DATA_EPC" << S{} << "QELM_RD_DATA_EPC ";
        QTest::newRow("RD_DATA_USER") << "BitBtnQELM_RD_DATA_USER" << S{} << "QELM_RD_DATA_USER ";
        QTest::newRow("CURR_WR_DATA_EPC") << "BitBtnQELM_CURR_WR_DATA_EPC" << S{} << "QELM_CURR_WR_DATA_EPC 0001 1 1234";
        QTest::newRow("CURR_WR_DATA_USER") << "BitBtnQELM_CURR_WR_DATA_USER" << S{} << "QELM_CURR_WR_DATA_USER 0001 1 1234";
        QTest::newRow("CURR_RD_DATA_EPC") << "BitBtnQELM_CURR_RD_DATA_EPC" << S{} << "QELM_CURR_RD_DATA_EPC 0001";
        QTest::newRow("CURR_RD_DATA_USER") << "BitBtnQELM_CURR_RD_DATA_USER" << S{} << "QELM_CURR_RD_DATA_USER 0001";
        QTest::newRow("EPC_INVENTORY_TIME") << "BitBtnEPC_INVENTORY_TIME" << S{} << "QELM_EPC_INVENTORY_TIME 20 5 15";
        QTest::newRow("INVENTORY_STOP") << "BitBtnQELM_INVENTORY_STOP" << S{} << "EPC_STOP";
        QTest::newRow("SET_ATT_OUT") << "BitBtn900_SET_ATT_OUT" << S{} << "SET_ATT_OUT 10";
        QTest::newRow("QUERY_ACK") << "BitBtn900_QUERY_ACK" << S{} << "F_TST_EPC_0_QUERY_ACK ";
        QTest::newRow("W2 empty") << "BitBtnEPC_INIT_LABEL" << S{"ComboBox_EPC_INIT_LABEL_W2="} << "QELM_INIT_LABEL 3008 ";
        QTest::newRow("inventory boxes empty")
            << "BitBtnEPC_INVENTORY_TIME"
            << S{"ComboBoxEPC_INVENTORY_TIME_Q=", "ComboBoxEPC_INVENTORY_TIME_C=", "ComboBoxEPC_INVENTORY_TIME_CNTR="}
            << "QELM_EPC_INVENTORY_TIME   ";
        QTest::newRow("typed blanks") << "BitBtn900_SET_ATT_OUT" << S{"ComboBox900_SET_ATT_OUT=12 34"} << "SET_ATT_OUT 12 34";
        QTest::newRow("case kept") << "BitBtn_QELM_WR_DATA_EPC" << S{"ComboBoxQELM_WR_DATA_EPC_DATA= abCd "}
                                   << "QELM_WR_DATA_EPC 1  abCd ";
        QTest::newRow("chosen item") << "BitBtn_QELM_WR_DATA_USER" << S{"ComboBox_QELM_WR_DATA_USER_P=#4"}
                                     << "QELM_WR_DATA_USER 5 0000";
        QTest::newRow("CURR boxes serve all four") << "BitBtnQELM_CURR_RD_DATA_USER"
                                                   << S{"ComboBoxQELM_CURR_WR_DATA_EPC_M=00FF"} << "QELM_CURR_RD_DATA_USER 00FF";
    }
    void lines900()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, edits);
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        QVERIFY(f.portObject());
        for (const QString &e : edits) {
            const int eq = e.indexOf('=');
            auto *box = f.findChild<QComboBox *>(e.left(eq));
            QVERIFY2(box, qPrintable(e));
            const QString text = e.mid(eq + 1);
            if (text.startsWith('#'))
                box->setCurrentIndex(text.mid(1).toInt());
            else
                box->setEditText(text);
        }
        QTEST(b.clickAndTake(button), "line");
        QVERIFY(b.errors.isEmpty());
    }

    // Two stops in a row: both sent, the flag stays set and the timer keeps its period.
    void secondStopKeepsTheHandshake()
    {
        ConsoleBench b;
        TFormPLUV &f = b.open();
        f.BitBtnQELM_INVENTORY_STOP->click(); // no link: flag and timer change all the same
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(f.TimerSTOP->isActive());
        const int id = f.TimerSTOP->timerId();
        f.BitBtnQELM_INVENTORY_STOP->click();
        QCOMPARE(STOP_PENDING, 1);
        QCOMPARE(f.TimerSTOP->timerId(), id); // enabling an enabled timer does not restart it
        f.BitBtnEPC_INVENTORY_TIME->click();
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f.TimerSTOP->isActive());
    }

    // A bad address ends INVENTORY_STOP at the send: the flag and the timer stay as they were.
    void badAddressStopsBeforeTheFlag()
    {
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        f.ComboBoxUTIL_ADDR->setEditText(QStringLiteral("zz"));
        f.BitBtnQELM_INVENTORY_STOP->click();
        QCOMPARE(b.errors, QStringList{QStringLiteral("'zz' is not a valid integer value")});
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f.TimerSTOP->isActive());
    }

    // The answer handlers on their own: what reaches the lists, and what is counted.
    void inventoryHandlers()
    {
        ConsoleBench b;
        TFormPLUV &f = b.open();
        auto feed = [&](const QString &a) {
            f.HandleInventoryAnswer(a);
            f.HandleStopInventoryAnswer(a);
            f.HandleLogAnswer(a);
        };
        f.CheckBoxINV_LOG_ON->setChecked(true);
        feed(QStringLiteral(":1 INV 1 0 E1 -40;")); // before any cycle: number 00000000
        feed(QStringLiteral(":1 START_INVENTORY 2;"));
        feed(QStringLiteral(":1 INV 1 0 E1 -40;"));
        feed(QStringLiteral(":1 INV 1 0 E1 -40;"));
        feed(QStringLiteral(":1 INV 1 0;")); // items 5 and 6 missing
        QCOMPARE(f.MemoUTIL_REC->count(), 5);
        QCOMPARE(f.MemoLOG_STR->count(), 4);
        QCOMPARE(f.MemoLOG_STR_FILTR->lines(), QStringList({":1 INV 1 0 E1 -40;", ":1 INV 1 0;"}));
        QCOMPARE(f.LabelLOG_NUM_INV->text(), QStringLiteral("CAPACITY: 2"));
        QVERIFY(f.MemoLOG_ALL->line(0).endsWith(QStringLiteral("    00000000     E1  -40")));
        QVERIFY(f.MemoLOG_ALL->line(1).endsWith(QStringLiteral("    00000001     E1  -40")));
        QVERIFY(f.MemoLOG_ALL->line(3).endsWith(QStringLiteral("    00000001       ")));
        // Counting for the antenna test is off until its START.
        QCOMPARE(INV_COUNT, 0);
        QCOMPARE(TAG_COUNT, 0);

        // A cleared filter list starts its de-duplication again.
        f.MemoLOG_STR_FILTR->clearLines();
        feed(QStringLiteral(":1 INV 1 0 E1 -40;"));
        QCOMPARE(f.MemoLOG_STR_FILTR->count(), 1);

        // While a stop is pending nothing reaches the receive list; the stop answer clears it.
        STOP_PENDING = 1;
        feed(QStringLiteral(":1 INV 1 0 E2 -41;"));
        feed(QStringLiteral(":1 STOP_INVENTORY;"));
        QCOMPARE(STOP_PENDING, 0);
        QCOMPARE(f.MemoUTIL_REC->count(), 6);
        feed(QStringLiteral(":1 STOP_INVENTORY;"));
        QCOMPARE(f.MemoUTIL_REC->count(), 7);
    }

    // The ring's loss reaches the terminal as a line of its own once the pump runs.
    void receiveLossIsShown()
    {
        ConsoleBench b;
        sim::PortOptions o;
        o.kind = Kind::Vrx900;
        o.pace = false;
        TFormPLUV &f = b.openWithReader(o);
        // 410 000 bytes while the pump does not run: the first answer waits, the ring fills.
        f.TimerMAIN->stop();
        b.sim.inject(1, ":" + QByteArray(410000, 'x'));
        QElapsedTimer t;
        t.start();
        while (f.portObject()->COM->LOST_BYTES.load() == 0 && t.elapsed() < 60000)
            QThread::msleep(20);
        QVERIFY(b.pumpUntil(
            [&] {
                for (const QString &l : f.MemoTERMINAL->lines())
                    if (l.startsWith(QStringLiteral("!! ")) && l.contains(QStringLiteral("lost")))
                        return true;
                return false;
            },
            60000));
    }

    // Garbage on the line: only whole frames (and a frame cut at 1024 bytes) reach the list.
    void garbageOnTheLine()
    {
        ConsoleBench b;
        sim::PortOptions o;
        o.kind = Kind::Vrx900;
        o.pace = false;
        TFormPLUV &f = b.openWithReader(o);
        QByteArray junk;
        for (int i = 0; i < 4096; ++i) // every byte value but ":"
            junk += char((i * 37 + 11) % 256 == ':' ? 'x' : (i * 37 + 11) % 256);
        const QByteArray cut = ":" + QByteArray(1029, 'y');
        b.sim.inject(1, junk + ":half\r\n" + QByteArray(1024, '\0') + cut + "\x01:END 1;\r\n");
        QVERIFY(b.pumpUntil([&] { return b.recContains(QStringLiteral(":END 1;")); }));
        QStringList got = f.MemoUTIL_REC->lines().mid(1);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got.at(0), QString::fromLatin1(cut.left(1024)));
        QCOMPARE(got.at(1), QStringLiteral(":END 1;"));
        QVERIFY(f.portObject()->COM->isRunning());
        QCOMPARE(GetAnswerItem(1, got.at(0)), QStringLiteral("error"));
    }

    // A device that vanishes while connected leaves the console working.
    void vanishedDevice()
    {
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        b.sim.removePort(1);
        b.pumpUntil([] { return false; }, 300);
        f.BitBtnUTIL_SEND_COMMAND->click();
        QVERIFY(b.errors.isEmpty());
        QCOMPARE(f.MemoUTIL_SEND->count(), 1); // sent into the void, as a real port would
        QVERIFY(f.portObject()->COM->isRunning());
        f.BitBtnUTIL_FIND_COM->click();
        QCOMPARE(f.MemoUTIL_SEND->lines(), QStringList{QStringLiteral("correct devices not found ")});
    }

    void sendAfterFirstProbeOnCom1()
    {
        ConsoleBench b;
        TFormPLUV &f = b.openWithReader(Kind::Vrx900);
        b.sim.clearWireLog(1);
        f.BitBtnUTIL_SEND_COMMAND->click();
        QVERIFY(b.sim.waitForWire(1, QByteArray::fromHex("013A30303030303030322056455253494F4E3B"), 5000));
        QThread::msleep(100);
        QCOMPARE(b.sim.wireLog(1), QByteArray::fromHex("013A30303030303030322056455253494F4E3B"));
    }
};

QTEST_MAIN(TestConsoleCore)
#include "test_console_core.moc"
