#include "SERV.h"

#include "COM_PORT_SELECT.h"
#include "ServiceFrames.h"

#include <Errors.h>
#include <Handler.h>
#include <Widgets.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QTimer>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace srv {

QList<QPointF> ChartPoints(const qint16 *words, int count, int maxPoints)
{
    QList<QPointF> pts;
    if (count <= maxPoints) {
        pts.reserve(count);
        for (int i = 0; i < count; ++i)
            pts.append(QPointF(i, words[i]));
        return pts;
    }
    // Min/max envelope: each range gives its lowest and highest word at their own indices,
    // so no peak is lost however many words fall on one pixel.
    const int buckets = std::max(1, maxPoints / 2);
    pts.reserve(buckets * 2);
    for (int b = 0; b < buckets; ++b) {
        const int from = static_cast<int>(static_cast<qint64>(count) * b / buckets);
        const int to = static_cast<int>(static_cast<qint64>(count) * (b + 1) / buckets);
        if (from >= to)
            continue;
        int lo = from, hi = from;
        for (int i = from + 1; i < to; ++i) {
            if (words[i] < words[lo])
                lo = i;
            if (words[i] > words[hi])
                hi = i;
        }
        const int first = std::min(lo, hi), second = std::max(lo, hi);
        pts.append(QPointF(first, words[first]));
        if (second != first)
            pts.append(QPointF(second, words[second]));
    }
    return pts;
}

} // namespace srv

namespace {

const QStringList kSendStrAItems = {
    QStringLiteral("VERSION"),
    QStringLiteral("DATE"),
    QString(),
    QStringLiteral("GET_SNGL_UID"),
    QStringLiteral("WR_SNGL_UID   20  55       ADDR DATA"),
    QStringLiteral("WR8_SNGL_UID  20  11 22 33 44 55 66 77 88        ADDR  DATA DATA DATA"),
    QStringLiteral("RD_SNGL_UID   20             ADDR "),
    QString(),
    QStringLiteral("COLLISION_ARBITRATION  2  10   10    NUM_ID   NUM_TRY  NUM_TRYX"),
    QString(),
    QStringLiteral("RD_CURRENT_UID  0  E0 04 BA 88 99 00 00 00      ADDR  ID"),
    QStringLiteral("WR_CURRENT_UID  0 77   E0 04 BA 88 99 00 00 00      ADDR DATA ID"),
    QStringLiteral("WR8_CURRENT_UID  20  11 22 33 44 55 66 77 88     E0 04 BA 88 99 00 00 00  ADDR DATA8  ID"),
};

QStringList addrItems()
{
    return {QStringLiteral("00"), QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"),
            QStringLiteral("04"), QStringLiteral("05"), QStringLiteral("06")};
}

QStringList rfItems(int from, int to)
{
    QStringList l;
    for (int f = from; f <= to; ++f)
        l << QStringLiteral("SET_RF_MHZ  %1").arg(f);
    return l;
}

QPushButton *button(QWidget *w, const char *name, const QString &caption, int x, int y, int width)
{
    QPushButton *b = plat::makeButton(w, QString::fromLatin1(name), caption);
    b->setGeometry(x, y, width, 22);
    return b;
}

QComboBox *combo(QWidget *w, const char *name, const QString &text, const QStringList &items, int x, int y,
                 int width)
{
    QComboBox *c = plat::makeCombo(w, QString::fromLatin1(name), text, items);
    c->setGeometry(x, y, width, 21);
    c->setMaxVisibleItems(20);
    return c;
}

QLineEdit *edit(QWidget *w, const char *name, const QString &text, int x, int y, int width)
{
    auto *e = new QLineEdit(text, w);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(x, y, width, 21);
    e->setCursorPosition(0); // show the start of a text wider than its field
    return e;
}

constexpr int kClientW = 985;
constexpr int kClientH = 475;
// Where the chart goes when the View menu shows it: just below the client area, tall enough
// to read (the designed 65 pixels leave no room for a plot once axes are drawn).
constexpr int kShownChartTop = 480;
constexpr int kShownChartH = 260;

} // namespace

TForm1::TForm1(QWidget *parent, TMyCOMServiceThread *thread, const QString &choiceFolder)
    : QMainWindow(parent), COMServiceThread(thread), choiceFolder_(choiceFolder)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Veldor DSP service"));
    // 8 points at 96 dpi.
    setFont(plat::windowsFont(QStringLiteral("MS Sans Serif"), 11));
    buildWindow();
    FormCreate();
}

