// Inventory answer handlers, the stop handshake and the 900 tab.
#include "Errors.h"
#include "Handler.h"
#include "Unit_main_qelm18.h"

namespace {

// Appends line to a distinct-answer list unless it is already there; the set keeps the
// check fast on long lists while the list keeps the order of first appearance.
bool appendDistinct(plat::Memo *memo, QSet<QString> &seen, const QString &line)
{
    if (seen.size() != memo->count()) {
        // The list was cleared (double click) since the last answer: start again from it.
        seen = QSet<QString>(memo->lines().begin(), memo->lines().end());
    }
    if (seen.contains(line))
        return false;
    seen.insert(line);
    memo->appendLine(line);
    return true;
}

} // namespace

void TFormPLUV::connectInventoryHandlers()
{
    connectClicks({
        {BitBtnEPC_INIT_LABEL, &TFormPLUV::BitBtnEPC_INIT_LABELClick},
        {BitBtn_QELM_WR_DATA_EPC, &TFormPLUV::BitBtn_QELM_WR_DATA_EPCClick},
        {BitBtn_QELM_WR_DATA_USER, &TFormPLUV::BitBtn_QELM_WR_DATA_USERClick},
        {BitBtn_QELM_RD_DATA_EPC, &TFormPLUV::BitBtn_QELM_RD_DATA_EPCClick},
        {BitBtnQELM_RD_DATA_USER, &TFormPLUV::BitBtnQELM_RD_DATA_USERClick},
        {BitBtnQELM_CURR_WR_DATA_EPC, &TFormPLUV::BitBtnQELM_CURR_WR_DATA_EPCClick},
        {BitBtnQELM_CURR_WR_DATA_USER, &TFormPLUV::BitBtnQELM_CURR_WR_DATA_USERClick},
        {BitBtnQELM_CURR_RD_DATA_EPC, &TFormPLUV::BitBtnQELM_CURR_RD_DATA_EPCClick},
        {BitBtnQELM_CURR_RD_DATA_USER, &TFormPLUV::BitBtnQELM_CURR_RD_DATA_USERClick},
        {BitBtnEPC_INVENTORY_TIME, &TFormPLUV::BitBtnEPC_INVENTORY_TIMEClick},
        {BitBtnQELM_INVENTORY_STOP, &TFormPLUV::BitBtnQELM_INVENTORY_STOPClick},
        {BitBtn900_SET_ATT_OUT, &TFormPLUV::BitBtn900_SET_ATT_OUTClick},
        {BitBtn900_QUERY_ACK, &TFormPLUV::BitBtn900_QUERY_ACKClick},
    });
    plat::connectHandler(TimerSTOP, &QTimer::timeout, this, [this] { TimerSTOPTimer(); });
}

void TFormPLUV::HandleInventoryAnswer(const QString &answer)
{
    if (STOP_PENDING == 1)
        return;
    if (ANT_TEST_ON == 1) {
        const QString item2 = GetAnswerItem(2, answer);
        if (item2 == QLatin1String("START_INVENTORY")) {
            ++INV_COUNT;
            Label_ANT_TEST_INV_COUNT->setText(QStringLiteral("INV:") + QString::number(INV_COUNT));
            if (INV_COUNT >= INV_LIMIT) {
                StopSequence();
                BitBtn_ANT_TEST_STOP->setEnabled(false);
            }
        } else if (item2 == QLatin1String("INV")) {
            if (appendDistinct(MemoANT_TEST_TAGS, antTestTagsSeen_, answer)) {
                ++TAG_COUNT;
                LabelANT_TEST_TAG_COUNT->setText(QStringLiteral("TAGs:") + QString::number(TAG_COUNT));
            }
        }
    }
    MemoUTIL_REC->appendLine(answer);
}

void TFormPLUV::HandleStopInventoryAnswer(const QString &answer)
{
    if (STOP_PENDING == 1 && GetAnswerItem(2, answer) == QLatin1String("STOP_INVENTORY"))
        STOP_PENDING = 0;
}

void TFormPLUV::HandleLogAnswer(const QString &answer)
{
    if (!CheckBoxINV_LOG_ON->isChecked())
        return;
    const QString item2 = GetAnswerItem(2, answer);
    if (item2 == QLatin1String("START_INVENTORY"))
        ++LOG_INV_COUNT;
    if (item2 != QLatin1String("INV"))
        return;
    const QString line = plat::TimeText() + QStringLiteral("    ")
        + QString::number(static_cast<uint>(LOG_INV_COUNT), 16).toUpper().rightJustified(8, QLatin1Char('0'))
        + QStringLiteral("     ") + GetAnswerItem(5, answer) + QStringLiteral("  ") + GetAnswerItem(6, answer);
    MemoLOG_ALL->appendLine(line);
    MemoLOG_STR->appendLine(answer);
    appendDistinct(MemoLOG_STR_FILTR, logFiltrSeen_, answer);
    LabelLOG_NUM_INV->setText(QStringLiteral("CAPACITY: ") + QString::number(MemoLOG_STR_FILTR->count()));
}

