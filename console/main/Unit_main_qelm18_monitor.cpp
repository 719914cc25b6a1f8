// ANT_TEST, LOG, SAW2011 and KAMAZ tabs.
#include "ConsoleLogic.h"
#include "Errors.h"
#include "Handler.h"
#include "Unit_main_qelm18.h"

void TFormPLUV::connectMonitorHandlers()
{
    connectClicks({
        {BitBtn_ANT_TEST_START, &TFormPLUV::BitBtn_ANT_TEST_STARTClick},
        {BitBtn_ANT_TEST_STOP, &TFormPLUV::BitBtn_ANT_TEST_STOPClick},
        {BitBtnLOG_INV_START, &TFormPLUV::BitBtnLOG_INV_STARTClick},
        {BitBtnLOG_INV_STOP, &TFormPLUV::BitBtnLOG_INV_STOPClick},
        {BitBtnLOG_SaveFilles, &TFormPLUV::BitBtnLOG_SaveFillesClick},
        {BitBtnSAW2011_COM, &TFormPLUV::BitBtnSAW2011_COMClick},
        {BitBtnSAW2011_COLLECTION, &TFormPLUV::BitBtnSAW2011_COLLECTIONClick},
        {BitBtnTimerSAW2011, &TFormPLUV::BitBtnTimerSAW2011Click},
        {BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0, &TFormPLUV::BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0Click},
        {BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1, &TFormPLUV::BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1Click},
        {BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2, &TFormPLUV::BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2Click},
        {BitBtnKAMAZ_START_INV, &TFormPLUV::BitBtnKAMAZ_START_INVClick},
        {BitBtnKAMAZ_STOP_INV, &TFormPLUV::BitBtnKAMAZ_STOP_INVClick},
    });

    connectDblClicks({
        {MemoANT_TEST_TAGS, &TFormPLUV::MemoANT_TEST_TAGSDblClick},
        {Memo_ANT_TEST_info, &TFormPLUV::Memo_ANT_TEST_infoDblClick},
        {MemoLOG_ALL, &TFormPLUV::MemoLOG_ALLDblClick},
        {MemoLOG_STR, &TFormPLUV::MemoLOG_STRDblClick},
        {MemoLOG_STR_FILTR, &TFormPLUV::MemoLOG_STR_FILTRDblClick},
        {MemoSAW2011_Info, &TFormPLUV::MemoSAW2011_InfoDblClick},
    });

    // Any change of the box, by hand or by INV_START, recolours the log list.
    plat::connectHandler(CheckBoxINV_LOG_ON, &QCheckBox::toggled, this, [this] { CheckBoxINV_LOG_ONClick(); });
    plat::connectHandler(TimerSAW2011, &QTimer::timeout, this, [this] { TimerSAW2011Timer(); });
    plat::connectHandler(TimerKAMAZ, &QTimer::timeout, this, [this] { TimerKAMAZTimer(); });
}

// ---- ANT_TEST ----

void TFormPLUV::BitBtn_ANT_TEST_STARTClick()
{
    INV_LIMIT = plat::StrToInt(ComboBox_ANT_TEST_STOP_INV->currentText());
    // No start reset here: a stop still pending goes on until the reader confirms it.
    SEND_STRING_COMA(InventoryStartCommand());
    ANT_TEST_ON = 1;
    BitBtn_ANT_TEST_STOP->setEnabled(true);
    BitBtn_ANT_TEST_START->setEnabled(false);
    INV_COUNT = 0;
    Label_ANT_TEST_INV_COUNT->setText(QStringLiteral("INV:") + QString::number(INV_COUNT));
    MemoANT_TEST_TAGS->clearLines();
    antTestTagsSeen_.clear();
    TAG_COUNT = 0;
    LabelANT_TEST_TAG_COUNT->setText(QStringLiteral("TAGs:") + QString::number(TAG_COUNT));
}

void TFormPLUV::BitBtn_ANT_TEST_STOPClick()
{
    StopSequence();
    BitBtn_ANT_TEST_STOP->setEnabled(false);
}

void TFormPLUV::MemoANT_TEST_TAGSDblClick()
{
    // TAG_COUNT stays: counting goes on from it and listed tags count again.
    MemoANT_TEST_TAGS->clearLines();
    antTestTagsSeen_.clear();
}

void TFormPLUV::Memo_ANT_TEST_infoDblClick() { Memo_ANT_TEST_info->clearLines(); }

// ---- LOG ----

void TFormPLUV::CheckBoxINV_LOG_ONClick()
{
    plat::setFontColor(MemoLOG_ALL, CheckBoxINV_LOG_ON->isChecked() ? plat::clRed : plat::clBlack);
}

void TFormPLUV::BitBtnLOG_INV_STARTClick()
{
    CheckBoxINV_LOG_ON->setChecked(true);
    StartReset();
    SEND_STRING_COMA(InventoryStartCommand());
}

void TFormPLUV::BitBtnLOG_INV_STOPClick() { StopSequence(); }

