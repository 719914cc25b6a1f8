// The service window on the offscreen platform, its thread fed from memory: layout, numbering,
// address byte, refusals, timers, BEEP, UID buttons, the chart and the save file.
#include <COM_PORT_SELECT.h>
#include <Errors.h>
#include <Handler.h>
#include <SERV.h>
#include <ServiceFrames.h>
#include <Widgets.h>
#include <thrd1.h>
#include "ServiceTestSupport.h"

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>
#include <condition_variable>
#include <mutex>

namespace {



QRect geo(QWidget *w)
{
    return w->geometry();
}

} // namespace

class TestVeldorForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void numberingAndEmptyText();
    void addressByte_data();
    void addressByte();
    void tooLongTextRefused();
    void timersAndToggles();
    void answerPumpBeepAndTime();
    void uidButtons_data();
    void uidButtons();
    void uidDoubleClickCopies();
    void chartAndSave_data();
    void chartAndSave();
    void chartZoomShowsDetail();
    void oversizedBlockShownAsRefused();
    void saveCancelledAndSaveFailing();
    void form2WritesChoice();
    void choiceFileUnusableSaidOnce();

private:
    // Lines sent, without the address byte, as the board receives them.
    QByteArray waitWire(int bytes);
    void pumpUntil(const std::function<bool()> &cond);

    QTemporaryDir *dir_ = nullptr;
    MemoryIo *io_ = nullptr;
    TForm1 *form_ = nullptr;
    QStringList errors_, boxes_;
    plat::ErrorBoxFn oldErr_;
    plat::MessageBoxFn oldBox_;
};

void TestVeldorForm::init()
{
    errors_.clear();
    boxes_.clear();
    oldErr_ = plat::setErrorBox([this](const QString &m) { errors_ << m; });
    oldBox_ = plat::setMessageBox([this](QWidget *, const QString &m) { boxes_ << m; });
    dir_ = new QTemporaryDir;
    io_ = new MemoryIo;
    form_ = new TForm1(nullptr, new TMyCOMServiceThread(io_, QStringLiteral("COM2")), dir_->path());
    // Ticks are driven by hand.
    form_->Timer1->setInterval(3600000);
}

void TestVeldorForm::cleanup()
{
    delete form_;
    delete io_;
    delete dir_;
    plat::setErrorBox(oldErr_);
    plat::setMessageBox(oldBox_);
}

QByteArray TestVeldorForm::waitWire(int bytes)
{
    QElapsedTimer t;
    t.start();
    while (io_->written().size() < bytes && t.elapsed() < 10000)
        QTest::qWait(5);
    return io_->written();
}

void TestVeldorForm::pumpUntil(const std::function<bool()> &cond)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < 10000) {
        form_->Timer1Timer();
        QTest::qWait(2);
    }
}

