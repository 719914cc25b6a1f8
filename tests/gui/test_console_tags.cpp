// The 433, Wiegand and ALPHA tabs on a real window, sending to a simulated reader.
#include "ConsoleFixture.h"

#include <QDateTime>
#include <QLineEdit>
#include <QRegularExpression>

using sim::Kind;

class TestConsoleTags : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleBench> bench;
    TFormPLUV *f = nullptr;

    QString lastSent() const { return bench->lastSent(); }
    QString clickAndTake(const QString &button) { return bench->clickAndTake(button); }

private slots:
    void init()
    {
        bench = std::make_unique<ConsoleBench>();
        if (QByteArray(QTest::currentTestFunction()) == "components") {
            f = &bench->open(); // looks only: no link needed
            return;
        }
        bench->addPort(1, Kind::Vrx433);
        f = &bench->open();
        f->BF_START();
        QVERIFY(bench->recContains(QStringLiteral("VRX433-1 found COM1")));
    }
    void cleanup()
    {
        QVERIFY2(bench->errors.isEmpty() || QTest::currentTestFailed(), qPrintable(bench->errors.join('\n')));
        bench.reset();
        f = nullptr;
    }

    void components_data();
    void components();
    void lines_data();
    void lines();
    void textsGoOutAsTyped_data();
    void textsGoOutAsTyped();
    void badAddressEndsTheClick();
    void noLinkSendsNothing();
    void overLongTextIsRefused();
    void repeater();
    void repeaterWithBadAddressShowsOneBoxAtATime();
    void setTime();
    void incW3Button();
};

void TestConsoleTags::components_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("hint");
    auto row = [](const char *name, const char *text, const QStringList &items = {}, const char *hint = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text) << items << QString::fromLatin1(hint);
    };
    row("BitBtn433_SEND_COP_COLLECTION", "SEND_COP_COLLECTION");
    row("ComboBox433_WindowSize", "16");
    row("ComboBox433_MaxPacketLength", "48");
    row("ComboBox433_UDBTypeCode", "11");
    row("ComboBox433_TimeOut", "3000");
    row("BitBtn433_SEND_COP_SLEEP", "SEND_COP_SLEEP");
    row("BitBtnSEND_COP_READ_USER_ID", "SEND_COP_READ_USER_ID");
    row("ComboBoxTagManufacturerID", "EEEE");
    row("ComboBoxTagSerialNumber", "FEDCBA01", {"FEDCBA01", "FEDCBA02", "FEDCBA03", "FEDCBA04"});
    row("BitBtnSEND_COP_RSSI_READ_USER_ID", "SEND_COP_RSSI_READ_USER_ID");
    row("BitBtnSEND_N_COP_READ_USER_ID", "SEND_N_COP_READ_USER_ID");
    row("ComboBoxSEND_N_COP_READ_USER_ID", "10");
    row("BitBtnSEND_COP_WR_USER_ID", "SEND_COP_WR_USER_ID");
    row("ComboBox_util_SEND_COP_WR_USER_ID_Len", "0C",
        {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "0A", "0B", "0C"},
        "number of bytes to write (hexadecimal), 0C at most");
    row("ComboBox_util_SEND_COP_WR_USER_ID", "00 11 22 33 44 55 66 77 88 99 AA BB", {},
        "data to write, hexadecimal, byte by byte separated by blanks");
    row("BitBtn_util_SEND_COP_READ_MEMORY", "SEND_COP_READ_MEMORY");
    row("ComboBox_util_SEND_COP_WR_MEMORY_Length", "10", {}, "number of bytes to read (hexadecimal), 10 at most");
    row("ComboBox_util_SEND_COP_WR_MEMORY_Addr", "0", {}, "offset (address) in memory, hexadecimal");
    row("BitBtn_util_SEND_COP_WR_MEMORY", "SEND_COP_WR_MEMORY");
    row("ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Length", "10", {},
        "number of bytes to write (hexadecimal), 10 at most");
    row("ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Addr", "0", {}, "offset (address) in memory, hexadecimal");
    row("ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Data", "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    row("BitBtnLabPeriod250ms", "LoadPeriod", {},
        "loads the tag's wake-up period into address 20h (in multiples of 250 ms)");
    row("ComboBoxLabPeriod250ms", "4", {}, "period, hexadecimal");
    row("BitBtn433_impuls", "impuls");
    row("BitBtn433_Timer", "Timer");
    row("BitBtnWG_SEND_STRING", "SEND");
    row("ComboBoxWG_SEND_STRING", "VERSION",
        {"VERSION", "", "DS1302_GET_DATE_TIME", "DS1302_SET_DATE_TIME", "", "WG_POWER_ON", "WG_POWER_OFF"});
    row("BitBtnWG_READER_A_ON", "READER_A_ON");
    row("BitBtnWG_READER_A_OFF", "READER_A_OFF");
    row("READER_B_ON", "READER_B_ON");
    row("READER_B_OFF", "READER_B_OFF");
    row("BitBtnWG_SetTime", "Set Time");
    row("BitBtnWG_GetTime", "Get Time");
    row("BitBtnALPHA_INIT_LABEL", "ALPHA_INIT_LABEL");
    row("ComboBoxALPHA_INIT_LABEL_W1", "3008");
    row("ComboBoxALPHA_INIT_LABEL_W2", "2222");
    row("ComboBoxALPHA_INIT_LABEL_W3", "3333");
    row("BitBtnALPHA_INIT_LABEL_CHECK", "CHECK");
    row("BitBtnALPHA_INIT_LABEL_W3_INC", "inc W3");
}

