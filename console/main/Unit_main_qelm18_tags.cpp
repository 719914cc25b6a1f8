// 433 MHz, Wiegand and ALPHA tabs.
#include "ConsoleLogic.h"
#include "Handler.h"
#include "Unit_main_qelm18.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLineEdit>

namespace {

const QString kSp = QStringLiteral(" ");

QComboBox *makeBox(QWidget *page, const char *name, const char *text, const QStringList &items = {},
                   const char *hint = nullptr, int minWidth = 48)
{
    QComboBox *c = plat::makeCombo(page, QString::fromLatin1(name), QString::fromLatin1(text), items);
    if (hint)
        c->setToolTip(QString::fromLatin1(hint));
    // The widths given here rule: the tab has to fit the window.
    c->setMinimumContentsLength(1);
    c->setMinimumWidth(minWidth);
    c->lineEdit()->setCursorPosition(0); // long defaults show their start
    return c;
}

QPushButton *makeBtn(QWidget *page, const char *name, const char *caption, const char *hint = nullptr)
{
    QPushButton *b = plat::makeButton(page, QString::fromLatin1(name), QString::fromLatin1(caption));
    if (hint)
        b->setToolTip(QString::fromLatin1(hint));
    return b;
}

QGridLayout *compactGrid(QWidget *page)
{
    auto *g = new QGridLayout(page);
    g->setContentsMargins(4, 4, 4, 4);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(2);
    return g;
}

} // namespace