TForm1::~TForm1()
{
    if (COMServiceThread) {
        COMServiceThread->stop();
        delete COMServiceThread;
        COMServiceThread = nullptr;
    }
}

void TForm1::buildWindow()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("Form1Client"));
    client_->setFixedSize(kClientW, kClientH);
    setCentralWidget(client_);
    QWidget *w = client_;

    LabelCOM_PORT_STATUS = plat::makeLabel(w, QStringLiteral("LabelCOM_PORT_STATUS"), QStringLiteral("COM:"));
    LabelCOM_PORT_STATUS->move(8, 0);
    LabelCOM_PORT_STATUS->resize(265, 16);
    lbTIME_COMMAND = plat::makeLabel(w, QStringLiteral("lbTIME_COMMAND"), QStringLiteral("00:00:00"));
    lbTIME_COMMAND->move(280, 0);
    lbTIME_COMMAND->resize(120, 16);

    SpeedButtonSendA = button(w, "SpeedButtonSendA", QStringLiteral("Send 1"), 8, 32, 49);
    ComboBoxSendStrA = combo(w, "ComboBoxSendStrA", QStringLiteral("VERSION"), kSendStrAItems, 72, 32, 489);
    ComboBoxSelectADDR_A = combo(w, "ComboBoxSelectADDR_A", QStringLiteral("01"), addrItems(), 568, 32, 49);
    SpeedButtonSend2 = button(w, "SpeedButtonSend2", QStringLiteral("Send 2"), 8, 56, 49);
    ComboBoxSendB = combo(w, "ComboBoxSendB", QStringLiteral("SET_RF_MHZ  866"), rfItems(850, 870), 72, 56, 241);
    sbTIMER = button(w, "sbTIMER", QStringLiteral("TIMER"), 800, 24, 65);
    sbBEEP = button(w, "sbBEEP", QStringLiteral("BEEP"), 800, 48, 65);

    const QFont mono = plat::windowsFont(QStringLiteral("Courier New"), 12);
    MemoSendViewA = new plat::Memo(w, QStringLiteral("MemoSendViewA"));
    MemoSendViewA->setGeometry(8, 88, 505, 145);
    MemoSendViewA->setFont(mono);
    MemoRecViewA = new plat::Memo(w, QStringLiteral("MemoRecViewA"));
    MemoRecViewA->setGeometry(520, 88, 409, 145);
    MemoRecViewA->setFont(mono);
    sbSETUP = button(w, "sbSETUP", QStringLiteral("SELECT Serial Port"), 776, 408, 153);

    buildUidArea(w);

    // Built but never shown, as designed.
    SpeedButtonSendB = button(w, "SpeedButtonSendB", QStringLiteral("Send"), 16, 512, 49);
    QStringList bItems = rfItems(860, 870);
    bItems << QString();
    ComboBoxSendStrB = combo(w, "ComboBoxSendStrB", QStringLiteral("SET_RF_MHZ  866"), bItems, 80, 512, 305);
    ComboBoxSelectADDR_B = combo(w, "ComboBoxSelectADDR_B", QStringLiteral("01"), addrItems(), 400, 512, 49);
    sbTransponderA = button(w, "sbTransponderA", QStringLiteral("TRANSPONDER_A"), 8, 632, 105);
    sbTrnsA = button(w, "sbTrnsA", QStringLiteral("TRNS_A"), 8, 656, 73);
    sbTEST = button(w, "sbTEST", QStringLiteral("TEST"), 600, 640, 137);
    for (QWidget *h : std::initializer_list<QWidget *>{SpeedButtonSendB, ComboBoxSendStrB, ComboBoxSelectADDR_B,
                                                       sbTransponderA, sbTrnsA, sbTEST})
        h->setVisible(false);

    buildChart(w);

    Timer1 = plat::makeTimer(this, QStringLiteral("Timer1"), 2, false);
    Timer2a = plat::makeTimer(this, QStringLiteral("Timer2a"), 200, false);
    Timer3a = plat::makeTimer(this, QStringLiteral("Timer3a"), 1000, false);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    actViewChart = view->addAction(QStringLiteral("&Data chart"));
    actViewChart->setObjectName(QStringLiteral("actViewChart"));
    actViewChart->setCheckable(true);
    actViewChart->setChecked(false);

    plat::connectHandler(SpeedButtonSendA, &QPushButton::clicked, this, [this] { SpeedButtonSendAClick(); });
    plat::connectHandler(SpeedButtonSend2, &QPushButton::clicked, this, [this] { SpeedButtonSend2Click(); });
    plat::connectHandler(SpeedButtonSendB, &QPushButton::clicked, this, [this] { SpeedButtonSendBClick(); });
    plat::connectHandler(sbTransponderA, &QPushButton::clicked, this, [this] { sbTransponderAClick(); });
    plat::connectHandler(sbTrnsA, &QPushButton::clicked, this, [this] { sbTrnsAClick(); });
    plat::connectHandler(sbTEST, &QPushButton::clicked, this, [this] { sbTESTClick(); });
    plat::connectHandler(sbTIMER, &QPushButton::clicked, this, [this] { sbTIMERClick(); });
    plat::connectHandler(sbBEEP, &QPushButton::clicked, this, [this] { sbBEEPClick(); });
    plat::connectHandler(sbSETUP, &QPushButton::clicked, this, [this] { sbSETUPClick(); });
    plat::connectHandler(MemoSendViewA, &plat::Memo::doubleClicked, this, [this] { MemoSendViewADblClick(); });
    plat::connectHandler(MemoRecViewA, &plat::Memo::doubleClicked, this, [this] { MemoRecViewADblClick(); });
    plat::connectHandler(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    plat::connectHandler(Timer2a, &QTimer::timeout, this, [this] { Timer2aTimer(); });
    plat::connectHandler(Timer3a, &QTimer::timeout, this, [this] { Timer3aTimer(); });
    plat::connectHandler(sbGET_SNGL_UID, &QPushButton::clicked, this, [this] { sbGET_SNGL_UIDClick(); });
    plat::connectHandler(sbWR_SINGL_UID, &QPushButton::clicked, this, [this] { sbWR_SINGL_UIDClick(); });
    plat::connectHandler(sbWR8_SNGL_UID, &QPushButton::clicked, this, [this] { sbWR8_SNGL_UIDClick(); });
    plat::connectHandler(sbRD_SNGL_UID, &QPushButton::clicked, this, [this] { sbRD_SNGL_UIDClick(); });
    plat::connectHandler(sbRD_CURRENT_UID, &QPushButton::clicked, this, [this] { sbRD_CURRENT_UIDClick(); });
    plat::connectHandler(sbWR_CURRENT_UID, &QPushButton::clicked, this, [this] { sbWR_CURRENT_UIDClick(); });
    plat::connectHandler(sbWR8_CURRENT_UID, &QPushButton::clicked, this, [this] { sbWR8_CURRENT_UIDClick(); });
    plat::connectHandler(sbCOLLISION_ARBITRATION, &QPushButton::clicked, this,
                         [this] { sbCOLLISION_ARBITRATIONClick(); });
    plat::connectHandler(SpBtnSaveDATA, &QPushButton::clicked, this, [this] { SpBtnSaveDATAClick(); });
    plat::connectHandler(actViewChart, &QAction::toggled, this, [this] { setChartShown(actViewChart->isChecked()); });
    meRD_CURRENT_UID_UID->installEventFilter(this);
}