void TestConsoleTags::components()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QFETCH(QString, hint);
    QWidget *w = f->findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->toolTip(), hint);
    if (auto *b = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(b->text(), text);
        QVERIFY(f->TabSheet433->isAncestorOf(b) || f->TabSheetWG->isAncestorOf(b) || f->TabSheetALPHA->isAncestorOf(b));
    } else {
        auto *c = qobject_cast<QComboBox *>(w);
        QVERIFY(c);
        QVERIFY(c->isEditable());
        QCOMPARE(c->currentText(), text);
        QStringList got;
        for (int i = 0; i < c->count(); ++i)
            got << c->itemText(i);
        QCOMPARE(got, items);
    }
}

void TestConsoleTags::lines_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("line");
    QTest::newRow("433 collection") << "BitBtn433_SEND_COP_COLLECTION" << "SEND_COP_COLLECTION 16 48 11 3000";
    QTest::newRow("433 sleep") << "BitBtn433_SEND_COP_SLEEP" << "SEND_COP_SLEEP ";
    QTest::newRow("433 read user id") << "BitBtnSEND_COP_READ_USER_ID" << "SEND_COP_READ_USER_ID EEEE FEDCBA01";
    QTest::newRow("433 rssi read") << "BitBtnSEND_COP_RSSI_READ_USER_ID" << "SEND_COP_RSSI_READ_USER_ID EEEE FEDCBA01";
    QTest::newRow("433 n read") << "BitBtnSEND_N_COP_READ_USER_ID" << "SEND_N_COP_READ_USER_ID EEEE FEDCBA01 10";
    QTest::newRow("433 write user id") << "BitBtnSEND_COP_WR_USER_ID"
                                       << "SEND_COP_WR_USER_ID EEEE FEDCBA01 0C 00 11 22 33 44 55 66 77 88 99 AA BB";
    QTest::newRow("433 read memory") << "BitBtn_util_SEND_COP_READ_MEMORY" << "SEND_COP_READ_MEMORY EEEE FEDCBA01 10 0";
    QTest::newRow("433 write memory")
        << "BitBtn_util_SEND_COP_WR_MEMORY"
        << "SEND_COP_WR_MEMORY EEEE FEDCBA01 10 0 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
    QTest::newRow("433 load period") << "BitBtnLabPeriod250ms" << "SEND_COP_WR_MEMORY EEEE FEDCBA01 1 20 4";
    QTest::newRow("433 impuls") << "BitBtn433_impuls" << "SEND_WAKE_UP_IMPULS 1";
    QTest::newRow("WG send") << "BitBtnWG_SEND_STRING" << "VERSION";
    QTest::newRow("WG A on") << "BitBtnWG_READER_A_ON" << "WG_A_POWER_ON";
    QTest::newRow("WG A off") << "BitBtnWG_READER_A_OFF" << "WG_A_POWER_OFF";
    QTest::newRow("WG B on") << "READER_B_ON" << "WG_B_POWER_ON";
    QTest::newRow("WG B off") << "READER_B_OFF" << "WG_B_POWER_OFF";
    QTest::newRow("WG get time") << "BitBtnWG_GetTime" << "DS1302_GET_DATE_TIME";
    QTest::newRow("ALPHA init") << "BitBtnALPHA_INIT_LABEL" << "ALPHA_INIT_LABEL 3008 2222 3333";
    QTest::newRow("ALPHA check") << "BitBtnALPHA_INIT_LABEL_CHECK" << "QELM_RD_DATA_EPC ";
}

void TestConsoleTags::lines()
{
    QFETCH(QString, button);
    QFETCH(QString, line);
    QCOMPARE(clickAndTake(button), line);
}

