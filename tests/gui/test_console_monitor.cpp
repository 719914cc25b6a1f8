// The monitoring tabs on a real window: the antenna test and the LOG tab against the
// simulated 900 MHz reader, the SAW2011 schedule and the KAMAZ display by their ticks.
#include "ConsoleFixture.h"
#include "ConsoleLogic.h"
#include "Errors.h"

#include <QDir>
#include <optional>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using sim::Kind;

namespace {

const QString kStart = QStringLiteral("QELM_EPC_INVENTORY_TIME 20 5 15");
const QString kCollection = QStringLiteral("SEND_COP_COLLECTION 16 48 11 3000");
const QString kDef = QStringLiteral("COM1: baud=115200 parity=N data=8 stop=2");

QByteArray fileBytes(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

QByteArray crlfLines(const QStringList &lines)
{
    QByteArray b;
    for (const QString &l : lines)
        b += l.toLatin1() + "\r\n";
    return b;
}

sim::PortOptions reader900()
{
    sim::PortOptions o;
    o.kind = Kind::Vrx900;
    o.tagCount = 3;
    o.cyclesPerSecond = 10;
    return o;
}

sim::PortOptions sawReader()
{
    sim::PortOptions o;
    o.kind = Kind::Vrx433Saw;
    return o;
}

} // namespace

class TestConsoleMonitor : public QObject {
    Q_OBJECT

    std::unique_ptr<ConsoleBench> bench;
    TFormPLUV *f = nullptr;

    // A bench with one reader on COM1 (or none), detected.
    void open(std::optional<sim::PortOptions> port)
    {
        bench = std::make_unique<ConsoleBench>();
        if (port)
            bench->addPort(1, *port);
        f = &bench->open();
        if (port) {
            f->BF_START();
            QVERIFY2(f->portObject() && f->portObject()->COM, "the simulated reader was not found");
        }
    }
    QString lastText() const
    {
        return f->MemoUTIL_SEND->count() ? textOf(f->MemoUTIL_SEND->lines().last()) : QString();
    }
    // The pump and, while it runs, the stop timer, ticking as in the event loop.
    bool run(const std::function<bool()> &pred, int ms = 20000)
    {
        QElapsedTimer t, stopTick;
        t.start();
        stopTick.start();
        while (t.elapsed() < ms) {
            plat::guarded([this] { f->TimerMAINTimer(); });
            if (f->TimerSTOP->isActive() && stopTick.elapsed() >= 100) {
                stopTick.restart();
                plat::guarded([this] { f->TimerSTOPTimer(); });
            }
            if (pred())
                return true;
            QThread::msleep(5);
        }
        return pred();
    }
    void tickSaw(int n)
    {
        for (int i = 0; i < n; ++i)
            plat::guarded([this] { f->TimerSAW2011Timer(); });
    }
    int countSent(const QString &text) const
    {
        int n = 0;
        for (const QString &l : f->MemoUTIL_SEND->lines())
            n += textOf(l) == text;
        return n;
    }

private slots:
    void cleanup()
    {
        if (bench && !QTest::currentTestFailed())
            QVERIFY2(bench->errors.isEmpty(), qPrintable(bench->errors.join('\n')));
        bench.reset();
        f = nullptr;
    }

    // ---- the four tabs as they come up ----