void TForm1::buildUidArea(QWidget *w)
{
    sbGET_SNGL_UID = button(w, "sbGET_SNGL_UID", QStringLiteral("GET_SNGL_UID"), 8, 240, 137);

    sbWR_SINGL_UID = button(w, "sbWR_SINGL_UID", QStringLiteral("WR_SNGL_UID"), 8, 264, 137);
    meWR_ADDR = edit(w, "meWR_ADDR", QStringLiteral("20"), 168, 264, 49);
    meWR_DATA = edit(w, "meWR_DATA", QStringLiteral("55"), 240, 264, 41);

    sbWR8_SNGL_UID = button(w, "sbWR8_SNGL_UID", QStringLiteral("WR8_SNGL_UID"), 8, 288, 137);
    meWR8_SNGL_UID_ADDR = edit(w, "meWR8_SNGL_UID_ADDR", QStringLiteral("20"), 168, 288, 49);
    meWR8_SNGL_UID_DATA = edit(w, "meWR8_SNGL_UID_DATA", QStringLiteral("11 22 33 44 55 66 77 88"), 240, 288, 137);

    sbRD_SNGL_UID = button(w, "sbRD_SNGL_UID", QStringLiteral("RD_SNGL_UID"), 8, 312, 137);
    meRD_SNGL_UID_ADDR = edit(w, "meRD_SNGL_UID_ADDR", QStringLiteral("20"), 168, 312, 49);

    sbRD_CURRENT_UID = button(w, "sbRD_CURRENT_UID", QStringLiteral("RD_CURRENT_UID"), 8, 360, 137);
    meRD_CURRENT_UID_ADDR = edit(w, "meRD_CURRENT_UID_ADDR", QStringLiteral("0"), 168, 360, 46);
    meRD_CURRENT_UID_UID = edit(w, "meRD_CURRENT_UID_UID", QStringLiteral("E0 04 42 B3 05 01 00 00"), 400, 360, 137);

    sbWR_CURRENT_UID = button(w, "sbWR_CURRENT_UID", QStringLiteral("WR_CURRENT_UID"), 8, 384, 137);
    meWR_CURRENT_UID_ADDR = edit(w, "meWR_CURRENT_UID_ADDR", QStringLiteral("20"), 168, 384, 49);
    meWR_CURRENT_UID_DATA = edit(w, "meWR_CURRENT_UID_DATA", QStringLiteral("55"), 240, 384, 41);
    meWR_CURRENT_UID_UID = edit(w, "meWR_CURRENT_UID_UID", QStringLiteral("E0 04 42 B3 05 01 00 00"), 400, 384, 137);

    sbWR8_CURRENT_UID = button(w, "sbWR8_CURRENT_UID", QStringLiteral("WR8_CURRENT_UID"), 8, 408, 137);
    meWR8_CURRENT_UID_ADDR = edit(w, "meWR8_CURRENT_UID_ADDR", QStringLiteral("20"), 168, 408, 49);
    meWR8_CURRENT_UID_DATA =
        edit(w, "meWR8_CURRENT_UID_DATA", QStringLiteral("00 11 22 33 44 55 66 77 "), 240, 408, 129);
    meWR8_CURRENT_UID_UID = edit(w, "meWR8_CURRENT_UID_UID", QStringLiteral("E0 04 42 B3 05 01 00 00"), 400, 408, 137);

    sbCOLLISION_ARBITRATION =
        button(w, "sbCOLLISION_ARBITRATION", QStringLiteral("COLLISION_ARBITRATION"), 584, 240, 153);
    meCOLLISION_ARBITRATION_N = edit(w, "meCOLLISION_ARBITRATION_N", QStringLiteral("2"), 752, 240, 33);
    meCOLLISION_ARBITRATION_X = edit(w, "meCOLLISION_ARBITRATION_X", QStringLiteral("20"), 792, 240, 33);
    meCOLLISION_ARBITRATION_Y = edit(w, "meCOLLISION_ARBITRATION_Y", QStringLiteral("20"), 832, 240, 33);
}