void TestVeldorForm::layout()
{
    TForm1 &f = *form_;
    QCOMPARE(f.centralWidget()->size(), QSize(985, 475));
    QCOMPARE(geo(f.SpeedButtonSendA), QRect(8, 32, 49, 22));
    QCOMPARE(geo(f.ComboBoxSendStrA), QRect(72, 32, 489, 21));
    QCOMPARE(geo(f.ComboBoxSelectADDR_A), QRect(568, 32, 49, 21));
    QCOMPARE(geo(f.ComboBoxSendB), QRect(72, 56, 241, 21));
    QCOMPARE(geo(f.MemoSendViewA), QRect(8, 88, 505, 145));
    QCOMPARE(geo(f.MemoRecViewA), QRect(520, 88, 409, 145));
    QCOMPARE(geo(f.sbSETUP), QRect(776, 408, 153, 22));
    QCOMPARE(geo(f.meWR8_CURRENT_UID_DATA), QRect(240, 408, 129, 21));
    QCOMPARE(geo(f.sbCOLLISION_ARBITRATION), QRect(584, 240, 153, 22));
    QCOMPARE(geo(f.Chart1), QRect(8, 560, 833, 65));
    QCOMPARE(f.ComboBoxSendStrA->currentText(), QStringLiteral("VERSION"));
    QCOMPARE(f.ComboBoxSendStrA->count(), 13);
    QCOMPARE(f.ComboBoxSendStrA->itemText(4), QStringLiteral("WR_SNGL_UID   20  55       ADDR DATA"));
    QCOMPARE(f.ComboBoxSendStrA->itemText(6), QStringLiteral("RD_SNGL_UID   20             ADDR "));
    QCOMPARE(f.ComboBoxSendStrA->itemText(7), QString());
    QCOMPARE(f.ComboBoxSendB->count(), 21);
    QCOMPARE(f.ComboBoxSendB->itemText(20), QStringLiteral("SET_RF_MHZ  870"));
    QCOMPARE(f.ComboBoxSendStrB->count(), 12);
    QCOMPARE(f.ComboBoxSelectADDR_A->count(), 7);
    for (QWidget *w : {static_cast<QWidget *>(f.SpeedButtonSendB), static_cast<QWidget *>(f.sbTEST),
                       static_cast<QWidget *>(f.Chart1), static_cast<QWidget *>(f.SpBtnSaveDATA)})
        QVERIFY(w->isHidden());
    QCOMPARE(f.Timer1->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(f.Timer2a->interval(), 200);
    QVERIFY(!f.Timer1->isActive() && !f.Timer2a->isActive() && !f.Timer3a->isActive());
    QCOMPARE(f.Timer3a->interval(), 1000);

    // The View entry shows chart and save button and hides them again.
    f.actViewChart->trigger();
    QVERIFY(!f.Chart1->isHidden() && !f.SpBtnSaveDATA->isHidden());
    QVERIFY(f.centralWidget()->height() >= f.Chart1->geometry().bottom());
    f.actViewChart->trigger();
    QVERIFY(f.Chart1->isHidden() && f.SpBtnSaveDATA->isHidden());
    QCOMPARE(f.centralWidget()->size(), QSize(985, 475));
}

void TestVeldorForm::numberingAndEmptyText()
{
    TForm1 &f = *form_;
    f.SpeedButtonSendAClick();
    const QByteArray first = QByteArray::fromHex("013A303030303030303020564552534" "94F4E2020202020203936363B");
    QCOMPARE(waitWire(28), first);
    QCOMPARE(f.MemoSendViewA->lines(), QStringList{"TxD: " + QString::fromLatin1(first.mid(1))});
    QCOMPARE(f.LabelCOM_PORT_STATUS->text(), QStringLiteral("COM2: baud=115200 parity=N data=8 stop=2"));
    QVERIFY(f.Timer1->isActive());

    // An empty command box stops every member after numbering.
    f.ComboBoxSendStrA->setEditText(QString());
    f.SpeedButtonSend2Click();
    f.sbRD_SNGL_UIDClick();
    f.Timer2aTimer();
    QCOMPARE(f.MemoSendViewA->count(), 1);
    f.ComboBoxSendStrA->setEditText(QStringLiteral("DATE"));
    f.SpeedButtonSend2Click();
    QCOMPARE(f.MemoSendViewA->line(1).left(15), QStringLiteral("TxD: :00000004 "));
    QVERIFY(f.MemoSendViewA->line(1).startsWith("TxD: :00000004 SET_RF_MHZ  866 "));
    QVERIFY(errors_.isEmpty());
}

void TestVeldorForm::addressByte_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("addrText");
    QTest::addColumn<int>("byte");
    QTest::newRow("Send 1 at 03") << "A" << "03" << 3;
    QTest::newRow("Send 1 at 06") << "A" << "06" << 0;
    QTest::newRow("Send 1 at typed 7") << "A" << "7" << 0;
    QTest::newRow("GET_SNGL_UID at 03") << "G" << "03" << 3;
    QTest::newRow("UID write ignores combo") << "W" << "03" << 1;
    QTest::newRow("UID write ignores combo 00") << "W" << "00" << 1;
    QTest::newRow("hidden Send uses its own combo") << "B" << "04" << 1;
}

void TestVeldorForm::addressByte()
{
    QFETCH(QString, member);
    QFETCH(QString, addrText);
    QFETCH(int, byte);
    TForm1 &f = *form_;
    f.ComboBoxSelectADDR_A->setEditText(addrText);
    if (member == "A")
        f.SpeedButtonSendAClick();
    else if (member == "G")
        f.sbGET_SNGL_UIDClick();
    else if (member == "W")
        f.sbWR_SINGL_UIDClick();
    else
        f.SpeedButtonSendBClick();
    const QByteArray w = waitWire(12);
    QVERIFY(w.size() >= 12);
    QCOMPARE(int(uint8_t(w.at(0))), byte);
}

void TestVeldorForm::tooLongTextRefused()
{
    TForm1 &f = *form_;
    f.ComboBoxSendStrA->setEditText(QString(1004, 'X'));
    plat::guarded([&] { f.SpeedButtonSendAClick(); });
    QCOMPARE(errors_.size(), 1);
    QVERIFY(errors_[0].contains("1004"));
    QCOMPARE(f.MemoSendViewA->count(), 0);
    // 1003 characters still fit.
    f.ComboBoxSendStrA->setEditText(QString(1003, 'X'));
    f.SpeedButtonSendAClick();
    const QByteArray w = waitWire(1024);
    QCOMPARE(w.size(), 1024);
    QVERIFY(w.startsWith("\x01:00000001 XXX"));
    QCOMPARE(f.MemoSendViewA->count(), 1);
}