    void components_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("bold"); // large bold labels; the others may be either
        auto row = [](const char *tab, const char *name, const QString &text, const QStringList &items = {},
                      bool bold = false) {
            QTest::newRow(name) << QString::fromLatin1(tab) << QString::fromLatin1(name) << text << items << bold;
        };
        const QString s = QStringLiteral("TabSheetSAW2011");
        row("TabSheet_ANT_TEST", "BitBtn_ANT_TEST_START", "START");
        row("TabSheet_ANT_TEST", "BitBtn_ANT_TEST_STOP", "STOP");
        row("TabSheet_ANT_TEST", "ComboBox_ANT_TEST_STOP_INV", "5");
        row("TabSheet_ANT_TEST", "Label_ANT_TEST_INV_COUNT", QString());
        row("TabSheet_ANT_TEST", "LabelANT_TEST_TAG_COUNT", QString(), {}, true);
        row("TabSheet_ANT_TEST", "BitBtn_ANT_TEST_dev_found", "COM");
        row("TabSheetLOG", "BitBtnLOG_INV_START", "INV_START");
        row("TabSheetLOG", "BitBtnLOG_INV_STOP", "INV_STOP");
        row("TabSheetLOG", "BitBtnLOG_SaveFilles", "SAVE");
        row("TabSheetLOG", "LabelLOG_NUM_INV", "CAPACITY:");
        row("TabSheet900", "CheckBoxINV_LOG_ON", "INV LOG ON");
        row("TabSheetSAW2011", "BitBtnSAW2011_COM", "COM");
        row("TabSheetSAW2011", "BitBtnSAW2011_COLLECTION", "COLLECTION");
        row("TabSheetSAW2011", "BitBtnTimerSAW2011", "TIMER");
        row("TabSheetSAW2011", "ComboBoxTomerSAW2011Period", "60", {"60", "120", "180", "300", "600"});
        row("TabSheetSAW2011", "LabelSAW2011TimerCount", QString(), {}, true);
        for (int i = 0; i < 3; ++i) {
            const QByteArray tag = "FEDCBAF" + QByteArray::number(i);
            QTest::newRow("BitBtnSEND_COP_READ_USER_ID_EEEE_" + tag)
                << s << QString::fromLatin1("BitBtnSEND_COP_READ_USER_ID_EEEE_" + tag)
                << QString::fromLatin1("SEND_COP_READ_USER_ID EEEE " + tag) << QStringList() << false;
            QTest::newRow("LabelSAW2011_" + QByteArray::number(i))
                << s << QStringLiteral("LabelSAW2011_%1").arg(i) << QString() << QStringList() << true;
        }
        row("TabSheetKAMAZ", "BitBtnKAMAZ_START_INV", "START");
        row("TabSheetKAMAZ", "BitBtnKAMAZ_STOP_INV", "STOP");
        for (const char *n : {"LabelKAMAZ_DATE", "LabelKAMAZ_Time", "LabelKAMAZ_Rota", "LabelKAMAZ_AVTO",
                              "LabelKAMAZ_REG_SIGN"})
            row("TabSheetKAMAZ", n, QStringLiteral(":"), {}, true);
    }
    void components()
    {
        QFETCH(QString, tab);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QFETCH(bool, bold);
        open(std::nullopt);
        auto *page = f->findChild<QWidget *>(tab);
        QVERIFY2(page, qPrintable(tab));
        auto *w = page->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        if (!qobject_cast<QCheckBox *>(w)) // the box lives on the 900 tab, whose hints are its own
            QCOMPARE(w->toolTip(), QString());
        if (auto *b = qobject_cast<QAbstractButton *>(w)) {
            QCOMPARE(b->text(), text);
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            QVERIFY(c->isEditable());
            QCOMPARE(c->currentText(), text);
            QStringList got;
            for (int i = 0; i < c->count(); ++i)
                got << c->itemText(i);
            QCOMPARE(got, items);
        } else {
            auto *lab = qobject_cast<QLabel *>(w);
            QVERIFY(lab);
            QCOMPARE(lab->text(), text);
            if (bold)
                QVERIFY(lab->font().bold());
        }
    }

    void tabCaptions()
    {
        open(std::nullopt);
        const std::pair<QWidget *, const char *> tabs[] = {{f->TabSheet_ANT_TEST, "ANT_TEST"},
                                                           {f->TabSheetLOG, "LOG"},
                                                           {f->TabSheetSAW2011, "SAW2011"},
                                                           {f->TabSheetKAMAZ, "KAMAZ"}};
        for (const auto &[page, caption] : tabs) {
            const int i = f->PageControl1->indexOf(page);
            QCOMPARE(f->PageControl1->tabText(i), QString::fromLatin1(caption));
            QVERIFY(!f->PageControl1->isTabVisible(i));
        }
        QCOMPARE(plat::fontColor(f->MemoLOG_ALL), plat::clBlack);
    }

    // ---- antenna test ----