void TForm1::buildChart(QWidget *w)
{
    auto *chart = new QChart;
    chart->setTitle(QStringLiteral("TChart"));
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 2, 4, 2));
    Series1 = new QLineSeries;
    Series1->setObjectName(QStringLiteral("Series1"));
    Series1->setName(QStringLiteral("Series1"));
    Series1->setColor(Qt::red);
    Series1->setPointsVisible(false);
    Series1->setPointLabelsVisible(false);
    chart->addSeries(Series1);
    auto *ax = new QValueAxis;
    ax->setLabelFormat(QStringLiteral("%d"));
    auto *ay = new QValueAxis;
    ay->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    Series1->attachAxis(ax);
    Series1->attachAxis(ay);
    ax->setRange(0, 1);
    ay->setRange(-1, 1);

    Chart1 = new QChartView(chart, w);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    // Drag a rectangle to zoom in, right click to zoom out.
    Chart1->setRubberBand(QChartView::RectangleRubberBand);
    plat::connectHandler(ax, &QValueAxis::rangeChanged, this, [this] { plotVisible(); });
    Chart1->setGeometry(8, 560, 833, 65);
    Chart1->setVisible(false);
    SpBtnSaveDATA = button(w, "SpBtnSaveDATA", QStringLiteral("SAVE DATA"), 856, 560, 81);
    SpBtnSaveDATA->setVisible(false);
}