void TestVeldorForm::timersAndToggles()
{
    TForm1 &f = *form_;
    f.sbTIMERClick();
    QVERIFY(f.Timer2a->isActive());
    QCOMPARE(plat::fontColor(f.sbTIMER), plat::clRed);
    f.Timer2aTimer();
    f.Timer2aTimer();
    QCOMPARE(f.MemoSendViewA->count(), 2);
    QVERIFY(f.MemoSendViewA->line(1).startsWith("TxD: :00000001 VERSION "));
    f.sbTIMERClick();
    QVERIFY(!f.Timer2a->isActive());
    QCOMPARE(plat::fontColor(f.sbTIMER), plat::clBlack);

    f.sbBEEPClick();
    QCOMPARE(int(f.BEEP_ON), 1);
    QCOMPARE(plat::fontColor(f.sbBEEP), plat::clRed);
    f.sbBEEPClick();
    QCOMPARE(int(f.BEEP_ON), 0);
    QCOMPARE(plat::fontColor(f.sbBEEP), plat::clBlack);

    f.MemoRecViewA->appendLine("x");
    f.MemoSendViewADblClick();
    QCOMPARE(f.MemoSendViewA->count(), 0);
    QCOMPARE(f.MemoRecViewA->count(), 1);
    f.MemoRecViewADblClick();
    QCOMPARE(f.MemoRecViewA->count(), 0);

    // Hidden members send their fixed texts.
    f.sbTESTClick();
    f.sbTransponderAClick();
    f.sbTrnsAClick();
    f.Timer3aTimer();
    QVERIFY(f.MemoSendViewA->line(0).startsWith("TxD: :00000002 TEST_1 866 "));
    QVERIFY(f.MemoSendViewA->line(1).startsWith("TxD: :00000003 TRANSPONDER_A "));
    QVERIFY(f.MemoSendViewA->line(2).startsWith("TxD: :00000004 TRNS_A "));
    QVERIFY(f.MemoSendViewA->line(3).startsWith("TxD: :00000005 GET_SNGL_UID "));
}

void TestVeldorForm::answerPumpBeepAndTime()
{
    TForm1 &f = *form_;
    // An answer that came before any command waits until the pump starts.
    io_->feed(":00000000 REC_ID E004;");
    QTest::qWait(100);
    QCOMPARE(f.MemoRecViewA->count(), 0);
    f.sbBEEPClick();
    f.SpeedButtonSendAClick();
    pumpUntil([&] { return f.MemoRecViewA->count() == 1; });
    QCOMPARE(f.MemoRecViewA->line(0), QStringLiteral("RxD: :00000000 REC_ID E004;"));
    QCOMPARE(f.beepCount(), 1);
    io_->feed(":REC_ID 00000001;\x05noise:00000002 ANSWER;");
    pumpUntil([&] { return f.MemoRecViewA->count() == 3; });
    QCOMPARE(f.MemoRecViewA->line(1), QStringLiteral("RxD: :REC_ID 00000001;"));
    QCOMPARE(f.MemoRecViewA->line(2), QStringLiteral("RxD: :00000002 ANSWER;"));
    QCOMPARE(f.beepCount(), 1);
    // Elapsed since the timed Send 1: well under a minute.
    QVERIFY2(f.lbTIME_COMMAND->text().contains(QRegularExpression("^0?0:00:0\\d")), qPrintable(f.lbTIME_COMMAND->text()));
}

void TestVeldorForm::uidButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("timed");
    const QString uid = QStringLiteral("E0 04 42 B3 05 01 00 00");
    QTest::newRow("GET") << "sbGET_SNGL_UID" << "GET_SNGL_UID" << false;
    QTest::newRow("WR") << "sbWR_SINGL_UID" << "WR_SNGL_UID 20 55" << true;
    QTest::newRow("WR8") << "sbWR8_SNGL_UID" << "WR8_SNGL_UID 20 11 22 33 44 55 66 77 88" << true;
    QTest::newRow("RD") << "sbRD_SNGL_UID" << "RD_SNGL_UID 20" << true;
    QTest::newRow("RD_CURRENT") << "sbRD_CURRENT_UID" << "RD_CURRENT_UID 0  " + uid << true;
    QTest::newRow("WR_CURRENT") << "sbWR_CURRENT_UID" << "WR_CURRENT_UID 20  55  " + uid << true;
    QTest::newRow("WR8_CURRENT") << "sbWR8_CURRENT_UID" << "WR8_CURRENT_UID 20  00 11 22 33 44 55 66 77   " + uid
                                 << true;
    QTest::newRow("COLLISION") << "sbCOLLISION_ARBITRATION" << "COLLISION_ARBITRATION 2  20  20" << true;
}