void TFormPLUV::TimerSTOPTimer()
{
    if (STOP_PENDING == 1) {
        SEND_STRING_COMA(QStringLiteral("EPC_STOP"));
        return;
    }
    plat::setTimerEnabled(TimerSTOP, false);
    BitBtn_ANT_TEST_START->setEnabled(true);
}

QString TFormPLUV::InventoryStartCommand() const
{
    return QStringLiteral("QELM_EPC_INVENTORY_TIME ") + ComboBoxEPC_INVENTORY_TIME_Q->currentText() + QLatin1Char(' ')
        + ComboBoxEPC_INVENTORY_TIME_C->currentText() + QLatin1Char(' ') + ComboBoxEPC_INVENTORY_TIME_CNTR->currentText();
}

void TFormPLUV::StartReset()
{
    plat::setTimerEnabled(TimerSTOP, false);
    STOP_PENDING = 0;
}

void TFormPLUV::StopSequence()
{
    SEND_STRING_COMA(QStringLiteral("EPC_STOP"));
    STOP_PENDING = 1;
    plat::setTimerEnabled(TimerSTOP, true);
}

void TFormPLUV::BitBtnEPC_INIT_LABELClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_INIT_LABEL ") + ComboBox_EPC_INIT_LABEL_W1->currentText() + QLatin1Char(' ')
                     + ComboBox_EPC_INIT_LABEL_W2->currentText());
}

void TFormPLUV::BitBtn_QELM_WR_DATA_EPCClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_WR_DATA_EPC ") + ComboBox_QELM_WR_DATA_EPC_P->currentText() + QLatin1Char(' ')
                     + ComboBoxQELM_WR_DATA_EPC_DATA->currentText());
}

void TFormPLUV::BitBtn_QELM_WR_DATA_USERClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_WR_DATA_USER ") + ComboBox_QELM_WR_DATA_USER_P->currentText() + QLatin1Char(' ')
                     + ComboBoxQELM_WR_DATA_USER_DATA->currentText());
}

void TFormPLUV::BitBtn_QELM_RD_DATA_EPCClick() { SEND_STRING_COMA(QStringLiteral("QELM_RD_DATA_EPC ")); }

void TFormPLUV::BitBtnQELM_RD_DATA_USERClick() { SEND_STRING_COMA(QStringLiteral("QELM_RD_DATA_USER ")); }

void TFormPLUV::BitBtnQELM_CURR_WR_DATA_EPCClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_CURR_WR_DATA_EPC ") + ComboBoxQELM_CURR_WR_DATA_EPC_M->currentText()
                     + QLatin1Char(' ') + ComboBoxQELM_CURR_WR_DATA_EPC_P->currentText() + QLatin1Char(' ')
                     + ComboBoxQELM_CURR_WR_DATA_EPC_W->currentText());
}

void TFormPLUV::BitBtnQELM_CURR_WR_DATA_USERClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_CURR_WR_DATA_USER ") + ComboBoxQELM_CURR_WR_DATA_EPC_M->currentText()
                     + QLatin1Char(' ') + ComboBoxQELM_CURR_WR_DATA_EPC_P->currentText() + QLatin1Char(' ')
                     + ComboBoxQELM_CURR_WR_DATA_EPC_W->currentText());
}

void TFormPLUV::BitBtnQELM_CURR_RD_DATA_EPCClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_CURR_RD_DATA_EPC ") + ComboBoxQELM_CURR_WR_DATA_EPC_M->currentText());
}

void TFormPLUV::BitBtnQELM_CURR_RD_DATA_USERClick()
{
    SEND_STRING_COMA(QStringLiteral("QELM_CURR_RD_DATA_USER ") + ComboBoxQELM_CURR_WR_DATA_EPC_M->currentText());
}

void TFormPLUV::BitBtnEPC_INVENTORY_TIMEClick()
{
    StartReset();
    SEND_STRING_COMA(InventoryStartCommand());
}

void TFormPLUV::BitBtnQELM_INVENTORY_STOPClick() { StopSequence(); }

void TFormPLUV::BitBtn900_SET_ATT_OUTClick()
{
    SEND_STRING_COMA(QStringLiteral("SET_ATT_OUT ") + ComboBox900_SET_ATT_OUT->currentText());
}

void TFormPLUV::BitBtn900_QUERY_ACKClick() { SEND_STRING_COMA(QStringLiteral("F_TST_EPC_0_QUERY_ACK ")); }
