#include "Unit_main_qelm18.h"
#include "Errors.h"
#include "Handler.h"
#include "Tmy_COM.h"
#include "UnitCOM_A.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

int STOP_PENDING = 0;
int ANT_TEST_ON = 0;
int INV_COUNT = 0;
int TAG_COUNT = 0;
int INV_LIMIT = 0;
int LOG_INV_COUNT = 0;
int SAW2011_TICK = 0;
int SAW2011_PERIOD = 0;
int KAMAZ_TICK = 0;

namespace {

const QString kDefinitionSuffix = QStringLiteral(": baud=115200 parity=N data=8 stop=2");

struct ModelWord {
    const char *word;
    const char *foundPrefix;
};

// Probed in this order on every port; the first match wins.
const ModelWord kModelWords[] = {
    {"VRX900-15", "VRX900-15 found "},
    {"VRX433-16", "VRX433-1 found "},
    {"VRX433-SAW", "VRX433-SAW found "},
    {"WG", "WG found "},
    {"K4000", "K4000 found "},
};

const QStringList kUtilCommands = {
    QStringLiteral("VERSION"),
    QStringLiteral("GET_TEMPERATURE"),
    QStringLiteral("SHT_RH"),
    QStringLiteral("SHT_T_RH"),
    QString(),
    QStringLiteral("SEND_COP_READ_MEMORY  EEEE FEDCBA01  10  0"),
    QStringLiteral("SEND_COP_WR_MEMORY EEEE FEDCBA01  10 0  00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF"),
    QString(),
    QStringLiteral("SEND_COP_COLLECTION 8 48 11 2000        L L H L"),
    QString(),
    QStringLiteral("SEND_COP_ALL_SLEEP_BUT EEEE FEDCBA01"),
    QStringLiteral("SEND_COP_ALL_SLEEP_BUT EEEE FEDCBA02"),
    QString(),
    QStringLiteral("SEND_COP_READ_USER_ID  EEEE FEDCBA01"),
    QString(),
    QString(),
    QStringLiteral("SEND_COP_ALL_USER_ID_RD"),
    QStringLiteral("SEND_COP_CURR_USER_ID_RD EEEE FEDCBA01"),
    QString(),
    QStringLiteral("SEND_WAKE_UP_IMPULS 2"),
    QStringLiteral("SEND_WAKE_UP_IMPULS 1"),
    QStringLiteral("SEND_WAKE_UP_IMPULS 0"),
    QStringLiteral("GET_ADC "),
    QStringLiteral("GET_SLOT 8"),
    QString(),
    QStringLiteral("MRF49_TRANSMIT_ON"),
    QStringLiteral("MRF49_RECEIVE_ON"),
    QStringLiteral("MRF49_TEST_SEND 10"),
    QStringLiteral("MRF49_SEND_USART_WORDS 1000 5A"),
    QString(),
    QStringLiteral("MRF49_CENTER_FREQUENCY_SET 43392"),
    QStringLiteral("MRF49_CENTER_FREQUENCY_SET 43390"),
    QStringLiteral("MRF49_CENTER_FREQUENCY_SET 43377"),
    QString(),
    QStringLiteral("MRF49_SW_REC_MODE"),
    QStringLiteral("MRF49_SW_SEND_MODE_H"),
    QStringLiteral("MRF49_SW_SEND_MODE_L"),
    QString(),
    QStringLiteral("MRF49_SET_FSK 0"),
    QStringLiteral("MRF49_SET_FSK 1"),
};

QWidget *makePage(QTabWidget *owner, const QString &name, const QString &caption)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    owner->addTab(page, caption);
    return page;
}

QFont pixelFont(const QString &family, int px, bool bold = false)
{
    return plat::windowsFont(family, px, bold);
}

plat::Memo *makeMemo(QWidget *parent, const QString &name, const QFont &font = QFont())
{
    auto *m = new plat::Memo(parent, name);
    if (font != QFont())
        m->setFont(font);
    return m;
}

QLabel *makeBigLabel(QWidget *parent, const QString &name, const QString &caption, int px = 16)
{
    QLabel *l = plat::makeLabel(parent, name, caption);
    l->setFont(pixelFont(QStringLiteral("Tahoma"), px, true));
    return l;
}

} // namespace

QString GetAnswerItem(int N, const QString &S)
{
    const int L = static_cast<int>(S.size());
    if (L == 0 || S.at(0) != QLatin1Char(':') || S.at(L - 1) != QLatin1Char(';'))
        return QStringLiteral("error");
    int item = 0;
    for (int i = 1; i < L; ++i) {
        const QChar prev = S.at(i - 1);
        const QChar c = S.at(i);
        if ((prev == QLatin1Char(':') || prev == QLatin1Char(' ')) && c != QLatin1Char(':') && c != QLatin1Char(' ')) {
            if (++item == N) {
                if (c == QLatin1Char(';'))
                    return {};
                int j = i;
                while (j < L && S.at(j) != QLatin1Char(' ') && S.at(j) != QLatin1Char(';'))
                    ++j;
                return S.mid(i, j - i);
            }
        }
    }
    return {};
}