void TestVeldorForm::uidButtons()
{
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(bool, timed);
    TForm1 &f = *form_;
    f.TIME_SEND = QTime(0, 0);
    auto *b = f.findChild<QPushButton *>(button);
    QVERIFY(b);
    b->click();
    const QByteArray line = srv::BuildCommandLine(0, text.toLatin1());
    QCOMPARE(f.MemoSendViewA->lines(), QStringList{"TxD: " + QString::fromLatin1(line)});
    QCOMPARE(waitWire(static_cast<int>(line.size()) + 1).mid(1), line);
    QCOMPARE(f.TIME_SEND != QTime(0, 0), timed);
}

void TestVeldorForm::uidDoubleClickCopies()
{
    TForm1 &f = *form_;
    f.meRD_CURRENT_UID_UID->setText("11 22 33 44 55 66 77 88");
    QTest::mouseDClick(f.meRD_CURRENT_UID_UID, Qt::LeftButton);
    QCOMPARE(f.meWR_CURRENT_UID_UID->text(), QStringLiteral("11 22 33 44 55 66 77 88"));
    QCOMPARE(f.meWR8_CURRENT_UID_UID->text(), QStringLiteral("11 22 33 44 55 66 77 88"));
    QCOMPARE(f.MemoSendViewA->count(), 0);
    QVERIFY(io_->written().isEmpty());
}

void TestVeldorForm::chartAndSave_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("three words") << blockBytes({0x0001, 0xFFFF, 0x1234}) << QList<QPointF>{{0, 1}, {1, -1}, {2, 4660}}
                                 << QByteArray("DATA FROM BLACKFIN MEMORY\r\n 1,\r\n -1,\r\n 4660,\r\n");
    QTest::newRow("empty block") << blockBytes({}) << QList<QPointF>{} << QByteArray("DATA FROM BLACKFIN MEMORY\r\n");
    QTest::newRow("two blocks, the second wins") << (blockBytes({5, 6, 7}) + blockBytes({0x8000}))
                                                 << QList<QPointF>{{0, -32768}}
                                                 << QByteArray("DATA FROM BLACKFIN MEMORY\r\n -32768,\r\n");
    QTest::newRow("answers after the block") << (blockBytes({2}) + QByteArray(":00000001 X;"))
                                             << QList<QPointF>{{0, 2}}
                                             << QByteArray("DATA FROM BLACKFIN MEMORY\r\n 2,\r\n");
}

void TestVeldorForm::chartAndSave()
{
    QFETCH(QByteArray, stream);
    QFETCH(QList<QPointF>, points);
    QFETCH(QByteArray, file);
    TForm1 &f = *form_;
    f.Series1->append(99, 99); // an earlier picture is cleared
    io_->feed(stream);
    const int blocks = static_cast<int>(stream.count('>'));
    pumpUntil([&] {
        return f.lastBlock().size() == points.size() && f.Series1->points() == points &&
               (blocks < 2 || f.lastBlock().value(0) == -32768) && (!stream.contains(':') || f.MemoRecViewA->count() == 1);
    });
    QCOMPARE(f.Series1->points(), points);

    const QString name = dir_->filePath("block");
    auto old = plat::setSaveDialog([&](QWidget *, const QString &, const QString &, const QString &) { return name; });
    f.SpBtnSaveDATAClick();
    plat::setSaveDialog(old);
    QFile saved(name + ".txt");
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), file);
    QVERIFY(errors_.isEmpty());
}