void TFormPLUV::buildTab433(QWidget *page)
{
    QGridLayout *g = compactGrid(page);
    // Left half: tag-addressed commands; right half: commands for every tag and the tools.
    int r = 0;
    BitBtnSEND_COP_READ_USER_ID = makeBtn(page, "BitBtnSEND_COP_READ_USER_ID", "SEND_COP_READ_USER_ID");
    ComboBoxTagManufacturerID = makeBox(page, "ComboBoxTagManufacturerID", "EEEE", {}, nullptr, 60);
    ComboBoxTagSerialNumber = makeBox(page, "ComboBoxTagSerialNumber", "FEDCBA01",
                                      {"FEDCBA01", "FEDCBA02", "FEDCBA03", "FEDCBA04"}, nullptr, 90);
    g->addWidget(BitBtnSEND_COP_READ_USER_ID, r, 0);
    g->addWidget(ComboBoxTagManufacturerID, r, 1);
    g->addWidget(ComboBoxTagSerialNumber, r, 2, 1, 2);
    ++r;
    BitBtnSEND_COP_RSSI_READ_USER_ID = makeBtn(page, "BitBtnSEND_COP_RSSI_READ_USER_ID", "SEND_COP_RSSI_READ_USER_ID");
    g->addWidget(BitBtnSEND_COP_RSSI_READ_USER_ID, r, 0);
    ++r;
    BitBtnSEND_N_COP_READ_USER_ID = makeBtn(page, "BitBtnSEND_N_COP_READ_USER_ID", "SEND_N_COP_READ_USER_ID");
    ComboBoxSEND_N_COP_READ_USER_ID = makeBox(page, "ComboBoxSEND_N_COP_READ_USER_ID", "10");
    g->addWidget(BitBtnSEND_N_COP_READ_USER_ID, r, 0);
    g->addWidget(ComboBoxSEND_N_COP_READ_USER_ID, r, 1);
    ++r;
    BitBtnSEND_COP_WR_USER_ID = makeBtn(page, "BitBtnSEND_COP_WR_USER_ID", "SEND_COP_WR_USER_ID");
    ComboBox_util_SEND_COP_WR_USER_ID_Len =
        makeBox(page, "ComboBox_util_SEND_COP_WR_USER_ID_Len", "0C",
                {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "0A", "0B", "0C"},
                "number of bytes to write (hexadecimal), 0C at most");
    ComboBox_util_SEND_COP_WR_USER_ID =
        makeBox(page, "ComboBox_util_SEND_COP_WR_USER_ID", "00 11 22 33 44 55 66 77 88 99 AA BB", {},
                "data to write, hexadecimal, byte by byte separated by blanks", 160);
    g->addWidget(BitBtnSEND_COP_WR_USER_ID, r, 0);
    g->addWidget(ComboBox_util_SEND_COP_WR_USER_ID_Len, r, 1);
    g->addWidget(ComboBox_util_SEND_COP_WR_USER_ID, r, 2, 1, 3);
    ++r;
    BitBtn_util_SEND_COP_READ_MEMORY = makeBtn(page, "BitBtn_util_SEND_COP_READ_MEMORY", "SEND_COP_READ_MEMORY");
    ComboBox_util_SEND_COP_WR_MEMORY_Length = makeBox(page, "ComboBox_util_SEND_COP_WR_MEMORY_Length", "10", {},
                                                      "number of bytes to read (hexadecimal), 10 at most");
    ComboBox_util_SEND_COP_WR_MEMORY_Addr =
        makeBox(page, "ComboBox_util_SEND_COP_WR_MEMORY_Addr", "0", {}, "offset (address) in memory, hexadecimal");
    g->addWidget(BitBtn_util_SEND_COP_READ_MEMORY, r, 0);
    g->addWidget(ComboBox_util_SEND_COP_WR_MEMORY_Length, r, 1);
    g->addWidget(ComboBox_util_SEND_COP_WR_MEMORY_Addr, r, 2);
    ++r;
    BitBtn_util_SEND_COP_WR_MEMORY = makeBtn(page, "BitBtn_util_SEND_COP_WR_MEMORY", "SEND_COP_WR_MEMORY");
    ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Length =
        makeBox(page, "ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Length", "10", {},
                "number of bytes to write (hexadecimal), 10 at most");
    ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Addr = makeBox(
        page, "ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Addr", "0", {}, "offset (address) in memory, hexadecimal");
    ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Data = makeBox(
        page, "ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Data", "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F", {},
        nullptr, 160);
    g->addWidget(BitBtn_util_SEND_COP_WR_MEMORY, r, 0);
    g->addWidget(ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Length, r, 1);
    g->addWidget(ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Addr, r, 2);
    g->addWidget(ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Data, r, 3, 1, 2);
    ++r;
    BitBtnLabPeriod250ms = makeBtn(page, "BitBtnLabPeriod250ms", "LoadPeriod",
                                   "loads the tag's wake-up period into address 20h (in multiples of 250 ms)");
    ComboBoxLabPeriod250ms = makeBox(page, "ComboBoxLabPeriod250ms", "4", {}, "period, hexadecimal");
    ComboBoxLabPeriod250ms->lineEdit()->setPlaceholderText(QStringLiteral("8"));
    g->addWidget(BitBtnLabPeriod250ms, r, 0);
    g->addWidget(ComboBoxLabPeriod250ms, r, 1);
    g->setRowStretch(r + 1, 1);

    // Right half, in a grid of its own so its columns do not widen the left half.
    auto *rg = new QGridLayout;
    rg->setHorizontalSpacing(4);
    rg->setVerticalSpacing(2);
    BitBtn433_SEND_COP_COLLECTION = makeBtn(page, "BitBtn433_SEND_COP_COLLECTION", "SEND_COP_COLLECTION");
    ComboBox433_WindowSize = makeBox(page, "ComboBox433_WindowSize", "16");
    ComboBox433_MaxPacketLength = makeBox(page, "ComboBox433_MaxPacketLength", "48");
    ComboBox433_UDBTypeCode = makeBox(page, "ComboBox433_UDBTypeCode", "11");
    ComboBox433_TimeOut = makeBox(page, "ComboBox433_TimeOut", "3000", {}, nullptr, 60);
    rg->addWidget(BitBtn433_SEND_COP_COLLECTION, 0, 0);
    rg->addWidget(ComboBox433_WindowSize, 0, 1);
    rg->addWidget(ComboBox433_MaxPacketLength, 0, 2);
    rg->addWidget(ComboBox433_UDBTypeCode, 0, 3);
    rg->addWidget(ComboBox433_TimeOut, 0, 4);
    BitBtn433_SEND_COP_SLEEP = makeBtn(page, "BitBtn433_SEND_COP_SLEEP", "SEND_COP_SLEEP");
    BitBtn433_impuls = makeBtn(page, "BitBtn433_impuls", "impuls");
    BitBtn433_Timer = makeBtn(page, "BitBtn433_Timer", "Timer");
    rg->addWidget(BitBtn433_SEND_COP_SLEEP, 1, 0);
    rg->addWidget(BitBtn433_impuls, 2, 0);
    rg->addWidget(BitBtn433_Timer, 3, 0);
    rg->setRowStretch(4, 1);
    g->addLayout(rg, 0, 5, r + 1, 1);
    g->setColumnStretch(4, 1);
}