void TestConsoleTags::textsGoOutAsTyped_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("line");
    QTest::newRow("empty serial") << "ComboBoxTagSerialNumber" << "" << "BitBtnSEND_COP_READ_USER_ID"
                                  << "SEND_COP_READ_USER_ID EEEE ";
    QTest::newRow("length over the limit") << "ComboBox_util_SEND_COP_WR_USER_ID_Len" << "0D" << "BitBtnSEND_COP_WR_USER_ID"
                                           << "SEND_COP_WR_USER_ID EEEE FEDCBA01 0D 00 11 22 33 44 55 66 77 88 99 AA BB";
    QTest::newRow("memory length 20") << "ComboBox_util_SEND_COP_WR_MEMORY_Length" << "20"
                                      << "BitBtn_util_SEND_COP_READ_MEMORY" << "SEND_COP_READ_MEMORY EEEE FEDCBA01 20 0";
    QTest::newRow("blanks and case kept") << "ComboBox433_TimeOut" << " 30 x0 " << "BitBtn433_SEND_COP_COLLECTION"
                                          << "SEND_COP_COLLECTION 16 48 11  30 x0 ";
    QTest::newRow("lower case id") << "ComboBoxTagManufacturerID" << "eeee" << "BitBtnSEND_N_COP_READ_USER_ID"
                                   << "SEND_N_COP_READ_USER_ID eeee FEDCBA01 10";
    QTest::newRow("empty period") << "ComboBoxLabPeriod250ms" << "" << "BitBtnLabPeriod250ms"
                                  << "SEND_COP_WR_MEMORY EEEE FEDCBA01 1 20 ";
    QTest::newRow("WG bare set word") << "ComboBoxWG_SEND_STRING" << "DS1302_SET_DATE_TIME" << "BitBtnWG_SEND_STRING"
                                      << "DS1302_SET_DATE_TIME";
    QTest::newRow("WG power word") << "ComboBoxWG_SEND_STRING" << "WG_POWER_ON" << "BitBtnWG_SEND_STRING" << "WG_POWER_ON";
    QTest::newRow("WG empty") << "ComboBoxWG_SEND_STRING" << "" << "BitBtnWG_SEND_STRING" << "";
    QTest::newRow("ALPHA W3 empty") << "ComboBoxALPHA_INIT_LABEL_W3" << "" << "BitBtnALPHA_INIT_LABEL"
                                    << "ALPHA_INIT_LABEL 3008 2222 ";
}

void TestConsoleTags::textsGoOutAsTyped()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QString, line);
    auto *c = f->findChild<QComboBox *>(box);
    QVERIFY(c);
    c->setFocus();
    c->lineEdit()->selectAll();
    c->lineEdit()->del();
    QTest::keyClicks(c->lineEdit(), typed);
    QCOMPARE(c->currentText(), typed);
    QCOMPARE(clickAndTake(button), line);
}

void TestConsoleTags::badAddressEndsTheClick()
{
    f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("0 1"));
    const int before = f->MemoUTIL_SEND->count();
    f->BitBtnSEND_COP_WR_USER_ID->click();
    f->BitBtnALPHA_INIT_LABEL->click();
    QCOMPARE(bench->errors, QStringList(2, QStringLiteral("'0 1' is not a valid integer value")));
    QCOMPARE(f->MemoUTIL_SEND->count(), before);
    bench->errors.clear();

    // The tag of every tag-addressed button follows the serial-number list.
    f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("$1"));
    f->ComboBoxTagSerialNumber->setCurrentIndex(2);
    QCOMPARE(clickAndTake(QStringLiteral("BitBtnLabPeriod250ms")), QStringLiteral("SEND_COP_WR_MEMORY EEEE FEDCBA03 1 20 4"));
    QVERIFY(lastSent().startsWith(QStringLiteral("01:")));
}

void TestConsoleTags::noLinkSendsNothing()
{
    ConsoleBench idle; // no port at all
    TFormPLUV &g = idle.open();
    for (QPushButton *b : {g.BitBtn433_SEND_COP_COLLECTION, g.BitBtnWG_SetTime, g.BitBtnALPHA_INIT_LABEL,
                           g.BitBtnALPHA_INIT_LABEL_CHECK})
        b->click();
    g.Timer433Timer();
    QCOMPARE(g.MemoUTIL_SEND->count(), 0);
    QVERIFY(idle.errors.isEmpty());
    // inc W3 needs no link.
    g.BitBtnALPHA_INIT_LABEL_W3_INC->click();
    QCOMPARE(g.ComboBoxALPHA_INIT_LABEL_W3->currentText(), QStringLiteral("3334"));
}