void TForm1::setChartShown(bool shown)
{
    if (shown) {
        client_->setFixedSize(kClientW, kShownChartTop + kShownChartH + 8);
        Chart1->setGeometry(8, kShownChartTop, 833, kShownChartH);
        SpBtnSaveDATA->move(856, kShownChartTop);
    } else {
        Chart1->setGeometry(8, 560, 833, 65);
        SpBtnSaveDATA->move(856, 560);
        client_->setFixedSize(kClientW, kClientH);
    }
    Chart1->setVisible(shown);
    SpBtnSaveDATA->setVisible(shown);
    if (actViewChart->isChecked() != shown)
        actViewChart->setChecked(shown);
    adjustSize();
}

void TForm1::FormCreate()
{
    bool fileOk = true;
    ReadPortChoice(choiceFolder_, &fileOk);
    if (!fileOk) {
        // Said once, here; the thread and Form2 fall back to COM1 without a word.
        QTimer::singleShot(0, this, [this] {
            plat::guarded([this] {
                plat::messageBox(this, QStringLiteral("\"SRV.dat\" can be neither read nor written; working on COM1."));
            });
        });
    }
    if (!COMServiceThread)
        COMServiceThread = new TMyCOMServiceThread(choiceFolder_);
    COMServiceThread->start();
    // Above normal where the system allows it; a refusal is not an error.
    COMServiceThread->setPriority(QThread::HighPriority);
}

void TForm1::SendServiceCommand(const QString &text, QComboBox *addrSource, bool timed)
{
    if (timed)
        TIME_SEND = QTime::currentTime();
    LabelCOM_PORT_STATUS->setText(COMServiceThread->CommPortStr());
    plat::setTimerEnabled(Timer1, true);
    const int number = COMServiceThread->NUM_COMMAND;
    ++COMServiceThread->NUM_COMMAND;
    if (ComboBoxSendStrA->currentText().isEmpty())
        return;
    const QByteArray bytes = srv::CommandBytes(text);
    if (bytes.size() > srv::kMaxCommandText)
        throw plat::Error(QStringLiteral("Command text of %1 characters is too long: at most %2 fit the "
                                         "send buffer. Nothing was sent.")
                              .arg(bytes.size())
                              .arg(srv::kMaxCommandText));
    const QByteArray line = srv::BuildCommandLine(number, bytes);
    const uint8_t address = addrSource ? srv::AddressByteFromText(addrSource->currentText()) : 1;
    if (!COMServiceThread->PostCommand(address, line)) {
        MemoSendViewA->appendLine(QStringLiteral("Not sent (link busy): ") + QString::fromLatin1(line));
        return;
    }
    MemoSendViewA->appendLine(QStringLiteral("TxD: ") + QString::fromLatin1(line));
}

void TForm1::SpeedButtonSendAClick()
{
    SendServiceCommand(ComboBoxSendStrA->currentText(), ComboBoxSelectADDR_A, true);
}

void TForm1::SpeedButtonSend2Click()
{
    SendServiceCommand(ComboBoxSendB->currentText(), ComboBoxSelectADDR_A, false);
}

void TForm1::SpeedButtonSendBClick()
{
    SendServiceCommand(ComboBoxSendStrB->currentText(), ComboBoxSelectADDR_B, false);
}

void TForm1::sbTransponderAClick()
{
    SendServiceCommand(QStringLiteral("TRANSPONDER_A"), ComboBoxSelectADDR_A, false);
}

void TForm1::sbTrnsAClick()
{
    SendServiceCommand(QStringLiteral("TRNS_A"), ComboBoxSelectADDR_A, false);
}

void TForm1::sbTESTClick()
{
    SendServiceCommand(QStringLiteral("TEST_1 866"), ComboBoxSelectADDR_A, false);
}

void TForm1::sbTIMERClick()
{
    if (Timer2a->isActive()) {
        plat::setTimerEnabled(Timer2a, false);
        plat::setFontColor(sbTIMER, plat::clBlack);
    } else {
        plat::setTimerEnabled(Timer2a, true);
        plat::setFontColor(sbTIMER, plat::clRed);
    }
}

void TForm1::Timer2aTimer()
{
    SendServiceCommand(ComboBoxSendStrA->currentText(), ComboBoxSelectADDR_A, false);
}

void TForm1::Timer3aTimer()
{
    SendServiceCommand(QStringLiteral("GET_SNGL_UID"), ComboBoxSelectADDR_A, false);
}