void TFormPLUV::buildTabWG(QWidget *page)
{
    QGridLayout *g = compactGrid(page);
    BitBtnWG_SEND_STRING = makeBtn(page, "BitBtnWG_SEND_STRING", "SEND");
    ComboBoxWG_SEND_STRING = makeBox(page, "ComboBoxWG_SEND_STRING", "VERSION",
                                     {"VERSION", "", "DS1302_GET_DATE_TIME", "DS1302_SET_DATE_TIME", "",
                                      "WG_POWER_ON", "WG_POWER_OFF"},
                                     nullptr, 220);
    BitBtnWG_READER_A_ON = makeBtn(page, "BitBtnWG_READER_A_ON", "READER_A_ON");
    BitBtnWG_READER_A_OFF = makeBtn(page, "BitBtnWG_READER_A_OFF", "READER_A_OFF");
    READER_B_ON = makeBtn(page, "READER_B_ON", "READER_B_ON");
    READER_B_OFF = makeBtn(page, "READER_B_OFF", "READER_B_OFF");
    BitBtnWG_SetTime = makeBtn(page, "BitBtnWG_SetTime", "Set Time");
    BitBtnWG_GetTime = makeBtn(page, "BitBtnWG_GetTime", "Get Time");
    g->addWidget(BitBtnWG_SEND_STRING, 0, 0);
    g->addWidget(ComboBoxWG_SEND_STRING, 0, 1, 1, 2);
    g->addWidget(BitBtnWG_READER_A_ON, 1, 0);
    g->addWidget(BitBtnWG_READER_A_OFF, 1, 1);
    g->addWidget(READER_B_ON, 2, 0);
    g->addWidget(READER_B_OFF, 2, 1);
    g->addWidget(BitBtnWG_SetTime, 1, 3);
    g->addWidget(BitBtnWG_GetTime, 2, 3);
    g->setRowStretch(3, 1);
    g->setColumnStretch(4, 1);
}

void TFormPLUV::buildTabALPHA(QWidget *page)
{
    QGridLayout *g = compactGrid(page);
    BitBtnALPHA_INIT_LABEL = makeBtn(page, "BitBtnALPHA_INIT_LABEL", "ALPHA_INIT_LABEL");
    ComboBoxALPHA_INIT_LABEL_W1 = makeBox(page, "ComboBoxALPHA_INIT_LABEL_W1", "3008", {}, nullptr, 70);
    ComboBoxALPHA_INIT_LABEL_W2 = makeBox(page, "ComboBoxALPHA_INIT_LABEL_W2", "2222", {}, nullptr, 70);
    ComboBoxALPHA_INIT_LABEL_W3 = makeBox(page, "ComboBoxALPHA_INIT_LABEL_W3", "3333", {}, nullptr, 70);
    BitBtnALPHA_INIT_LABEL_CHECK = makeBtn(page, "BitBtnALPHA_INIT_LABEL_CHECK", "CHECK");
    BitBtnALPHA_INIT_LABEL_W3_INC = makeBtn(page, "BitBtnALPHA_INIT_LABEL_W3_INC", "inc W3");
    g->addWidget(BitBtnALPHA_INIT_LABEL, 0, 0);
    g->addWidget(ComboBoxALPHA_INIT_LABEL_W1, 0, 1);
    g->addWidget(ComboBoxALPHA_INIT_LABEL_W2, 0, 2);
    g->addWidget(ComboBoxALPHA_INIT_LABEL_W3, 0, 3);
    g->addWidget(BitBtnALPHA_INIT_LABEL_W3_INC, 1, 3);
    g->addWidget(BitBtnALPHA_INIT_LABEL_CHECK, 2, 0);
    g->setRowStretch(3, 1);
    g->setColumnStretch(4, 1);
}