TFormPLUV::TFormPLUV(QWidget *parent) : QWidget(parent)
{
    // One main window per program: it starts from the program-start state.
    STOP_PENDING = ANT_TEST_ON = INV_COUNT = TAG_COUNT = INV_LIMIT = LOG_INV_COUNT = 0;
    SAW2011_TICK = SAW2011_PERIOD = KAMAZ_TICK = 0;

    setObjectName(QStringLiteral("FormPLUV"));
    setWindowTitle(QStringLiteral("qelm18 - RFID reader test console"));
    setFont(pixelFont(QStringLiteral("Tahoma"), 11));
    resize(892, 470);
    buildLayout();

    TimerMAIN = plat::makeTimer(this, QStringLiteral("TimerMAIN"), 10, true);
    Timer433 = plat::makeTimer(this, QStringLiteral("Timer433"), 2000, false);
    TimerSTOP = plat::makeTimer(this, QStringLiteral("TimerSTOP"), 100, false);
    TimerSAW2011 = plat::makeTimer(this, QStringLiteral("TimerSAW2011"), 1000, false);
    TimerKAMAZ = plat::makeTimer(this, QStringLiteral("TimerKAMAZ"), 1000, false);

    connectCoreHandlers();
    connectInventoryHandlers();
    connectTagsHandlers();
    connectMonitorHandlers();
    plat::guarded([this] { FormCreate(); });
}

TFormPLUV::~TFormPLUV() { DestroyPortObject(); }

void TFormPLUV::DestroyPortObject()
{
    delete my_COM_A;
    my_COM_A = nullptr;
}

void TFormPLUV::closeEvent(QCloseEvent *e)
{
    // Every receive thread is stopped and joined and its port closed before the window goes.
    for (QTimer *t : {TimerMAIN, Timer433, TimerSTOP, TimerSAW2011, TimerKAMAZ})
        t->stop();
    DestroyPortObject();
    QWidget::closeEvent(e);
}

bool TFormPLUV::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LabelTitle && event->type() == QEvent::MouseButtonDblClick)
        plat::guarded([this] { LabelTitleDblClick(); });
    return QWidget::eventFilter(watched, event);
}

void TFormPLUV::buildLayout()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(PageControl1);

    TabSheetTITLE = makePage(PageControl1, QStringLiteral("TabSheetTITLE"), QStringLiteral("QELM-18"));
    TabSheetUTIL = makePage(PageControl1, QStringLiteral("TabSheetUTIL"), QStringLiteral("UTIL"));
    TabSheetTERMINAL = makePage(PageControl1, QStringLiteral("TabSheetTERMINAL"), QStringLiteral("TRM"));
    TabSheet_ANT_TEST = makePage(PageControl1, QStringLiteral("TabSheet_ANT_TEST"), QStringLiteral("ANT_TEST"));
    TabSheetLOG = makePage(PageControl1, QStringLiteral("TabSheetLOG"), QStringLiteral("LOG"));
    TabSheetSAW2011 = makePage(PageControl1, QStringLiteral("TabSheetSAW2011"), QStringLiteral("SAW2011"));
    TabSheetKAMAZ = makePage(PageControl1, QStringLiteral("TabSheetKAMAZ"), QStringLiteral("KAMAZ"));

    auto *titleLayout = new QVBoxLayout(TabSheetTITLE);
    LabelTitle = plat::makeLabel(TabSheetTITLE, QStringLiteral("LabelTitle"), QStringLiteral("QELM-18 RFID reader test console"));
    LabelTitle->setFont(pixelFont(QStringLiteral("Tahoma"), 29, true));
    LabelTitle->setAlignment(Qt::AlignCenter);
    LabelTitle->installEventFilter(this);
    titleLayout->addWidget(LabelTitle);

    buildTabUTIL();

    auto *trm = new QVBoxLayout(TabSheetTERMINAL);
    MemoTERMINAL = makeMemo(TabSheetTERMINAL, QStringLiteral("MemoTERMINAL"), pixelFont(QStringLiteral("Courier New"), 11));
    // The hint is kept but not shown, as on the bench tool it replaces.
    MemoTERMINAL->setProperty("hint", QStringLiteral("Double Click for clear.."));
    trm->addWidget(MemoTERMINAL);

    buildTabANT_TEST();
    buildTabLOG();
    buildTabSAW2011();
    buildTabKAMAZ();
}