void TestConsoleTags::overLongTextIsRefused()
{
    f->ComboBox_util_SEND_COP_WR_USER_ID->setEditText(QString(1200, QLatin1Char('A')));
    const int before = f->MemoUTIL_SEND->count();
    f->BitBtnSEND_COP_WR_USER_ID->click();
    QCOMPARE(bench->errors.size(), 1);
    QCOMPARE(f->MemoUTIL_SEND->count(), before);
    bench->errors.clear();
    // The next line goes out normally.
    QCOMPARE(clickAndTake(QStringLiteral("BitBtn433_impuls")), QStringLiteral("SEND_WAKE_UP_IMPULS 1"));
}

void TestConsoleTags::repeater()
{
    QVERIFY(!f->Timer433->isActive());
    QCOMPARE(f->Timer433->interval(), 2000);
    const int before = f->MemoUTIL_SEND->count();
    f->BitBtn433_Timer->click();
    QVERIFY(f->Timer433->isActive());
    QCOMPARE(plat::fontColor(f->BitBtn433_Timer), plat::clRed);
    QCOMPARE(f->MemoUTIL_SEND->count(), before); // the click itself sends nothing

    // Each tick reads both boxes anew; the timer's own signal drives the handler.
    QVERIFY(QMetaObject::invokeMethod(f->Timer433, "timeout"));
    QCOMPARE(textOf(lastSent()), QStringLiteral("VERSION"));
    f->ComboBoxUTIL_COMMAND->setCurrentIndex(22); // "GET_ADC "
    f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("02"));
    QVERIFY(QMetaObject::invokeMethod(f->Timer433, "timeout"));
    QCOMPARE(textOf(lastSent()), QStringLiteral("GET_ADC "));
    QVERIFY(lastSent().startsWith(QStringLiteral("02:")));
    QVERIFY(bench->sim.waitForWire(1, wireOf(lastSent()), 5000));

    f->BitBtn433_Timer->click();
    QVERIFY(!f->Timer433->isActive());
    QCOMPARE(plat::fontColor(f->BitBtn433_Timer), plat::clBlack);
    QCOMPARE(f->MemoUTIL_SEND->count(), before + 2);
}

void TestConsoleTags::repeaterWithBadAddressShowsOneBoxAtATime()
{
    f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("x1"));
    f->BitBtn433_Timer->click();
    // While the box is up the event loop goes on and the repeater keeps ticking.
    QStringList shown;
    plat::setErrorBox([&](const QString &m) {
        shown << m;
        for (int i = 0; i < 3; ++i)
            QMetaObject::invokeMethod(f->Timer433, "timeout");
    });
    const int before = f->MemoUTIL_SEND->count();
    QMetaObject::invokeMethod(f->Timer433, "timeout");
    QCOMPARE(shown, QStringList{QStringLiteral("'x1' is not a valid integer value")});
    // Once closed, the next tick may report again; the repeater keeps running.
    QMetaObject::invokeMethod(f->Timer433, "timeout");
    QCOMPARE(shown.size(), 2);
    QVERIFY(f->Timer433->isActive());
    QCOMPARE(f->MemoUTIL_SEND->count(), before);
    f->BitBtn433_Timer->click();
}

void TestConsoleTags::setTime()
{
    // The line carries the local clock at the click, as six two-digit fields.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QDateTime t0 = QDateTime::currentDateTime();
        const QString line = clickAndTake(QStringLiteral("BitBtnWG_SetTime"));
        const QDateTime t1 = QDateTime::currentDateTime();
        if (t0.time().second() != t1.time().second())
            continue; // the second changed under the click: try again
        QCOMPARE(line, QStringLiteral("DS1302_SET_DATE_TIME ") + t0.toString(QStringLiteral("dd MM yy HH mm ss")));
        return;
    }
    QFAIL("the clock kept changing under the click");
}

void TestConsoleTags::incW3Button()
{
    const int before = f->MemoUTIL_SEND->count();
    f->BitBtnALPHA_INIT_LABEL_W3_INC->click();
    f->BitBtnALPHA_INIT_LABEL_W3_INC->click();
    QCOMPARE(f->ComboBoxALPHA_INIT_LABEL_W3->currentText(), QStringLiteral("3335"));
    QCOMPARE(f->MemoUTIL_SEND->count(), before);
    QCOMPARE(clickAndTake(QStringLiteral("BitBtnALPHA_INIT_LABEL")), QStringLiteral("ALPHA_INIT_LABEL 3008 2222 3335"));
    f->ComboBoxALPHA_INIT_LABEL_W3->setEditText(QStringLiteral("ffff"));
    f->BitBtnALPHA_INIT_LABEL_W3_INC->click();
    QCOMPARE(f->ComboBoxALPHA_INIT_LABEL_W3->currentText(), QStringLiteral("10000"));
}

QTEST_MAIN(TestConsoleTags)
#include "test_console_tags.moc"