void TFormPLUV::connectTagsHandlers()
{
    connectClicks({
        {BitBtn433_SEND_COP_COLLECTION, &TFormPLUV::BitBtn433_SEND_COP_COLLECTIONClick},
        {BitBtn433_SEND_COP_SLEEP, &TFormPLUV::BitBtn433_SEND_COP_SLEEPClick},
        {BitBtnSEND_COP_READ_USER_ID, &TFormPLUV::BitBtnSEND_COP_READ_USER_IDClick},
        {BitBtnSEND_COP_RSSI_READ_USER_ID, &TFormPLUV::BitBtnSEND_COP_RSSI_READ_USER_IDClick},
        {BitBtnSEND_N_COP_READ_USER_ID, &TFormPLUV::BitBtnSEND_N_COP_READ_USER_IDClick},
        {BitBtnSEND_COP_WR_USER_ID, &TFormPLUV::BitBtnSEND_COP_WR_USER_IDClick},
        {BitBtn_util_SEND_COP_READ_MEMORY, &TFormPLUV::BitBtn_util_SEND_COP_READ_MEMORYClick},
        {BitBtn_util_SEND_COP_WR_MEMORY, &TFormPLUV::BitBtn_util_SEND_COP_WR_MEMORYClick},
        {BitBtnLabPeriod250ms, &TFormPLUV::BitBtnLabPeriod250msClick},
        {BitBtn433_impuls, &TFormPLUV::BitBtn433_impulsClick},
        {BitBtn433_Timer, &TFormPLUV::BitBtn433_TimerClick},
        {BitBtnWG_SEND_STRING, &TFormPLUV::BitBtnWG_SEND_STRINGClick},
        {BitBtnWG_READER_A_ON, &TFormPLUV::BitBtnWG_READER_A_ONClick},
        {BitBtnWG_READER_A_OFF, &TFormPLUV::BitBtnWG_READER_A_OFFClick},
        {READER_B_ON, &TFormPLUV::READER_B_ONClick},
        {READER_B_OFF, &TFormPLUV::READER_B_OFFClick},
        {BitBtnWG_SetTime, &TFormPLUV::BitBtnWG_SetTimeClick},
        {BitBtnWG_GetTime, &TFormPLUV::BitBtnWG_GetTimeClick},
        {BitBtnALPHA_INIT_LABEL, &TFormPLUV::BitBtnALPHA_INIT_LABELClick},
        {BitBtnALPHA_INIT_LABEL_CHECK, &TFormPLUV::BitBtnALPHA_INIT_LABEL_CHECKClick},
        {BitBtnALPHA_INIT_LABEL_W3_INC, &TFormPLUV::BitBtnALPHA_INIT_LABEL_W3_INCClick},
    });
    plat::connectHandler(Timer433, &QTimer::timeout, this, [this] { Timer433Timer(); });
}

// ---- 433 tab ----

QString TFormPLUV::CollectionCommand() const
{
    return QStringLiteral("SEND_COP_COLLECTION ") + ComboBox433_WindowSize->currentText() + kSp
        + ComboBox433_MaxPacketLength->currentText() + kSp + ComboBox433_UDBTypeCode->currentText() + kSp
        + ComboBox433_TimeOut->currentText();
}

void TFormPLUV::BitBtn433_SEND_COP_COLLECTIONClick()
{
    const QString line = CollectionCommand();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtn433_SEND_COP_SLEEPClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("SEND_COP_SLEEP "));
}