void TFormPLUV::buildTabUTIL()
{
    auto *v = new QVBoxLayout(TabSheetUTIL);
    v->setContentsMargins(4, 4, 4, 4);
    auto *row = new QHBoxLayout;
    BitBtnUTIL_SEND_COMMAND = plat::makeButton(TabSheetUTIL, QStringLiteral("BitBtnUTIL_SEND_COMMAND"), QStringLiteral("SEND"));
    ComboBoxUTIL_COMMAND = plat::makeCombo(TabSheetUTIL, QStringLiteral("ComboBoxUTIL_COMMAND"), QStringLiteral("VERSION"), kUtilCommands);
    ComboBoxUTIL_ADDR = plat::makeCombo(TabSheetUTIL, QStringLiteral("ComboBoxUTIL_ADDR"), QStringLiteral("01"),
                                        {"01", "02", "03", "04", "05", "06", "07", "08", "09"});
    cbCOMPORT = plat::makeCombo(TabSheetUTIL, QStringLiteral("cbCOMPORT"), QStringLiteral("----"),
                                {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"});
    LabelCOM_PORT_STATUS = plat::makeLabel(TabSheetUTIL, QStringLiteral("LabelCOM_PORT_STATUS"), QStringLiteral("STATUS"));
    BitBtnUTIL_FIND_COM = plat::makeButton(TabSheetUTIL, QStringLiteral("BitBtnUTIL_FIND_COM"), QStringLiteral("COM"));
    BitBtnUTIL_FIND_COM->setToolTip(QStringLiteral("reader search"));
    ComboBoxUTIL_ADDR->setMinimumWidth(50);
    // Room for a whole definition text without widening the window.
    LabelCOM_PORT_STATUS->setFixedWidth(LabelCOM_PORT_STATUS->fontMetrics().horizontalAdvance(
                                            QStringLiteral("COM20: baud=115200 parity=N data=8 stop=2"))
                                        + 8);
    cbCOMPORT->setMinimumWidth(70);
    row->addWidget(BitBtnUTIL_SEND_COMMAND);
    row->addWidget(ComboBoxUTIL_COMMAND, 1);
    row->addWidget(ComboBoxUTIL_ADDR);
    row->addWidget(cbCOMPORT);
    row->addWidget(LabelCOM_PORT_STATUS);
    row->addWidget(BitBtnUTIL_FIND_COM);
    v->addLayout(row);

    auto *lists = new QHBoxLayout;
    const QFont listFont = pixelFont(QStringLiteral("Courier New"), 9);
    MemoUTIL_SEND = makeMemo(TabSheetUTIL, QStringLiteral("MemoUTIL_SEND"), listFont);
    MemoUTIL_REC = makeMemo(TabSheetUTIL, QStringLiteral("MemoUTIL_REC"), listFont);
    lists->addWidget(MemoUTIL_SEND);
    lists->addWidget(MemoUTIL_REC);
    v->addLayout(lists, 1);

    PageControl2 = new QTabWidget(TabSheetUTIL);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    TabSheet433 = makePage(PageControl2, QStringLiteral("TabSheet433"), QStringLiteral("433"));
    TabSheet900 = makePage(PageControl2, QStringLiteral("TabSheet900"), QStringLiteral("900"));
    TabSheetWG = makePage(PageControl2, QStringLiteral("TabSheetWG"), QStringLiteral("Wiegand"));
    TabSheetALPHA = makePage(PageControl2, QStringLiteral("TabSheetALPHA"), QStringLiteral("ALPHA"));
    TabSheetTqz = makePage(PageControl2, QStringLiteral("TabSheetTqz"), QStringLiteral("K4000"));
    buildTab433(TabSheet433);
    buildTab900(TabSheet900);
    buildTabWG(TabSheetWG);
    buildTabALPHA(TabSheetALPHA);
    v->addWidget(PageControl2, 1);
}

void TFormPLUV::buildTab900(QWidget *page)
{
    auto *g = new QGridLayout(page);
    g->setContentsMargins(4, 4, 4, 4);
    auto btn = [&](QPushButton *&b, const char *name, const char *caption, const char *hint) {
        b = plat::makeButton(page, QString::fromLatin1(name), QString::fromLatin1(caption));
        if (hint)
            b->setToolTip(QString::fromLatin1(hint));
        return b;
    };
    auto box = [&](QComboBox *&c, const char *name, const char *text, const QStringList &items, const char *hint) {
        c = plat::makeCombo(page, QString::fromLatin1(name), QString::fromLatin1(text), items);
        if (hint)
            c->setToolTip(QString::fromLatin1(hint));
        c->setMinimumWidth(60);
        return c;
    };
    const QStringList p15 = {"1", "2", "3", "4", "5"};
    int r = 0;
    g->addWidget(btn(BitBtnEPC_INIT_LABEL, "BitBtnEPC_INIT_LABEL", "INIT_LABEL", "initialise the tag (the only tag in the field)"), r, 0);
    g->addWidget(box(ComboBox_EPC_INIT_LABEL_W1, "ComboBox_EPC_INIT_LABEL_W1", "3008", {}, "manufacturer code 0000..FFFF"), r, 1);
    g->addWidget(box(ComboBox_EPC_INIT_LABEL_W2, "ComboBox_EPC_INIT_LABEL_W2", "0000", {}, "tag number 0000..FFFF"), r, 2);
    g->addWidget(btn(BitBtnEPC_INVENTORY_TIME, "BitBtnEPC_INVENTORY_TIME", "EPC_INVENTORY_TIME", "start INVENTORY mode"), r, 4);
    g->addWidget(box(ComboBoxEPC_INVENTORY_TIME_Q, "ComboBoxEPC_INVENTORY_TIME_Q", "20", {}, nullptr), r, 5);
    g->addWidget(box(ComboBoxEPC_INVENTORY_TIME_C, "ComboBoxEPC_INVENTORY_TIME_C", "5", {}, nullptr), r, 6);
    g->addWidget(box(ComboBoxEPC_INVENTORY_TIME_CNTR, "ComboBoxEPC_INVENTORY_TIME_CNTR", "15", {}, nullptr), r, 7);
    ++r;
    g->addWidget(btn(BitBtn_QELM_WR_DATA_EPC, "BitBtn_QELM_WR_DATA_EPC", "WR_DATA_EPC", "write a data word into the EPC area (the only tag in the field)"), r, 0);
    g->addWidget(box(ComboBox_QELM_WR_DATA_EPC_P, "ComboBox_QELM_WR_DATA_EPC_P", "1", p15, "address of the data word"), r, 1);
    g->addWidget(box(ComboBoxQELM_WR_DATA_EPC_DATA, "ComboBoxQELM_WR_DATA_EPC_DATA", "0000", {}, "word to write"), r, 2);
    g->addWidget(btn(BitBtnQELM_INVENTORY_STOP, "BitBtnQELM_INVENTORY_STOP", "INVENTORY_STOP", "stop INVENTORY mode"), r, 4);
    CheckBoxINV_LOG_ON = new QCheckBox(QStringLiteral("INV LOG ON"), page);
    CheckBoxINV_LOG_ON->setObjectName(QStringLiteral("CheckBoxINV_LOG_ON"));
    CheckBoxINV_LOG_ON->setToolTip(QStringLiteral("log inventory answers on the LOG tab"));
    g->addWidget(CheckBoxINV_LOG_ON, r, 5, 1, 3);
    ++r;
    g->addWidget(btn(BitBtn_QELM_WR_DATA_USER, "BitBtn_QELM_WR_DATA_USER", "WR_DATA_USER", "write a data word into the USER area (the only tag in the field)"), r, 0);
    g->addWidget(box(ComboBox_QELM_WR_DATA_USER_P, "ComboBox_QELM_WR_DATA_USER_P", "1", p15, "address of the data word"), r, 1);
    g->addWidget(box(ComboBoxQELM_WR_DATA_USER_DATA, "ComboBoxQELM_WR_DATA_USER_DATA", "0000", {}, "word to write"), r, 2);
    g->addWidget(btn(BitBtn900_SET_ATT_OUT, "BitBtn900_SET_ATT_OUT", "SET_ATT_OUT", nullptr), r, 4);
    g->addWidget(box(ComboBox900_SET_ATT_OUT, "ComboBox900_SET_ATT_OUT", "10", {}, nullptr), r, 5);
    ++r;
    g->addWidget(btn(BitBtn_QELM_RD_DATA_EPC, "BitBtn_QELM_RD_DATA_EPC", "RD_DATA_EPC", "read the tag's EPC area (the only tag in the field)"), r, 0);
    g->addWidget(btn(BitBtnQELM_RD_DATA_USER, "BitBtnQELM_RD_DATA_USER", "RD_DATA_USER", "read the tag's USER area (the only tag in the field)"), r, 1, 1, 2);
    g->addWidget(btn(BitBtn900_QUERY_ACK, "BitBtn900_QUERY_ACK", "QUERY_ACK", nullptr), r, 4);
    ++r;
    g->addWidget(btn(BitBtnQELM_CURR_WR_DATA_EPC, "BitBtnQELM_CURR_WR_DATA_EPC", "CURR_WR_DATA_EPC", "write a word into the EPC area of the tag with a given number"), r, 0);
    g->addWidget(box(ComboBoxQELM_CURR_WR_DATA_EPC_M, "ComboBoxQELM_CURR_WR_DATA_EPC_M", "0001", {}, "tag number"), r, 1);
    g->addWidget(box(ComboBoxQELM_CURR_WR_DATA_EPC_P, "ComboBoxQELM_CURR_WR_DATA_EPC_P", "1", {}, "number (address) of the word to write"), r, 2);
    g->addWidget(box(ComboBoxQELM_CURR_WR_DATA_EPC_W, "ComboBoxQELM_CURR_WR_DATA_EPC_W", "1234", {}, "word to write"), r, 3);
    g->addWidget(btn(BitBtnQELM_CURR_RD_DATA_EPC, "BitBtnQELM_CURR_RD_DATA_EPC", "CURR_RD_DATA_EPC", "read the EPC area of a given tag"), r, 4);
    ++r;
    g->addWidget(btn(BitBtnQELM_CURR_WR_DATA_USER, "BitBtnQELM_CURR_WR_DATA_USER", "CURR_WR_DATA_USER", "write a word into the USER area of the tag with a given number"), r, 0);
    g->addWidget(btn(BitBtnQELM_CURR_RD_DATA_USER, "BitBtnQELM_CURR_RD_DATA_USER", "CURR_RD_DATA_USER", "read the USER area of a given tag"), r, 4);
    g->setRowStretch(r + 1, 1);
    g->setColumnStretch(8, 1);
}

void TFormPLUV::buildTabANT_TEST()
{
    QWidget *p = TabSheet_ANT_TEST;
    auto *h = new QHBoxLayout(p);
    auto *left = new QVBoxLayout;
    BitBtn_ANT_TEST_dev_found = plat::makeButton(p, QStringLiteral("BitBtn_ANT_TEST_dev_found"), QStringLiteral("COM"));
    BitBtn_ANT_TEST_START = plat::makeButton(p, QStringLiteral("BitBtn_ANT_TEST_START"), QStringLiteral("START"));
    BitBtn_ANT_TEST_STOP = plat::makeButton(p, QStringLiteral("BitBtn_ANT_TEST_STOP"), QStringLiteral("STOP"));
    ComboBox_ANT_TEST_STOP_INV = plat::makeCombo(p, QStringLiteral("ComboBox_ANT_TEST_STOP_INV"), QStringLiteral("5"));
    Label_ANT_TEST_INV_COUNT = makeBigLabel(p, QStringLiteral("Label_ANT_TEST_INV_COUNT"), QStringLiteral("INV:"), 14);
    LabelANT_TEST_TAG_COUNT = makeBigLabel(p, QStringLiteral("LabelANT_TEST_TAG_COUNT"), QStringLiteral("TAGs:"), 20);
    Label_ANT_TEST_TIME = plat::makeLabel(p, QStringLiteral("Label_ANT_TEST_TIME"), QString());
    Memo_ANT_TEST_info = makeMemo(p, QStringLiteral("Memo_ANT_TEST_info"));
    left->addWidget(BitBtn_ANT_TEST_dev_found);
    left->addWidget(BitBtn_ANT_TEST_START);
    left->addWidget(BitBtn_ANT_TEST_STOP);
    left->addWidget(ComboBox_ANT_TEST_STOP_INV);
    left->addWidget(Label_ANT_TEST_INV_COUNT);
    left->addWidget(LabelANT_TEST_TAG_COUNT);
    left->addWidget(Label_ANT_TEST_TIME);
    left->addWidget(Memo_ANT_TEST_info, 1);
    h->addLayout(left);
    MemoANT_TEST_TAGS = makeMemo(p, QStringLiteral("MemoANT_TEST_TAGS"), pixelFont(QStringLiteral("Courier New"), 11));
    h->addWidget(MemoANT_TEST_TAGS, 1);
}

void TFormPLUV::buildTabLOG()
{
    QWidget *p = TabSheetLOG;
    auto *v = new QVBoxLayout(p);
    auto *row = new QHBoxLayout;
    BitBtnLOG_INV_START = plat::makeButton(p, QStringLiteral("BitBtnLOG_INV_START"), QStringLiteral("INV_START"));
    BitBtnLOG_INV_STOP = plat::makeButton(p, QStringLiteral("BitBtnLOG_INV_STOP"), QStringLiteral("INV_STOP"));
    BitBtnLOG_SaveFilles = plat::makeButton(p, QStringLiteral("BitBtnLOG_SaveFilles"), QStringLiteral("SAVE"));
    LabelLOG_NUM_INV = makeBigLabel(p, QStringLiteral("LabelLOG_NUM_INV"), QStringLiteral("CAPACITY:"), 12);
    row->addWidget(BitBtnLOG_INV_START);
    row->addWidget(BitBtnLOG_INV_STOP);
    row->addWidget(BitBtnLOG_SaveFilles);
    row->addWidget(LabelLOG_NUM_INV);
    row->addStretch(1);
    v->addLayout(row);
    auto *lists = new QHBoxLayout;
    MemoLOG_ALL = makeMemo(p, QStringLiteral("MemoLOG_ALL"));
    MemoLOG_STR = makeMemo(p, QStringLiteral("MemoLOG_STR"));
    MemoLOG_STR_FILTR = makeMemo(p, QStringLiteral("MemoLOG_STR_FILTR"));
    lists->addWidget(MemoLOG_ALL);
    lists->addWidget(MemoLOG_STR);
    lists->addWidget(MemoLOG_STR_FILTR);
    v->addLayout(lists, 1);
}

void TFormPLUV::buildTabSAW2011()
{
    QWidget *p = TabSheetSAW2011;
    auto *h = new QHBoxLayout(p);
    auto *g = new QGridLayout;
    BitBtnSAW2011_COM = plat::makeButton(p, QStringLiteral("BitBtnSAW2011_COM"), QStringLiteral("COM"));
    BitBtnSAW2011_COLLECTION = plat::makeButton(p, QStringLiteral("BitBtnSAW2011_COLLECTION"), QStringLiteral("COLLECTION"));
    BitBtnTimerSAW2011 = plat::makeButton(p, QStringLiteral("BitBtnTimerSAW2011"), QStringLiteral("TIMER"));
    ComboBoxTomerSAW2011Period = plat::makeCombo(p, QStringLiteral("ComboBoxTomerSAW2011Period"), QStringLiteral("60"),
                                                 {"60", "120", "180", "300", "600"});
    LabelSAW2011TimerCount = makeBigLabel(p, QStringLiteral("LabelSAW2011TimerCount"), QStringLiteral("cntr"), 20);
    g->addWidget(BitBtnSAW2011_COM, 0, 0);
    g->addWidget(BitBtnSAW2011_COLLECTION, 1, 0);
    g->addWidget(BitBtnTimerSAW2011, 2, 0);
    g->addWidget(ComboBoxTomerSAW2011Period, 2, 1);
    g->addWidget(LabelSAW2011TimerCount, 3, 0, 1, 2);
    QPushButton **readButtons[] = {&BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0, &BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1,
                                   &BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2};
    QLabel **readLabels[] = {&LabelSAW2011_0, &LabelSAW2011_1, &LabelSAW2011_2};
    for (int i = 0; i < 3; ++i) {
        const QString tag = QStringLiteral("FEDCBAF%1").arg(i);
        *readButtons[i] = plat::makeButton(p, QStringLiteral("BitBtnSEND_COP_READ_USER_ID_EEEE_") + tag,
                                           QStringLiteral("SEND_COP_READ_USER_ID EEEE ") + tag);
        *readLabels[i] = makeBigLabel(p, QStringLiteral("LabelSAW2011_%1").arg(i), QStringLiteral("Lab"), 20);
        g->addWidget(*readButtons[i], 4 + i, 0);
        g->addWidget(*readLabels[i], 4 + i, 1);
    }
    g->setRowStretch(7, 1);
    h->addLayout(g);
    MemoSAW2011_Info = makeMemo(p, QStringLiteral("MemoSAW2011_Info"), pixelFont(QStringLiteral("Courier New"), 11));
    h->addWidget(MemoSAW2011_Info, 1);
}

void TFormPLUV::buildTabKAMAZ()
{
    QWidget *p = TabSheetKAMAZ;
    auto *h = new QHBoxLayout(p);
    auto *left = new QVBoxLayout;
    BitBtnKAMAZ_START_INV = plat::makeButton(p, QStringLiteral("BitBtnKAMAZ_START_INV"), QStringLiteral("START"));
    BitBtnKAMAZ_STOP_INV = plat::makeButton(p, QStringLiteral("BitBtnKAMAZ_STOP_INV"), QStringLiteral("STOP"));
    left->addWidget(BitBtnKAMAZ_START_INV);
    left->addWidget(BitBtnKAMAZ_STOP_INV);
    QLabel **labels[] = {&LabelKAMAZ_DATE, &LabelKAMAZ_Time, &LabelKAMAZ_Rota, &LabelKAMAZ_AVTO, &LabelKAMAZ_REG_SIGN};
    const char *names[] = {"LabelKAMAZ_DATE", "LabelKAMAZ_Time", "LabelKAMAZ_Rota", "LabelKAMAZ_AVTO", "LabelKAMAZ_REG_SIGN"};
    for (int i = 0; i < 5; ++i) {
        *labels[i] = makeBigLabel(p, QString::fromLatin1(names[i]), QStringLiteral(":"), 18);
        left->addWidget(*labels[i]);
    }
    left->addStretch(1);
    h->addLayout(left, 1);
    MemoKAMAZ = makeMemo(p, QStringLiteral("MemoKAMAZ"));
    h->addWidget(MemoKAMAZ, 1);
}

void TFormPLUV::connectClicks(std::initializer_list<std::pair<QPushButton *, Handler>> clicks)
{
    for (const auto &[button, handler] : clicks)
        plat::connectHandler(button, &QPushButton::clicked, this, [this, h = handler] { (this->*h)(); });
}

void TFormPLUV::connectDblClicks(std::initializer_list<std::pair<plat::Memo *, Handler>> lists)
{
    for (const auto &[memo, handler] : lists)
        plat::connectHandler(memo, &plat::Memo::doubleClicked, this, [this, h = handler] { (this->*h)(); });
}

void TFormPLUV::connectCoreHandlers()
{
    connectDblClicks({
        {MemoUTIL_SEND, &TFormPLUV::MemoUTIL_SENDDblClick},
        {MemoUTIL_REC, &TFormPLUV::MemoUTIL_RECDblClick},
        {MemoTERMINAL, &TFormPLUV::MemoTERMINALDblClick},
    });
    connectClicks({
        {BitBtnUTIL_FIND_COM, &TFormPLUV::BitBtnUTIL_FIND_COMClick},
        {BitBtn_ANT_TEST_dev_found, &TFormPLUV::BitBtn_ANT_TEST_dev_foundClick},
        {BitBtnUTIL_SEND_COMMAND, &TFormPLUV::BitBtnUTIL_SEND_COMMANDClick},
    });
    plat::connectHandler(TimerMAIN, &QTimer::timeout, this, [this] { TimerMAINTimer(); });
}

void TFormPLUV::FormCreate()
{
    for (QWidget *page : {TabSheet_ANT_TEST, TabSheetLOG, TabSheetSAW2011, TabSheetKAMAZ})
        PageControl1->setTabVisible(PageControl1->indexOf(page), false);
    PageControl1->setCurrentWidget(TabSheetUTIL);
    PageControl2->setCurrentWidget(TabSheet900);
    MemoUTIL_SEND->clearLines();
    MemoUTIL_REC->clearLines();
    MemoTERMINAL->clearLines();
    Memo_ANT_TEST_info->clearLines();
    BitBtn_ANT_TEST_START->setEnabled(false);
    BitBtn_ANT_TEST_STOP->setEnabled(false);
    Label_ANT_TEST_INV_COUNT->setText(QString());
    MemoANT_TEST_TAGS->clearLines();
    LabelANT_TEST_TAG_COUNT->setText(QString());
    MemoLOG_ALL->clearLines();
    MemoLOG_STR->clearLines();
    MemoLOG_STR_FILTR->clearLines();
    MemoSAW2011_Info->clearLines();
    LabelSAW2011TimerCount->setText(QString());
    LabelSAW2011_0->setText(QString());
    LabelSAW2011_1->setText(QString());
    LabelSAW2011_2->setText(QString());
    MemoKAMAZ->clearLines();
    // The KAMAZ buttons wait for a 900 MHz reader.
    BitBtnKAMAZ_START_INV->setEnabled(false);
    BitBtnKAMAZ_STOP_INV->setEnabled(false);
    antTestTagsSeen_.clear();
    logFiltrSeen_.clear();
}

void TFormPLUV::LabelTitleDblClick()
{
    for (QWidget *page : {TabSheetUTIL, TabSheet_ANT_TEST, TabSheetLOG, TabSheetSAW2011, TabSheetKAMAZ})
        PageControl1->setTabVisible(PageControl1->indexOf(page), true);
}

void TFormPLUV::MemoUTIL_SENDDblClick() { MemoUTIL_SEND->clearLines(); }
void TFormPLUV::MemoUTIL_RECDblClick() { MemoUTIL_REC->clearLines(); }
void TFormPLUV::MemoTERMINALDblClick() { MemoTERMINAL->clearLines(); }

void TFormPLUV::BitBtnUTIL_FIND_COMClick() { BF_START(); }
void TFormPLUV::BitBtn_ANT_TEST_dev_foundClick() { BF_START(); }

void TFormPLUV::BF_START()
{
    // The link this console holds would otherwise keep its port busy and be skipped.
    if (my_COM_A)
        my_COM_A->ReleaseLink();
    if (!my_COM_A) {
        my_COM_A = new Tmy_COM;
        my_COM_A->Echo = [this](const QString &sendLine, const QString &terminalLine) {
            MemoUTIL_SEND->appendLine(sendLine);
            MemoTERMINAL->appendLine(terminalLine);
        };
    }
    for (int n = 1; n <= 20; ++n) {
        TimerMAIN->setInterval(1000);
        my_COM_A->CommPort = QStringLiteral("COM%1").arg(n);
        my_COM_A->CommPortStr = my_COM_A->CommPort + kDefinitionSuffix;
        MemoUTIL_SEND->appendLine(QStringLiteral("Port ") + my_COM_A->CommPort + QStringLiteral(" check.."));
        for (const ModelWord &m : kModelWords) {
            const QString word = QString::fromLatin1(m.word);
            if (!my_COM_A->check_port(my_COM_A->CommPort, 1, kDefinitionSuffix, QStringLiteral("VERSION"), word))
                continue;
            const QString found = QString::fromLatin1(m.foundPrefix) + my_COM_A->CommPortStr;
            MemoUTIL_SEND->clearLines();
            MemoUTIL_REC->clearLines();
            MemoUTIL_REC->appendLine(found);
            const bool is900 = word == QLatin1String("VRX900-15");
            if (is900) {
                Memo_ANT_TEST_info->appendLine(found);
                BitBtn_ANT_TEST_START->setEnabled(true);
                BitBtn_ANT_TEST_dev_found->setText(my_COM_A->CommPort);
                BitBtn_ANT_TEST_dev_found->setEnabled(false);
            }
            QWidget *page = is900 ? TabSheet900
                : word.startsWith(QLatin1String("VRX433")) ? TabSheet433
                : word == QLatin1String("WG")             ? TabSheetWG
                                                          : TabSheetTqz;
            PageControl2->setCurrentWidget(page);
            my_COM_A->COM = new TCOM_A(my_COM_A->hPORT, my_COM_A->CommPort, QThread::NormalPriority);
            TimerMAIN->setInterval(1000);
            plat::setTimerEnabled(TimerMAIN, true);
            LabelCOM_PORT_STATUS->setText(my_COM_A->CommPortStr);
            cbCOMPORT->setEditText(my_COM_A->CommPort);
            if (is900)
                BitBtnKAMAZ_START_INV->setEnabled(true);
            if (word == QLatin1String("VRX433-SAW")) {
                MemoSAW2011_Info->clearLines();
                MemoSAW2011_Info->appendLine(found);
                plat::setFontColor(BitBtnSAW2011_COM, plat::clGreen);
            }
            return;
        }
    }
    DestroyPortObject();
    PageControl1->setCurrentWidget(TabSheetTITLE);
    MemoUTIL_SEND->clearLines();
    MemoUTIL_REC->clearLines();
    MemoUTIL_SEND->appendLine(QStringLiteral("correct devices not found "));
    MemoSAW2011_Info->clearLines();
    MemoSAW2011_Info->appendLine(QStringLiteral("VRX433-SAW not found "));
    plat::setFontColor(BitBtnSAW2011_COM, plat::clRed);
}

bool TFormPLUV::takeAnswer(int waitMs)
{
    TCOM_A *th = my_COM_A->COM;
    if (!th->EventAnswerStrReady->wait(waitMs))
        return false;
    const QByteArray bytes(reinterpret_cast<const char *>(th->REC_ANSWER_BUF), th->ANSWER_BUF_COUNT);
    const QString answer = QString::fromLatin1(bytes);
    MemoTERMINAL->appendLine(HexDumpLine(QStringLiteral("<< 00"), bytes));
    th->EventAnswerStrReady->reset();
    th->EventAnswerStrFree->set();
    HandleInventoryAnswer(answer);
    HandleStopInventoryAnswer(answer);
    HandleLogAnswer(answer);
    return true;
}

void TFormPLUV::TimerMAINTimer()
{
    if (my_COM_A && my_COM_A->COM) {
        if (TimerMAIN->interval() != 20)
            TimerMAIN->setInterval(20);
        if (const quint64 lost = my_COM_A->COM->LOST_BYTES.exchange(0))
            MemoTERMINAL->appendLine(QStringLiteral("!! %1 received bytes lost: receive buffer full").arg(lost));
        // Every answer that is ready within the budget, so a fast inventory never piles up.
        QElapsedTimer budget;
        budget.start();
        while (my_COM_A && my_COM_A->COM && takeAnswer(1) && budget.elapsed() < kPumpBudgetMs) {
        }
    }
    Label_ANT_TEST_TIME->setText(plat::TimeText());
}

void TFormPLUV::SendStringLine(const QString &NetADDR, const QString &SendStr)
{
    if (!my_COM_A || !my_COM_A->COM)
        return;
    const int addr = plat::StrToInt(NetADDR);
    my_COM_A->SendStrToPort(my_COM_A->COM->hPORT, addr, SendStr);
}

void TFormPLUV::SEND_STRING_COMA(const QString &str)
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), str);
}

void TFormPLUV::BitBtnUTIL_SEND_COMMANDClick()
{
    const QString command = ComboBoxUTIL_COMMAND->currentText();
    const QString addr = ComboBoxUTIL_ADDR->currentText();
    SendStringLine(addr, command);
}