void TestVeldorForm::chartZoomShowsDetail()
{
    TForm1 &f = *form_;
    QCOMPARE(f.Chart1->rubberBand(), QChartView::RectangleRubberBand);
    // A block too long to draw point for point: zooming in shows every word of the range.
    QVector<quint16> w(50000);
    for (int i = 0; i < w.size(); ++i)
        w[i] = static_cast<quint16>((i * 37) % 1001);
    io_->feed(blockBytes(w));
    pumpUntil([&] { return f.lastBlock().size() == w.size(); });
    QVERIFY(f.Series1->count() <= srv::kChartFullPoints);
    auto *ax = qobject_cast<QValueAxis *>(f.Chart1->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(ax);
    ax->setRange(20000.5, 20099.5);
    QList<QPointF> detail;
    for (int i = 20000; i <= 20100; ++i)
        detail.append(QPointF(i, w[i]));
    QCOMPARE(f.Series1->points(), detail);
    // Zoomed out again: the whole block, within the point budget, from end to end.
    f.Chart1->chart()->zoomReset();
    ax->setRange(0, w.size() - 1);
    QVERIFY(f.Series1->count() <= srv::kChartFullPoints);
    QCOMPARE(f.Series1->points().first().x(), 0.0);
    QVERIFY(f.Series1->points().last().x() > w.size() - 20);
}

void TestVeldorForm::oversizedBlockShownAsRefused()
{
    TForm1 &f = *form_;
    io_->feed(QByteArray(">\x42\x42\x0f\x00", 5) + ":00000001 AFTER;");
    pumpUntil([&] { return f.MemoRecViewA->count() == 2; });
    QCOMPARE(f.MemoRecViewA->lines(),
             (QStringList{"Data block of 1000002 words refused: more than 1000001 words", "RxD: :00000001 AFTER;"}));
    QVERIFY(f.lastBlock().isEmpty());
}

void TestVeldorForm::saveCancelledAndSaveFailing()
{
    TForm1 &f = *form_;
    io_->feed(blockBytes({1, 2, 3}));
    pumpUntil([&] { return f.lastBlock().size() == 3; });
    auto old = plat::setSaveDialog([](QWidget *, const QString &, const QString &, const QString &) { return QString(); });
    f.SpBtnSaveDATAClick();
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"SRV.dat"});

    // A disk that fills up part-way, through a link so the name keeps its extension: an
    // error, the file closed, and the device itself never removed.
    const QString full = dir_->filePath("full.txt");
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
    plat::setSaveDialog([&](QWidget *, const QString &, const QString &, const QString &) { return full; });
    plat::guarded([&] { f.SpBtnSaveDATAClick(); });
    QCOMPARE(errors_.size(), 1);
    QVERIFY2(errors_[0].contains("full.txt") && errors_[0].contains("closed"), qPrintable(errors_[0]));
    QVERIFY(QFileInfo::exists(QStringLiteral("/dev/full")));
    plat::setSaveDialog([&](QWidget *, const QString &, const QString &, const QString &) {
        return dir_->filePath("no/such/dir/x.txt");
    });
    plat::guarded([&] { f.SpBtnSaveDATAClick(); });
    QCOMPARE(errors_.size(), 2);
    plat::setSaveDialog(old);
}

void TestVeldorForm::form2WritesChoice()
{
    QTemporaryDir dir;
    TForm2 form2(nullptr, dir.path());
    QCOMPARE(form2.objectName(), QStringLiteral("Form2"));
    QCOMPARE(form2.cbSelectCOM_PORT->currentText(), QStringLiteral("COM1"));
    QCOMPARE(form2.cbSelectCOM_PORT->count(), 10);
    QCOMPARE(form2.cbSelectCOM_PORT->geometry(), QRect(192, 16, 145, 21));
    auto fileText = [&] {
        QFile f(dir.filePath("SRV.dat"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    };
    QCOMPARE(fileText(), QByteArray("COM1\r\n"));
    form2.cbSelectCOM_PORT->setCurrentIndex(4);
    QCOMPARE(fileText(), QByteArray("COM5\r\n"));
    form2.cbSelectCOM_PORT->setEditText("COM12");
    QCOMPARE(fileText(), QByteArray("COM12\r\n"));
    // Next start: repaired to COM1.
    TForm2 again(nullptr, dir.path());
    QCOMPARE(again.cbSelectCOM_PORT->currentText(), QStringLiteral("COM1"));

    // sbSETUP shows Form2 without blocking.
    form_->Form2 = &form2;
    form_->sbSETUPClick();
    QVERIFY(form2.isVisible());
    form_->Form2 = nullptr;
}

void TestVeldorForm::choiceFileUnusableSaidOnce()
{
    QTemporaryDir dir;
    MemoryIo io;
    TForm1 form(nullptr, new TMyCOMServiceThread(&io, QStringLiteral("COM1")), dir.filePath("missing/folder"));
    QTRY_COMPARE(boxes_.size(), 1);
    QVERIFY(boxes_[0].contains("SRV.dat"));
    QTest::qWait(100);
    QCOMPARE(boxes_.size(), 1);
}

QTEST_MAIN(TestVeldorForm)
#include "tst_veldor_form.moc"