void TFormPLUV::BitBtnSEND_COP_READ_USER_IDClick()
{
    const QString line = QStringLiteral("SEND_COP_READ_USER_ID ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtnSEND_COP_RSSI_READ_USER_IDClick()
{
    const QString line = QStringLiteral("SEND_COP_RSSI_READ_USER_ID ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtnSEND_N_COP_READ_USER_IDClick()
{
    const QString line = QStringLiteral("SEND_N_COP_READ_USER_ID ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText() + kSp + ComboBoxSEND_N_COP_READ_USER_ID->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtnSEND_COP_WR_USER_IDClick()
{
    const QString line = QStringLiteral("SEND_COP_WR_USER_ID ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText() + kSp + ComboBox_util_SEND_COP_WR_USER_ID_Len->currentText() + kSp
        + ComboBox_util_SEND_COP_WR_USER_ID->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtn_util_SEND_COP_READ_MEMORYClick()
{
    // Length before address, as the reader expects.
    const QString line = QStringLiteral("SEND_COP_READ_MEMORY ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText() + kSp + ComboBox_util_SEND_COP_WR_MEMORY_Length->currentText() + kSp
        + ComboBox_util_SEND_COP_WR_MEMORY_Addr->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtn_util_SEND_COP_WR_MEMORYClick()
{
    const QString line = QStringLiteral("SEND_COP_WR_MEMORY ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText() + kSp
        + ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Length->currentText() + kSp
        + ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Addr->currentText() + kSp
        + ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Data->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtnLabPeriod250msClick()
{
    // One byte at address 20h: the wake-up period in units of 250 ms.
    const QString line = QStringLiteral("SEND_COP_WR_MEMORY ") + ComboBoxTagManufacturerID->currentText() + kSp
        + ComboBoxTagSerialNumber->currentText() + kSp + QStringLiteral("1 ") + QStringLiteral("20 ")
        + ComboBoxLabPeriod250ms->currentText();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtn433_impulsClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("SEND_WAKE_UP_IMPULS 1"));
}

void TFormPLUV::BitBtn433_TimerClick()
{
    if (Timer433->isActive()) {
        plat::setTimerEnabled(Timer433, false);
        plat::setFontColor(BitBtn433_Timer, plat::clBlack);
    } else {
        plat::setTimerEnabled(Timer433, true);
        plat::setFontColor(BitBtn433_Timer, plat::clRed);
    }
}

void TFormPLUV::Timer433Timer()
{
    // Read anew at every tick: an edit takes effect at the next one. A wrong address raises
    // at every tick; the error box shows one report at a time.
    const QString command = ComboBoxUTIL_COMMAND->currentText();
    const QString addr = ComboBoxUTIL_ADDR->currentText();
    SendStringLine(addr, command);
}

// ---- Wiegand tab ----

void TFormPLUV::BitBtnWG_SEND_STRINGClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), ComboBoxWG_SEND_STRING->currentText());
}

void TFormPLUV::BitBtnWG_READER_A_ONClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("WG_A_POWER_ON"));
}

void TFormPLUV::BitBtnWG_READER_A_OFFClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("WG_A_POWER_OFF"));
}

void TFormPLUV::READER_B_ONClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("WG_B_POWER_ON"));
}

void TFormPLUV::READER_B_OFFClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("WG_B_POWER_OFF"));
}

void TFormPLUV::BitBtnWG_SetTimeClick()
{
    const QString line =
        QStringLiteral("DS1302_SET_DATE_TIME ") + logic::wiegandClockText(QDateTime::currentDateTime());
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtnWG_GetTimeClick()
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), QStringLiteral("DS1302_GET_DATE_TIME"));
}

// ---- ALPHA tab ----

void TFormPLUV::BitBtnALPHA_INIT_LABELClick()
{
    SEND_STRING_COMA(QStringLiteral("ALPHA_INIT_LABEL ") + ComboBoxALPHA_INIT_LABEL_W1->currentText() + kSp
                     + ComboBoxALPHA_INIT_LABEL_W2->currentText() + kSp + ComboBoxALPHA_INIT_LABEL_W3->currentText());
}

void TFormPLUV::BitBtnALPHA_INIT_LABEL_CHECKClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_RD_DATA_EPC "));
}

void TFormPLUV::BitBtnALPHA_INIT_LABEL_W3_INCClick()
{
    ComboBoxALPHA_INIT_LABEL_W3->setEditText(logic::incHexWord(ComboBoxALPHA_INIT_LABEL_W3->currentText()));
}