    void antTestStopsAtLimit_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("cycles");
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("hex $2") << "$2" << 2;
        QTest::newRow("0") << "0" << 1;
        QTest::newRow("negative") << "-4" << 1;
    }
    void antTestStopsAtLimit()
    {
        QFETCH(QString, limit);
        QFETCH(int, cycles);
        open(reader900());
        QVERIFY(f->BitBtn_ANT_TEST_START->isEnabled());
        QVERIFY(!f->BitBtn_ANT_TEST_STOP->isEnabled());
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(limit);
        f->BitBtn_ANT_TEST_START->click();
        QCOMPARE(lastText(), kStart);
        QCOMPARE(ANT_TEST_ON, 1);
        QVERIFY(!f->BitBtn_ANT_TEST_START->isEnabled());
        QVERIFY(f->BitBtn_ANT_TEST_STOP->isEnabled());
        QCOMPARE(f->Label_ANT_TEST_INV_COUNT->text(), QStringLiteral("INV:0"));
        QCOMPARE(f->LabelANT_TEST_TAG_COUNT->text(), QStringLiteral("TAGs:0"));

        // The reader is stopped by the console; START comes back when it confirms.
        QVERIFY(run([&] { return f->BitBtn_ANT_TEST_START->isEnabled(); }));
        QCOMPARE(INV_COUNT, cycles);
        QCOMPARE(f->Label_ANT_TEST_INV_COUNT->text(), QStringLiteral("INV:%1").arg(cycles));
        QVERIFY(!f->BitBtn_ANT_TEST_STOP->isEnabled());
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        QVERIFY(!bench->sim.inventoryStats(1).running);
        QVERIFY(bench->sim.inventoryStats(1).stopsReceived >= 1);
        QVERIFY(bench->sim.waitForWire(1, "EPC_STOP;", 1000));
        // Tags of the cycles before the stop, each once, in order of arrival.
        const int tags = cycles > 1 ? 3 : 0;
        QCOMPARE(TAG_COUNT, tags);
        QCOMPARE(f->MemoANT_TEST_TAGS->count(), tags);
        if (tags)
            QCOMPARE(f->LabelANT_TEST_TAG_COUNT->text(), QStringLiteral("TAGs:3"));
        for (const QString &l : f->MemoANT_TEST_TAGS->lines())
            QCOMPARE(GetAnswerItem(2, l), QStringLiteral("INV"));
    }

    void antTestStopButtonAndCountingAcrossTabs()
    {
        open(reader900());
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(QStringLiteral("1000"));
        f->BitBtn_ANT_TEST_START->click();
        QVERIFY(run([&] { return INV_COUNT >= 2; }));
        f->BitBtn_ANT_TEST_STOP->click();
        QCOMPARE(lastText(), QStringLiteral("EPC_STOP"));
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(f->TimerSTOP->isActive());
        QVERIFY(!f->BitBtn_ANT_TEST_STOP->isEnabled());
        QVERIFY(!f->BitBtn_ANT_TEST_START->isEnabled());
        QVERIFY(run([&] { return f->BitBtn_ANT_TEST_START->isEnabled(); }));
        QVERIFY(!bench->sim.inventoryStats(1).running);
        const int counted = INV_COUNT;

        // A new test with limit 2, stopped at its limit.
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(QStringLiteral("2"));
        f->BitBtn_ANT_TEST_START->click();
        QCOMPARE(INV_COUNT, 0);
        QVERIFY(counted >= 2);
        QVERIFY(run([&] { return f->BitBtn_ANT_TEST_START->isEnabled(); }));
        QCOMPARE(INV_COUNT, 2);

        // Counting stays on: an inventory started on the LOG tab is stopped at its first cycle.
        f->BitBtnLOG_INV_START->click();
        QCOMPARE(lastText(), kStart);
        QVERIFY(run([&] { return INV_COUNT == 3 && STOP_PENDING == 0 && !f->TimerSTOP->isActive(); }));
        QCOMPARE(f->Label_ANT_TEST_INV_COUNT->text(), QStringLiteral("INV:3"));
        QVERIFY(run([&] { return !bench->sim.inventoryStats(1).running; }));
    }

    // Tab states around stops from elsewhere, and a bad address met at the limit.
    void antTestStopFromElsewhereAndBadAddressAtLimit()
    {
        open(reader900());
        // The answers are fed by hand, in the pump's order, so the reader's own traffic stays out.
        auto feed = [&](const QString &a) {
            plat::guarded([&] {
                f->HandleInventoryAnswer(a);
                f->HandleStopInventoryAnswer(a);
                f->HandleLogAnswer(a);
            });
        };
        const QString cycle = QStringLiteral(":00000002 START_INVENTORY 5;");
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(QStringLiteral("1000"));
        f->BitBtn_ANT_TEST_START->click();

        // A stop from the 900 tab while Running: START comes back, STOP stays enabled.
        f->BitBtnQELM_INVENTORY_STOP->click();
        feed(QStringLiteral(":00000003 STOP_INVENTORY;"));
        f->TimerSTOPTimer();
        QVERIFY(!f->TimerSTOP->isActive());
        QVERIFY(f->BitBtn_ANT_TEST_START->isEnabled());
        QVERIFY(f->BitBtn_ANT_TEST_STOP->isEnabled());

        // START while that stop is still pending: the start goes out, the handshake goes on.
        f->BitBtnQELM_INVENTORY_STOP->click();
        f->BitBtn_ANT_TEST_START->click();
        QCOMPARE(lastText(), kStart);
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(f->TimerSTOP->isActive());
        feed(cycle);
        QCOMPARE(INV_COUNT, 0);
        f->TimerSTOPTimer();
        QCOMPARE(lastText(), QStringLiteral("EPC_STOP"));
        feed(QStringLiteral(":00000003 STOP_INVENTORY;"));
        f->TimerSTOPTimer();
        QCOMPARE(STOP_PENDING, 0);

        // The limit reached with a bad address: the answer goes no further, the next cycle tries again.
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(QStringLiteral("1"));
        f->BitBtn_ANT_TEST_START->click();
        f->CheckBoxINV_LOG_ON->setChecked(true);
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("A1"));
        const int shown = f->MemoUTIL_REC->count();
        const int sent = f->MemoUTIL_SEND->count();
        feed(cycle);
        QCOMPARE(INV_COUNT, 1);
        QCOMPARE(f->Label_ANT_TEST_INV_COUNT->text(), QStringLiteral("INV:1"));
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        QVERIFY(f->BitBtn_ANT_TEST_STOP->isEnabled());
        QCOMPARE(f->MemoUTIL_REC->count(), shown);
        QCOMPARE(LOG_INV_COUNT, 0); // the log handler never saw it
        feed(cycle);
        QCOMPARE(INV_COUNT, 2);
        QCOMPARE(bench->errors, QStringList(2, QStringLiteral("'A1' is not a valid integer value")));
        QCOMPARE(f->MemoUTIL_SEND->count(), sent);
        bench->errors.clear();
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("01"));
        feed(cycle);
        QCOMPARE(lastText(), QStringLiteral("EPC_STOP"));
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(!f->BitBtn_ANT_TEST_STOP->isEnabled());
    }

    void antTestBadInput()
    {
        open(reader900());
        INV_LIMIT = 7;
        const int sent = f->MemoUTIL_SEND->count();
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(QStringLiteral("5 "));
        f->BitBtn_ANT_TEST_START->click();
        QCOMPARE(bench->errors, QStringList{QStringLiteral("'5 ' is not a valid integer value")});
        QCOMPARE(INV_LIMIT, 7);
        QCOMPARE(ANT_TEST_ON, 0);
        QCOMPARE(f->MemoUTIL_SEND->count(), sent);
        QVERIFY(f->BitBtn_ANT_TEST_START->isEnabled());
        QVERIFY(!f->BitBtn_ANT_TEST_STOP->isEnabled());
        QCOMPARE(f->Label_ANT_TEST_INV_COUNT->text(), QString());

        // A bad address: START has only taken the limit; STOP changes nothing.
        bench->errors.clear();
        f->ComboBox_ANT_TEST_STOP_INV->setEditText(QStringLiteral("-9"));
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("I"));
        f->BitBtn_ANT_TEST_START->click();
        QCOMPARE(INV_LIMIT, -9);
        QCOMPARE(ANT_TEST_ON, 0);
        QVERIFY(f->BitBtn_ANT_TEST_START->isEnabled());
        QCOMPARE(f->Label_ANT_TEST_INV_COUNT->text(), QString());
        plat::guarded([&] { f->BitBtn_ANT_TEST_STOPClick(); });
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        QCOMPARE(bench->errors, QStringList(2, QStringLiteral("'I' is not a valid integer value")));
        QCOMPARE(f->MemoUTIL_SEND->count(), sent);
        bench->errors.clear();
    }

    void antTestTagListDoubleClick()
    {
        open(std::nullopt);
        f->BitBtn_ANT_TEST_STARTClick(); // no link: the tab changes, nothing is sent
        QCOMPARE(f->MemoUTIL_SEND->count(), 0);
        const QString tag = QStringLiteral(":00000003 INV 1 0 3000AB -40;");
        f->HandleInventoryAnswer(tag);
        f->HandleInventoryAnswer(tag);
        f->HandleInventoryAnswer(QStringLiteral(":00000003 INV 1 0 3000AB -41;"));
        QCOMPARE(TAG_COUNT, 2);
        emit f->MemoANT_TEST_TAGS->doubleClicked();
        QCOMPARE(f->MemoANT_TEST_TAGS->count(), 0);
        QCOMPARE(TAG_COUNT, 2);
        f->HandleInventoryAnswer(tag);
        QCOMPARE(TAG_COUNT, 3);
        QCOMPARE(f->MemoANT_TEST_TAGS->lines(), QStringList{tag});
        QCOMPARE(f->LabelANT_TEST_TAG_COUNT->text(), QStringLiteral("TAGs:3"));

        f->Memo_ANT_TEST_info->appendLine(QStringLiteral("x"));
        emit f->Memo_ANT_TEST_info->doubleClicked();
        QCOMPARE(f->Memo_ANT_TEST_info->count(), 0);
        QCOMPARE(f->MemoANT_TEST_TAGS->count(), 1);
    }

    // ---- LOG tab ----

    void logShortInventoryAndSave()
    {
        open(reader900());
        QVERIFY(!f->CheckBoxINV_LOG_ON->isChecked());
        f->BitBtnLOG_INV_START->click();
        QVERIFY(f->CheckBoxINV_LOG_ON->isChecked());
        QCOMPARE(plat::fontColor(f->MemoLOG_ALL), plat::clRed);
        QCOMPARE(lastText(), kStart);
        QVERIFY(run([&] { return f->MemoLOG_STR->count() >= 9; }));
        f->BitBtnLOG_INV_STOP->click();
        QCOMPARE(lastText(), QStringLiteral("EPC_STOP"));
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(run([&] { return !f->TimerSTOP->isActive(); }));
        QVERIFY(f->CheckBoxINV_LOG_ON->isChecked());
        QCOMPARE(f->MemoLOG_STR_FILTR->count(), 3);
        QCOMPARE(f->LabelLOG_NUM_INV->text(), QStringLiteral("CAPACITY: 3"));
        static const QRegularExpression info(
            QStringLiteral("^\\S.*\\d    [0-9A-F]{8}     3000E2003412DC030119[0-9A-F]{8}  -\\d+$"));
        for (const QString &l : f->MemoLOG_ALL->lines())
            QVERIFY2(info.match(l).hasMatch(), qPrintable(l));

        QTemporaryDir dir;
        QString preset;
        QString filterSeen = QStringLiteral("<not asked>");
        const QString before = plat::TimeText();
        plat::setSaveDialog([&](QWidget *, const QString &, const QString &initial, const QString &filter) {
            preset = initial;
            filterSeen = filter;
            return dir.filePath(QStringLiteral("log.txt"));
        });
        f->BitBtnLOG_SaveFilles->click();
        const QString after = plat::TimeText();
        QCOMPARE(filterSeen, QString());
        QVERIFY2(preset == logic::logPresetName(before) || preset == logic::logPresetName(after), qPrintable(preset));
        QVERIFY(!preset.contains(':'));
        const QString base = dir.filePath(QStringLiteral("log.txt"));
        QCOMPARE(fileBytes(base + "-ALL_STR.txt"), crlfLines(f->MemoLOG_STR->lines()));
        QCOMPARE(fileBytes(base + "-FILTR_STR.txt"), crlfLines(f->MemoLOG_STR_FILTR->lines()));
        QCOMPARE(fileBytes(base + "-INFO_STR.txt"), crlfLines(f->MemoLOG_ALL->lines()));
        QVERIFY(!QFile::exists(base));
        QVERIFY(f->MemoLOG_STR->count() >= 9); // saving keeps the lists
    }

    void logFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answers");
        QTest::newRow("with extension") << "run.txt" << 4;
        QTest::newRow("without extension") << "9_05_07" << 2;
        QTest::newRow("empty lists") << "empty" << 0;
    }
    void logFiles()
    {
        QFETCH(QString, name);
        QFETCH(int, answers);
        open(std::nullopt);
        f->CheckBoxINV_LOG_ON->setChecked(true);
        for (int i = 0; i < answers; ++i)
            f->HandleLogAnswer(QStringLiteral(":00000002 INV 1 0 E%1 -4%2;").arg(i % 2).arg(i));
        QTemporaryDir dir;
        const QString base = dir.filePath(name);
        plat::setSaveDialog([&](QWidget *, const QString &, const QString &, const QString &) { return base; });
        // Saving twice overwrites without asking; the second set is what stays.
        QFile old(base + "-INFO_STR.txt");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(500, 'x'));
        old.close();
        f->BitBtnLOG_SaveFilles->click();
        f->HandleLogAnswer(QStringLiteral(":00000002 INV 1 0 F -1;"));
        f->BitBtnLOG_SaveFilles->click();
        const QStringList all = f->MemoLOG_STR->lines();
        QCOMPARE(all.size(), answers + 1);
        QCOMPARE(fileBytes(base + "-ALL_STR.txt"), crlfLines(all));
        QCOMPARE(fileBytes(base + "-FILTR_STR.txt"), crlfLines(f->MemoLOG_STR_FILTR->lines()));
        QCOMPARE(fileBytes(base + "-INFO_STR.txt"), crlfLines(f->MemoLOG_ALL->lines()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);

        // Empty lists give empty files.
        emit f->MemoLOG_ALL->doubleClicked();
        emit f->MemoLOG_STR->doubleClicked();
        emit f->MemoLOG_STR_FILTR->doubleClicked();
        f->BitBtnLOG_SaveFilles->click();
        for (const QString &n : logic::logFileNames(base))
            QCOMPARE(fileBytes(n), QByteArray());
    }

    void logSaveCancelledOrUnwritable()
    {
        open(std::nullopt);
        f->CheckBoxINV_LOG_ON->setChecked(true);
        f->HandleLogAnswer(QStringLiteral(":00000002 INV 1 0 E -4;"));
        QTemporaryDir dir;
        plat::setSaveDialog([](QWidget *, const QString &, const QString &, const QString &) { return QString(); });
        f->BitBtnLOG_SaveFilles->click();
        QVERIFY(bench->errors.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 0);

        const QString base = dir.filePath(QStringLiteral("gone/B"));
        plat::setSaveDialog([&](QWidget *, const QString &, const QString &, const QString &) { return base; });
        f->BitBtnLOG_SaveFilles->click();
        QCOMPARE(bench->errors.size(), 1);
        QVERIFY2(bench->errors.first().contains(QStringLiteral("B-ALL_STR.txt")), qPrintable(bench->errors.first()));
        QVERIFY(!QFile::exists(base + "-FILTR_STR.txt"));
        bench->errors.clear();
    }

    void logBoxListsAndBadAddress()
    {
        open(reader900());
        f->CheckBoxINV_LOG_ON->click();
        QCOMPARE(plat::fontColor(f->MemoLOG_ALL), plat::clRed);
        f->CheckBoxINV_LOG_ON->click();
        QCOMPARE(plat::fontColor(f->MemoLOG_ALL), plat::clBlack);

        // A double click empties that list only.
        f->CheckBoxINV_LOG_ON->setChecked(true);
        f->HandleLogAnswer(QStringLiteral(":00000002 INV 1 0 E -4;"));
        emit f->MemoLOG_STR->doubleClicked();
        QCOMPARE(f->MemoLOG_STR->count(), 0);
        QCOMPARE(f->MemoLOG_ALL->count(), 1);
        QCOMPARE(f->MemoLOG_STR_FILTR->count(), 1);
        emit f->MemoLOG_STR_FILTR->doubleClicked();
        QCOMPARE(f->LabelLOG_NUM_INV->text(), QStringLiteral("CAPACITY: 1"));
        f->HandleLogAnswer(QStringLiteral(":00000002 INV 1 0 E -4;"));
        QCOMPARE(f->MemoLOG_STR_FILTR->count(), 1); // de-duplication started again

        // INV_START with a bad address has ticked the box and reset the handshake.
        f->CheckBoxINV_LOG_ON->setChecked(false);
        STOP_PENDING = 1;
        plat::setTimerEnabled(f->TimerSTOP, true);
        f->ComboBoxUTIL_ADDR->setEditText(QString());
        const int sent = f->MemoUTIL_SEND->count();
        f->BitBtnLOG_INV_START->click();
        QVERIFY(f->CheckBoxINV_LOG_ON->isChecked());
        QCOMPARE(plat::fontColor(f->MemoLOG_ALL), plat::clRed);
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        f->BitBtnLOG_INV_STOP->click();
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        QCOMPARE(bench->errors, QStringList(2, QStringLiteral("'' is not a valid integer value")));
        QCOMPARE(f->MemoUTIL_SEND->count(), sent);
        QCOMPARE(f->MemoLOG_ALL->count(), 2); // nothing emptied the lists
        bench->errors.clear();
    }

    // ---- SAW2011 ----

    void sawSchedule_data()
    {
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QList<int>>("collections"); // ticks that send
        QTest::addColumn<QStringList>("labels");     // "tick=label"
        QTest::newRow("60") << "60" << 122 << QList<int>{1, 61, 121}
                            << QStringList{"1=60", "2=59", "60=1", "61=60", "62=59", "121=60"};
        QTest::newRow("1") << "1" << 4 << QList<int>{1, 2, 3, 4} << QStringList{"1=1", "2=1", "4=1"};
        QTest::newRow("0") << "0" << 4 << QList<int>{1} << QStringList{"1=0", "2=-1", "3=-2", "4=-3"};
        QTest::newRow("negative") << "-3" << 4 << QList<int>{1} << QStringList{"1=-3", "2=-4", "4=-6"};
    }
    void sawSchedule()
    {
        QFETCH(QString, period);
        QFETCH(int, ticks);
        QFETCH(QList<int>, collections);
        QFETCH(QStringList, labels);
        open(sawReader());
        QCOMPARE(f->TimerSAW2011->interval(), 1000);
        f->ComboBoxTomerSAW2011Period->setEditText(period);
        f->BitBtnTimerSAW2011->click();
        QVERIFY(f->TimerSAW2011->isActive());
        QCOMPARE(f->MemoSAW2011_Info->lines().mid(1),
                 (QStringList{QStringLiteral("process start.."), QStringLiteral("period ") + period}));
        QList<int> sentAt;
        QStringList seen;
        int colour = plat::clBlack;
        for (int t = 1; t <= ticks; ++t) {
            const int before = countSent(kCollection);
            tickSaw(1);
            if (countSent(kCollection) != before)
                sentAt << t;
            seen << QStringLiteral("%1=%2").arg(t).arg(f->LabelSAW2011TimerCount->text());
            colour = colour == plat::clRed ? plat::clBlack : plat::clRed;
            QCOMPARE(plat::fontColor(f->BitBtnTimerSAW2011), colour);
        }
        QCOMPARE(sentAt, collections);
        for (const QString &l : labels)
            QVERIFY2(seen.contains(l), qPrintable(l));
        QCOMPARE(f->MemoSAW2011_Info->lines().count(QStringLiteral("collection..")), collections.size());
        QVERIFY(bench->sim.waitForWire(1, kCollection.toLatin1() + ';', 5000));

        f->BitBtnTimerSAW2011->click();
        QVERIFY(!f->TimerSAW2011->isActive());
        QCOMPARE(f->MemoSAW2011_Info->lines().last(), QStringLiteral("process stop"));
        QCOMPARE(f->BitBtnTimerSAW2011->text(), QStringLiteral("TIMER"));
        QCOMPARE(plat::fontColor(f->BitBtnTimerSAW2011), plat::clBlack);
        QCOMPARE(f->LabelSAW2011TimerCount->text(), QString());
    }

    void sawRestartAndExtraCollection()
    {
        open(sawReader());
        f->ComboBoxTomerSAW2011Period->setEditText(QStringLiteral("3"));
        f->BitBtnTimerSAW2011->click();
        tickSaw(2);
        QCOMPARE(countSent(kCollection), 1);
        // COLLECTION sends one more and leaves the schedule alone; the period box is read at start only.
        f->ComboBoxTomerSAW2011Period->setEditText(QStringLiteral("100"));
        f->BitBtnSAW2011_COLLECTION->click();
        QCOMPARE(countSent(kCollection), 2);
        QCOMPARE(f->MemoSAW2011_Info->lines().count(QStringLiteral("collection..")), 1);
        f->ComboBox433_WindowSize->setEditText(QStringLiteral("8"));
        tickSaw(1);
        QCOMPARE(f->LabelSAW2011TimerCount->text(), QStringLiteral("1"));
        tickSaw(1);
        QCOMPARE(lastText(), QStringLiteral("SEND_COP_COLLECTION 8 48 11 3000"));
        // Stop and start again: the next collection goes out at the first tick.
        f->BitBtnTimerSAW2011->click();
        f->ComboBoxTomerSAW2011Period->setEditText(QStringLiteral("3"));
        f->BitBtnTimerSAW2011->click();
        const int sent = f->MemoUTIL_SEND->count();
        tickSaw(1);
        QCOMPARE(f->MemoUTIL_SEND->count(), sent + 1);
        QCOMPARE(f->LabelSAW2011TimerCount->text(), QStringLiteral("3"));
    }

    void sawBadInput()
    {
        open(sawReader());
        const QStringList memo = f->MemoSAW2011_Info->lines();
        f->ComboBoxTomerSAW2011Period->setEditText(QStringLiteral("6O"));
        f->BitBtnTimerSAW2011->click();
        QCOMPARE(bench->errors, QStringList{QStringLiteral("'6O' is not a valid integer value")});
        QCOMPARE(f->MemoSAW2011_Info->lines(), memo);
        QVERIFY(!f->TimerSAW2011->isActive());
        bench->errors.clear();

        // A bad address inside a tick: the count restarts, the rest of that tick is skipped.
        f->ComboBoxTomerSAW2011Period->setEditText(QStringLiteral("2"));
        f->BitBtnTimerSAW2011->click();
        tickSaw(1); // collection
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("0x"));
        tickSaw(1); // no collection due: the tick goes through
        QCOMPARE(f->LabelSAW2011TimerCount->text(), QStringLiteral("1"));
        const int colour = plat::fontColor(f->BitBtnTimerSAW2011);
        const int lines = f->MemoSAW2011_Info->count();
        tickSaw(1); // collection due: the send fails
        QCOMPARE(bench->errors, QStringList{QStringLiteral("'0x' is not a valid integer value")});
        QCOMPARE(SAW2011_TICK, 0);
        QCOMPARE(f->LabelSAW2011TimerCount->text(), QStringLiteral("1"));
        QCOMPARE(plat::fontColor(f->BitBtnTimerSAW2011), colour);
        QCOMPARE(f->MemoSAW2011_Info->count(), lines);
        QVERIFY(f->TimerSAW2011->isActive());
        bench->errors.clear();
    }

    void sawReadButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("line");
        for (int i = 0; i < 3; ++i) {
            const QString tag = QStringLiteral("FEDCBAF%1").arg(i);
            QTest::newRow(qPrintable(tag)) << QStringLiteral("BitBtnSEND_COP_READ_USER_ID_EEEE_") + tag
                                           << QStringLiteral("SEND_COP_READ_USER_ID EEEE ") + tag + ' ';
        }
    }
    void sawReadButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, line);
        open(sawReader());
        auto *b = f->findChild<QPushButton *>(button);
        QVERIFY(b);
        QCOMPARE(b->text(), line.trimmed());
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("1.0"));
        b->click();
        QCOMPARE(bench->errors.size(), 1);
        QCOMPARE(plat::fontColor(b), plat::clBlack);
        bench->errors.clear();
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("01"));
        b->click();
        QCOMPARE(lastText(), line);
        QVERIFY(bench->sim.waitForWire(1, line.toLatin1() + ';', 5000));
        QCOMPARE(plat::fontColor(b), plat::clGreen);
    }

    void sawCom_data()
    {
        QTest::addColumn<int>("kind"); // -1: no reader
        QTest::addColumn<QStringList>("memo");
        QTest::addColumn<int>("colour");
        QTest::newRow("SAW") << int(Kind::Vrx433Saw) << QStringList{QStringLiteral("VRX433-SAW found ") + kDef}
                             << plat::clGreen;
        QTest::newRow("900") << int(Kind::Vrx900) << QStringList{QStringLiteral("wait..")} << plat::clBlack;
        QTest::newRow("none") << -1 << QStringList{QStringLiteral("VRX433-SAW not found ")} << plat::clRed;
    }
    void sawCom()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, memo);
        QFETCH(int, colour);
        bench = std::make_unique<ConsoleBench>();
        if (kind >= 0)
            bench->addPort(1, Kind(kind));
        f = &bench->open();
        f->MemoSAW2011_Info->appendLine(QStringLiteral("old"));
        emit f->MemoSAW2011_Info->doubleClicked();
        QCOMPARE(f->MemoSAW2011_Info->count(), 0);
        f->MemoSAW2011_Info->appendLine(QStringLiteral("old"));
        f->BitBtnSAW2011_COM->click();
        QCOMPARE(f->MemoSAW2011_Info->lines(), memo);
        QCOMPARE(plat::fontColor(f->BitBtnSAW2011_COM), colour);
    }

    // ---- KAMAZ ----

    void kamazStartStop()
    {
        open(reader900());
        QVERIFY(f->BitBtnKAMAZ_START_INV->isEnabled());
        QVERIFY(!f->BitBtnKAMAZ_STOP_INV->isEnabled());
        STOP_PENDING = 1;
        plat::setTimerEnabled(f->TimerSTOP, true);
        f->BitBtnKAMAZ_START_INV->click();
        QCOMPARE(lastText(), kStart);
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        QVERIFY(!f->BitBtnKAMAZ_START_INV->isEnabled());
        QVERIFY(f->BitBtnKAMAZ_STOP_INV->isEnabled());
        QVERIFY(f->TimerKAMAZ->isActive());
        QCOMPARE(f->TimerKAMAZ->interval(), 1000);
        QLabel *labels[] = {f->LabelKAMAZ_DATE, f->LabelKAMAZ_Time, f->LabelKAMAZ_Rota, f->LabelKAMAZ_AVTO,
                            f->LabelKAMAZ_REG_SIGN};
        const QStringList titles{QStringLiteral("Дата: "), QStringLiteral("Время:"), QStringLiteral("Рота: "),
                                 QStringLiteral("Автомобиль:"), QStringLiteral("Регистрационный знак:")};
        auto shown = [&] {
            QStringList s;
            for (QLabel *l : labels)
                s << l->text();
            return s;
        };
        const QStringList colons(5, QStringLiteral(":"));
        for (int i = 0; i < 4; ++i)
            f->TimerKAMAZTimer();
        QCOMPARE(shown(), colons);
        f->TimerKAMAZTimer();
        QCOMPARE(shown(), titles);
        QCOMPARE(KAMAZ_TICK, 5);

        f->BitBtnKAMAZ_STOP_INV->click();
        QCOMPARE(lastText(), QStringLiteral("EPC_STOP"));
        QCOMPARE(STOP_PENDING, 1);
        QVERIFY(f->TimerSTOP->isActive());
        QVERIFY(f->BitBtnKAMAZ_START_INV->isEnabled());
        QVERIFY(!f->BitBtnKAMAZ_STOP_INV->isEnabled());
        QVERIFY(!f->TimerKAMAZ->isActive());
        QCOMPARE(shown(), titles);
        QVERIFY(run([&] { return !f->TimerSTOP->isActive(); }));
        QVERIFY(!bench->sim.inventoryStats(1).running);
    }

    void kamazTitlesFollowTheLastStart()
    {
        open(reader900());
        auto tick = [&](int n) {
            for (int i = 0; i < n; ++i)
                f->TimerKAMAZTimer();
        };
        f->BitBtnKAMAZ_START_INV->click();
        tick(3);
        f->BitBtnKAMAZ_STOP_INV->click();
        QCOMPARE(f->LabelKAMAZ_DATE->text(), QStringLiteral(":"));
        f->BitBtnKAMAZ_START_INV->click();
        tick(4);
        QCOMPARE(f->LabelKAMAZ_REG_SIGN->text(), QStringLiteral(":"));
        tick(1);
        QCOMPARE(f->LabelKAMAZ_REG_SIGN->text(), QStringLiteral("Регистрационный знак:"));

        // A bad address: START has done its start reset and nothing else.
        f->BitBtnKAMAZ_STOP_INV->click();
        f->ComboBoxUTIL_ADDR->setEditText(QStringLiteral("one"));
        f->BitBtnKAMAZ_START_INV->click();
        QCOMPARE(STOP_PENDING, 0);
        QVERIFY(!f->TimerSTOP->isActive());
        QVERIFY(f->BitBtnKAMAZ_START_INV->isEnabled());
        QVERIFY(!f->BitBtnKAMAZ_STOP_INV->isEnabled());
        QVERIFY(!f->TimerKAMAZ->isActive());
        QCOMPARE(bench->errors, QStringList{QStringLiteral("'one' is not a valid integer value")});
        bench->errors.clear();
    }
};

QTEST_MAIN(TestConsoleMonitor)
#include "test_console_monitor.moc"