void TForm1::sbBEEPClick()
{
    if (BEEP_ON == 1) {
        BEEP_ON = 0;
        plat::setFontColor(sbBEEP, plat::clBlack);
    } else {
        BEEP_ON = 1;
        plat::setFontColor(sbBEEP, plat::clRed);
    }
}

void TForm1::MemoSendViewADblClick()
{
    MemoSendViewA->clearLines();
}

void TForm1::MemoRecViewADblClick()
{
    MemoRecViewA->clearLines();
}

void TForm1::sbSETUPClick()
{
    if (!Form2)
        return;
    Form2->show();
    Form2->raise();
}

void TForm1::Timer1Timer()
{
    TMyCOMServiceThread *t = COMServiceThread;
    for (const QString &l : t->TakeSendNotices())
        MemoSendViewA->appendLine(l);
    // Answer pump. A zero wait: the GUI thread only looks, it does not sleep on the link.
    const bool answerReady = t->EventAnswerStrReady.wait(0);
    // A refusal is noted before the thread signals what follows it: taken after the look,
    // it is shown in stream order.
    showReceiveNotices();
    if (answerReady) {
        const QByteArray answer(reinterpret_cast<const char *>(t->REC_ANSWER_BUF), t->ANSWER_BUF_COUNT);
        if (BEEP_ON == 1 && srv::AnswerHasRecId(answer)) {
            ++beepCount_;
            QApplication::beep();
        }
        MemoRecViewA->appendLine(QStringLiteral("RxD: ") + QString::fromLatin1(answer));
        t->EventAnswerStrReady.reset();
        t->EventAnswerStrFree.set();
        const int ms = TIME_SEND.msecsTo(QTime::currentTime());
        lbTIME_COMMAND->setText(plat::TimeText(QTime(0, 0).addMSecs(ms < 0 ? ms + 86400000 : ms)));
    }
    BlockStep();
}

void TForm1::BlockStep()
{
    TMyCOMServiceThread *t = COMServiceThread;
    const bool ready = t->EventDATAReady.wait(0);
    showReceiveNotices();
    if (!ready)
        return;
    const int n = t->REC_DATA_LENGHT;
    lastBlock_.resize(n);
    if (n > 0)
        std::copy(t->REC_DATA_BUF.get(), t->REC_DATA_BUF.get() + n, lastBlock_.begin());
    // The copy is ours: let the thread go on parsing before the chart is drawn.
    t->EventDATAReady.reset();
    t->EventDATAFree.set();
    plotBlock();
}

void TForm1::showReceiveNotices()
{
    for (const QString &l : COMServiceThread->TakeReceiveNotices())
        MemoRecViewA->appendLine(l);
}

void TForm1::plotBlock()
{
    const int n = static_cast<int>(lastBlock_.size());
    Series1->replace(srv::ChartPoints(lastBlock_.constData(), n, srv::kChartFullPoints));
    const QScopedValueRollback<bool> busy(plotting_, true);
    auto *ax = qobject_cast<QValueAxis *>(Chart1->chart()->axes(Qt::Horizontal).value(0));
    auto *ay = qobject_cast<QValueAxis *>(Chart1->chart()->axes(Qt::Vertical).value(0));
    if (!ax || !ay)
        return;
    if (n == 0) {
        ax->setRange(0, 1);
        ay->setRange(-1, 1);
        return;
    }
    const auto [lo, hi] = std::minmax_element(lastBlock_.cbegin(), lastBlock_.cend());
    ax->setRange(0, std::max(1, n - 1));
    ay->setRange(*lo, *hi > *lo ? *hi : *lo + 1);
}

void TForm1::plotVisible()
{
    // A zoomed-in long block is drawn again from its words in the visible index range, so the
    // detail that the envelope of the whole block leaves out shows up.
    const int n = static_cast<int>(lastBlock_.size());
    auto *ax = qobject_cast<QValueAxis *>(Chart1->chart()->axes(Qt::Horizontal).value(0));
    if (plotting_ || !ax || n <= srv::kChartFullPoints)
        return;
    const int from = std::clamp(static_cast<int>(std::floor(ax->min())), 0, n - 1);
    const int to = std::clamp(static_cast<int>(std::ceil(ax->max())), from, n - 1);
    QList<QPointF> pts = srv::ChartPoints(lastBlock_.constData() + from, to - from + 1, srv::kChartFullPoints);
    for (QPointF &p : pts)
        p.rx() += from;
    Series1->replace(pts);
}