void TFormPLUV::BitBtnLOG_SaveFillesClick()
{
    const QString preset = logic::logPresetName(plat::TimeText());
    const QString base = plat::saveFileDialog(this, QString(), preset);
    if (base.isEmpty())
        return;
    // B itself is never created; a failing file is closed and reported, earlier ones stay.
    logic::writeLogSet(base, MemoLOG_STR->lines(), MemoLOG_STR_FILTR->lines(), MemoLOG_ALL->lines());
}

void TFormPLUV::MemoLOG_ALLDblClick() { MemoLOG_ALL->clearLines(); }
void TFormPLUV::MemoLOG_STRDblClick() { MemoLOG_STR->clearLines(); }

void TFormPLUV::MemoLOG_STR_FILTRDblClick()
{
    // De-duplication starts again; the capacity label keeps its text until the next answer.
    MemoLOG_STR_FILTR->clearLines();
    logFiltrSeen_.clear();
}

// ---- SAW2011 ----

void TFormPLUV::BitBtnSAW2011_COMClick()
{
    MemoSAW2011_Info->clearLines();
    MemoSAW2011_Info->appendLine(QStringLiteral("wait.."));
    BF_START();
}

void TFormPLUV::BitBtnSAW2011_COLLECTIONClick()
{
    const QString line = CollectionCommand();
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
}

void TFormPLUV::BitBtnTimerSAW2011Click()
{
    if (TimerSAW2011->isActive()) {
        plat::setTimerEnabled(TimerSAW2011, false);
        MemoSAW2011_Info->appendLine(QStringLiteral("process stop"));
        BitBtnTimerSAW2011->setText(QStringLiteral("TIMER"));
        plat::setFontColor(BitBtnTimerSAW2011, plat::clBlack);
        LabelSAW2011TimerCount->setText(QString());
        return;
    }
    const int P = plat::StrToInt(ComboBoxTomerSAW2011Period->currentText());
    MemoSAW2011_Info->appendLine(QStringLiteral("process start.."));
    MemoSAW2011_Info->appendLine(QStringLiteral("period ") + QString::number(P));
    // First collection one tick after the start, then every P ticks.
    SAW2011_TICK = logic::subWrap(P, 1);
    SAW2011_PERIOD = P;
    plat::setTimerEnabled(TimerSAW2011, true);
}

void TFormPLUV::TimerSAW2011Timer()
{
    if (logic::saw2011Step(SAW2011_TICK, SAW2011_PERIOD)) {
        const QString line = CollectionCommand();
        SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
        MemoSAW2011_Info->appendLine(QStringLiteral("collection.."));
    }
    plat::setFontColor(BitBtnTimerSAW2011,
                       plat::fontColor(BitBtnTimerSAW2011) == plat::clRed ? plat::clBlack : plat::clRed);
    LabelSAW2011TimerCount->setText(QString::number(logic::subWrap(SAW2011_PERIOD, SAW2011_TICK)));
}

void TFormPLUV::sendSawRead(QPushButton *button, const QString &line)
{
    SendStringLine(ComboBoxUTIL_ADDR->currentText(), line);
    plat::setFontColor(button, plat::clGreen);
}

void TFormPLUV::BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0Click()
{
    sendSawRead(BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0, QStringLiteral("SEND_COP_READ_USER_ID EEEE FEDCBAF0 "));
}

void TFormPLUV::BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1Click()
{
    sendSawRead(BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1, QStringLiteral("SEND_COP_READ_USER_ID EEEE FEDCBAF1 "));
}

void TFormPLUV::BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2Click()
{
    sendSawRead(BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2, QStringLiteral("SEND_COP_READ_USER_ID EEEE FEDCBAF2 "));
}

void TFormPLUV::MemoSAW2011_InfoDblClick() { MemoSAW2011_Info->clearLines(); }

// ---- KAMAZ ----

void TFormPLUV::BitBtnKAMAZ_START_INVClick()
{
    StartReset();
    SEND_STRING_COMA(InventoryStartCommand());
    BitBtnKAMAZ_START_INV->setEnabled(false);
    BitBtnKAMAZ_STOP_INV->setEnabled(true);
    plat::setTimerEnabled(TimerKAMAZ, true);
    KAMAZ_TICK = 5;
}

void TFormPLUV::BitBtnKAMAZ_STOP_INVClick()
{
    StopSequence();
    BitBtnKAMAZ_START_INV->setEnabled(true);
    BitBtnKAMAZ_STOP_INV->setEnabled(false);
    plat::setTimerEnabled(TimerKAMAZ, false);
}

void TFormPLUV::TimerKAMAZTimer()
{
    --KAMAZ_TICK;
    if (KAMAZ_TICK != 0)
        return;
    KAMAZ_TICK = 5;
    const QStringList titles = logic::kamazTitles();
    QLabel *labels[] = {LabelKAMAZ_DATE, LabelKAMAZ_Time, LabelKAMAZ_Rota, LabelKAMAZ_AVTO, LabelKAMAZ_REG_SIGN};
    for (int i = 0; i < 5; ++i)
        labels[i]->setText(titles.at(i));
}