void TForm1::SpBtnSaveDATAClick()
{
    QString name = plat::saveFileDialog(this, QStringLiteral("Save"), QString());
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".txt");
    // The block the window last took, so a block arriving meanwhile cannot mix into the file.
    const QByteArray text = srv::SaveFileText(lastBlock_.constData(), static_cast<int>(lastBlock_.size()));
    QFile f(name);
    // Only a plain file that this save made is removed after a failure, never a device.
    const bool plain = !QFileInfo::exists(name) || QFileInfo(name).isFile();
    auto fail = [&](const QString &why) {
        f.close();
        if (plain && f.remove())
            throw plat::Error(
                QStringLiteral("Error writing \"%1\": %2. The incomplete file was closed and removed.").arg(name, why));
        throw plat::Error(QStringLiteral("Error writing \"%1\": %2. The file was closed.").arg(name, why));
    };
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw plat::Error(QStringLiteral("Cannot create file \"%1\": %2").arg(name, f.errorString()));
    constexpr qint64 kChunk = 1 << 16;
    for (qint64 pos = 0; pos < text.size(); pos += kChunk) {
        const qint64 len = std::min(kChunk, text.size() - pos);
        if (f.write(text.constData() + pos, len) != len || !f.flush())
            fail(f.errorString());
    }
    f.close();
    if (f.error() != QFileDevice::NoError)
        fail(f.errorString());
}

void TForm1::sbGET_SNGL_UIDClick()
{
    SendServiceCommand(QStringLiteral("GET_SNGL_UID"), ComboBoxSelectADDR_A, false);
}

void TForm1::sbWR_SINGL_UIDClick()
{
    SendServiceCommand(srv::WrSnglUidText(meWR_ADDR->text(), meWR_DATA->text()), nullptr, true);
}

void TForm1::sbWR8_SNGL_UIDClick()
{
    SendServiceCommand(srv::Wr8SnglUidText(meWR8_SNGL_UID_ADDR->text(), meWR8_SNGL_UID_DATA->text()), nullptr, true);
}

void TForm1::sbRD_SNGL_UIDClick()
{
    SendServiceCommand(srv::RdSnglUidText(meRD_SNGL_UID_ADDR->text()), nullptr, true);
}

void TForm1::sbRD_CURRENT_UIDClick()
{
    SendServiceCommand(srv::RdCurrentUidText(meRD_CURRENT_UID_ADDR->text(), meRD_CURRENT_UID_UID->text()), nullptr,
                       true);
}

void TForm1::sbWR_CURRENT_UIDClick()
{
    SendServiceCommand(srv::WrCurrentUidText(meWR_CURRENT_UID_ADDR->text(), meWR_CURRENT_UID_DATA->text(),
                                             meWR_CURRENT_UID_UID->text()),
                       nullptr, true);
}

void TForm1::sbWR8_CURRENT_UIDClick()
{
    SendServiceCommand(srv::Wr8CurrentUidText(meWR8_CURRENT_UID_ADDR->text(), meWR8_CURRENT_UID_DATA->text(),
                                              meWR8_CURRENT_UID_UID->text()),
                       nullptr, true);
}

void TForm1::sbCOLLISION_ARBITRATIONClick()
{
    SendServiceCommand(srv::CollisionArbitrationText(meCOLLISION_ARBITRATION_N->text(),
                                                     meCOLLISION_ARBITRATION_X->text(),
                                                     meCOLLISION_ARBITRATION_Y->text()),
                       nullptr, true);
}

void TForm1::meRD_CURRENT_UID_UIDDblClick()
{
    meWR_CURRENT_UID_UID->setText(meRD_CURRENT_UID_UID->text());
    meWR8_CURRENT_UID_UID->setText(meRD_CURRENT_UID_UID->text());
}

bool TForm1::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == meRD_CURRENT_UID_UID && e->type() == QEvent::MouseButtonDblClick)
        plat::guarded([this] { meRD_CURRENT_UID_UIDDblClick(); });
    return QMainWindow::eventFilter(watched, e);
}

void TForm1::closeEvent(QCloseEvent *e)
{
    // Closing the main window ends the program, Form2 included; the thread stops with it.
    QMainWindow::closeEvent(e);
    if (e->isAccepted()) {
        if (COMServiceThread)
            COMServiceThread->stop();
        if (Form2)
            Form2->close();
        QApplication::quit();
    }
}
