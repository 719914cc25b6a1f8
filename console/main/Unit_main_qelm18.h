#pragma once
// The console's main window: every control on two levels of tab pages, every timer, and the
// reference to the port object. Handlers are split by subsystem over several source files:
//   Unit_main_qelm18.cpp          layout, start-up, detection, answer pump, send operation
//   Unit_main_qelm18_inventory.cpp answer handlers, stop handshake, 900 tab
//   Unit_main_qelm18_tags.cpp     433, Wiegand and ALPHA tabs
//   Unit_main_qelm18_monitor.cpp  ANT_TEST, LOG, SAW2011 and KAMAZ tabs
#include "Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <initializer_list>
#include <utility>

class Tmy_COM;

// Monitoring state shared by the handlers; the one main window resets it when it is created.
extern int STOP_PENDING;
extern int ANT_TEST_ON;
extern int INV_COUNT;
extern int TAG_COUNT;
extern int INV_LIMIT;
extern int LOG_INV_COUNT;
extern int SAW2011_TICK;
extern int SAW2011_PERIOD;
extern int KAMAZ_TICK;

QString GetAnswerItem(int N, const QString &S);

class TFormPLUV : public QWidget {
    Q_OBJECT
public:
    explicit TFormPLUV(QWidget *parent = nullptr);
    ~TFormPLUV() override;

    // ---- Console core ----
    void FormCreate();
    void LabelTitleDblClick();
    void MemoUTIL_SENDDblClick();
    void MemoUTIL_RECDblClick();
    void MemoTERMINALDblClick();
    void BF_START();
    void BitBtnUTIL_FIND_COMClick();
    void BitBtn_ANT_TEST_dev_foundClick();
    void TimerMAINTimer();
    void SendStringLine(const QString &NetADDR, const QString &SendStr);
    void SEND_STRING_COMA(const QString &str);
    void BitBtnUTIL_SEND_COMMANDClick();

    Tmy_COM *portObject() const { return my_COM_A; }
    // Longest time one pump tick spends taking answers before it yields to the window.
    static constexpr int kPumpBudgetMs = 5;

    // ---- Inventory handlers, stop handshake, 900 tab ----
    void HandleInventoryAnswer(const QString &answer);
    void HandleStopInventoryAnswer(const QString &answer);
    void HandleLogAnswer(const QString &answer);
    void TimerSTOPTimer();
    QString InventoryStartCommand() const;
    void StartReset();
    void StopSequence();
    void BitBtnEPC_INIT_LABELClick();
    void BitBtn_QELM_WR_DATA_EPCClick();
    void BitBtn_QELM_WR_DATA_USERClick();
    void BitBtn_QELM_RD_DATA_EPCClick();
    void BitBtnQELM_RD_DATA_USERClick();
    void BitBtnQELM_CURR_WR_DATA_EPCClick();
    void BitBtnQELM_CURR_WR_DATA_USERClick();
    void BitBtnQELM_CURR_RD_DATA_EPCClick();
    void BitBtnQELM_CURR_RD_DATA_USERClick();
    void BitBtnEPC_INVENTORY_TIMEClick();
    void BitBtnQELM_INVENTORY_STOPClick();
    void BitBtn900_SET_ATT_OUTClick();
    void BitBtn900_QUERY_ACKClick();

    // ---- 433, Wiegand, ALPHA tabs ----
    // BEGIN tags handlers
    void BitBtn433_SEND_COP_COLLECTIONClick();
    void BitBtn433_SEND_COP_SLEEPClick();
    void BitBtnSEND_COP_READ_USER_IDClick();
    void BitBtnSEND_COP_RSSI_READ_USER_IDClick();
    void BitBtnSEND_N_COP_READ_USER_IDClick();
    void BitBtnSEND_COP_WR_USER_IDClick();
    void BitBtn_util_SEND_COP_READ_MEMORYClick();
    void BitBtn_util_SEND_COP_WR_MEMORYClick();
    void BitBtnLabPeriod250msClick();
    void BitBtn433_impulsClick();
    void BitBtn433_TimerClick();
    void Timer433Timer();
    void BitBtnWG_SEND_STRINGClick();
    void BitBtnWG_READER_A_ONClick();
    void BitBtnWG_READER_A_OFFClick();
    void READER_B_ONClick();
    void READER_B_OFFClick();
    void BitBtnWG_SetTimeClick();
    void BitBtnWG_GetTimeClick();
    void BitBtnALPHA_INIT_LABELClick();
    void BitBtnALPHA_INIT_LABEL_CHECKClick();
    void BitBtnALPHA_INIT_LABEL_W3_INCClick();
    // The collection line of the 433 tab's four boxes; the SAW2011 mode sends it too.
    QString CollectionCommand() const;
    // END tags handlers

    // ---- ANT_TEST, LOG, SAW2011, KAMAZ tabs ----
    // BEGIN monitor handlers
    void BitBtn_ANT_TEST_STARTClick();
    void BitBtn_ANT_TEST_STOPClick();
    void MemoANT_TEST_TAGSDblClick();
    void Memo_ANT_TEST_infoDblClick();
    void CheckBoxINV_LOG_ONClick();
    void BitBtnLOG_INV_STARTClick();
    void BitBtnLOG_INV_STOPClick();
    void BitBtnLOG_SaveFillesClick();
    void MemoLOG_ALLDblClick();
    void MemoLOG_STRDblClick();
    void MemoLOG_STR_FILTRDblClick();
    void BitBtnSAW2011_COMClick();
    void BitBtnSAW2011_COLLECTIONClick();
    void BitBtnTimerSAW2011Click();
    void TimerSAW2011Timer();
    void BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0Click();
    void BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1Click();
    void BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2Click();
    void MemoSAW2011_InfoDblClick();
    void BitBtnKAMAZ_START_INVClick();
    void BitBtnKAMAZ_STOP_INVClick();
    void TimerKAMAZTimer();
    // END monitor handlers

    // ---- Components ----
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheetTITLE = nullptr;
    QWidget *TabSheetUTIL = nullptr;
    QWidget *TabSheetTERMINAL = nullptr;
    QWidget *TabSheet_ANT_TEST = nullptr;
    QWidget *TabSheetLOG = nullptr;
    QWidget *TabSheetSAW2011 = nullptr;
    QWidget *TabSheetKAMAZ = nullptr;
    QLabel *LabelTitle = nullptr;

    QPushButton *BitBtnUTIL_SEND_COMMAND = nullptr;
    QComboBox *ComboBoxUTIL_COMMAND = nullptr;
    QComboBox *ComboBoxUTIL_ADDR = nullptr;
    QComboBox *cbCOMPORT = nullptr;
    QLabel *LabelCOM_PORT_STATUS = nullptr;
    QPushButton *BitBtnUTIL_FIND_COM = nullptr;
    plat::Memo *MemoUTIL_SEND = nullptr;
    plat::Memo *MemoUTIL_REC = nullptr;
    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheet433 = nullptr;
    QWidget *TabSheet900 = nullptr;
    QWidget *TabSheetWG = nullptr;
    QWidget *TabSheetALPHA = nullptr;
    QWidget *TabSheetTqz = nullptr;
    plat::Memo *MemoTERMINAL = nullptr;

    // 900 tab
    QPushButton *BitBtnEPC_INIT_LABEL = nullptr;
    QComboBox *ComboBox_EPC_INIT_LABEL_W1 = nullptr;
    QComboBox *ComboBox_EPC_INIT_LABEL_W2 = nullptr;
    QPushButton *BitBtn_QELM_WR_DATA_EPC = nullptr;
    QComboBox *ComboBox_QELM_WR_DATA_EPC_P = nullptr;
    QComboBox *ComboBoxQELM_WR_DATA_EPC_DATA = nullptr;
    QPushButton *BitBtn_QELM_WR_DATA_USER = nullptr;
    QComboBox *ComboBox_QELM_WR_DATA_USER_P = nullptr;
    QComboBox *ComboBoxQELM_WR_DATA_USER_DATA = nullptr;
    QPushButton *BitBtn_QELM_RD_DATA_EPC = nullptr;
    QPushButton *BitBtnQELM_RD_DATA_USER = nullptr;
    QPushButton *BitBtnQELM_CURR_WR_DATA_EPC = nullptr;
    QPushButton *BitBtnQELM_CURR_WR_DATA_USER = nullptr;
    QPushButton *BitBtnQELM_CURR_RD_DATA_EPC = nullptr;
    QPushButton *BitBtnQELM_CURR_RD_DATA_USER = nullptr;
    QComboBox *ComboBoxQELM_CURR_WR_DATA_EPC_M = nullptr;
    QComboBox *ComboBoxQELM_CURR_WR_DATA_EPC_P = nullptr;
    QComboBox *ComboBoxQELM_CURR_WR_DATA_EPC_W = nullptr;
    QPushButton *BitBtnEPC_INVENTORY_TIME = nullptr;
    QPushButton *BitBtnQELM_INVENTORY_STOP = nullptr;
    QComboBox *ComboBoxEPC_INVENTORY_TIME_Q = nullptr;
    QComboBox *ComboBoxEPC_INVENTORY_TIME_C = nullptr;
    QComboBox *ComboBoxEPC_INVENTORY_TIME_CNTR = nullptr;
    QPushButton *BitBtn900_SET_ATT_OUT = nullptr;
    QComboBox *ComboBox900_SET_ATT_OUT = nullptr;
    QPushButton *BitBtn900_QUERY_ACK = nullptr;
    QCheckBox *CheckBoxINV_LOG_ON = nullptr;

    // ANT_TEST tab
    QPushButton *BitBtn_ANT_TEST_START = nullptr;
    QPushButton *BitBtn_ANT_TEST_STOP = nullptr;
    QComboBox *ComboBox_ANT_TEST_STOP_INV = nullptr;
    QLabel *Label_ANT_TEST_INV_COUNT = nullptr;
    QLabel *LabelANT_TEST_TAG_COUNT = nullptr;
    plat::Memo *MemoANT_TEST_TAGS = nullptr;
    plat::Memo *Memo_ANT_TEST_info = nullptr;
    QPushButton *BitBtn_ANT_TEST_dev_found = nullptr;
    QLabel *Label_ANT_TEST_TIME = nullptr;

    // LOG tab
    plat::Memo *MemoLOG_STR = nullptr;
    plat::Memo *MemoLOG_STR_FILTR = nullptr;
    plat::Memo *MemoLOG_ALL = nullptr;
    QLabel *LabelLOG_NUM_INV = nullptr;
    QPushButton *BitBtnLOG_INV_START = nullptr;
    QPushButton *BitBtnLOG_INV_STOP = nullptr;
    QPushButton *BitBtnLOG_SaveFilles = nullptr;

    // SAW2011 tab
    QPushButton *BitBtnSAW2011_COM = nullptr;
    QPushButton *BitBtnSAW2011_COLLECTION = nullptr;
    QPushButton *BitBtnTimerSAW2011 = nullptr;
    QComboBox *ComboBoxTomerSAW2011Period = nullptr;
    QLabel *LabelSAW2011TimerCount = nullptr;
    plat::Memo *MemoSAW2011_Info = nullptr;
    QPushButton *BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF0 = nullptr;
    QPushButton *BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF1 = nullptr;
    QPushButton *BitBtnSEND_COP_READ_USER_ID_EEEE_FEDCBAF2 = nullptr;
    QLabel *LabelSAW2011_0 = nullptr;
    QLabel *LabelSAW2011_1 = nullptr;
    QLabel *LabelSAW2011_2 = nullptr;

    // KAMAZ tab
    QPushButton *BitBtnKAMAZ_START_INV = nullptr;
    QPushButton *BitBtnKAMAZ_STOP_INV = nullptr;
    QLabel *LabelKAMAZ_DATE = nullptr;
    QLabel *LabelKAMAZ_Time = nullptr;
    QLabel *LabelKAMAZ_Rota = nullptr;
    QLabel *LabelKAMAZ_AVTO = nullptr;
    QLabel *LabelKAMAZ_REG_SIGN = nullptr;
    plat::Memo *MemoKAMAZ = nullptr;

    // 433, Wiegand and ALPHA tabs
    // BEGIN tags components
    QPushButton *BitBtn433_SEND_COP_COLLECTION = nullptr;
    QComboBox *ComboBox433_WindowSize = nullptr;
    QComboBox *ComboBox433_MaxPacketLength = nullptr;
    QComboBox *ComboBox433_UDBTypeCode = nullptr;
    QComboBox *ComboBox433_TimeOut = nullptr;
    QPushButton *BitBtn433_SEND_COP_SLEEP = nullptr;
    QPushButton *BitBtnSEND_COP_READ_USER_ID = nullptr;
    QComboBox *ComboBoxTagManufacturerID = nullptr;
    QComboBox *ComboBoxTagSerialNumber = nullptr;
    QPushButton *BitBtnSEND_COP_RSSI_READ_USER_ID = nullptr;
    QPushButton *BitBtnSEND_N_COP_READ_USER_ID = nullptr;
    QComboBox *ComboBoxSEND_N_COP_READ_USER_ID = nullptr;
    QPushButton *BitBtnSEND_COP_WR_USER_ID = nullptr;
    QComboBox *ComboBox_util_SEND_COP_WR_USER_ID_Len = nullptr;
    QComboBox *ComboBox_util_SEND_COP_WR_USER_ID = nullptr;
    QPushButton *BitBtn_util_SEND_COP_READ_MEMORY = nullptr;
    QComboBox *ComboBox_util_SEND_COP_WR_MEMORY_Length = nullptr;
    QComboBox *ComboBox_util_SEND_COP_WR_MEMORY_Addr = nullptr;
    QPushButton *BitBtn_util_SEND_COP_WR_MEMORY = nullptr;
    QComboBox *ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Length = nullptr;
    QComboBox *ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Addr = nullptr;
    QComboBox *ComboBox_util_BitBtn_util_SEND_COP_WR_MEMORY_Data = nullptr;
    QPushButton *BitBtnLabPeriod250ms = nullptr;
    QComboBox *ComboBoxLabPeriod250ms = nullptr;
    QPushButton *BitBtn433_impuls = nullptr;
    QPushButton *BitBtn433_Timer = nullptr;

    QPushButton *BitBtnWG_SEND_STRING = nullptr;
    QComboBox *ComboBoxWG_SEND_STRING = nullptr;
    QPushButton *BitBtnWG_READER_A_ON = nullptr;
    QPushButton *BitBtnWG_READER_A_OFF = nullptr;
    QPushButton *READER_B_ON = nullptr;
    QPushButton *READER_B_OFF = nullptr;
    QPushButton *BitBtnWG_SetTime = nullptr;
    QPushButton *BitBtnWG_GetTime = nullptr;

    QPushButton *BitBtnALPHA_INIT_LABEL = nullptr;
    QComboBox *ComboBoxALPHA_INIT_LABEL_W1 = nullptr;
    QComboBox *ComboBoxALPHA_INIT_LABEL_W2 = nullptr;
    QComboBox *ComboBoxALPHA_INIT_LABEL_W3 = nullptr;
    QPushButton *BitBtnALPHA_INIT_LABEL_CHECK = nullptr;
    QPushButton *BitBtnALPHA_INIT_LABEL_W3_INC = nullptr;
    // END tags components

    // Timers
    QTimer *TimerMAIN = nullptr;
    QTimer *Timer433 = nullptr;
    QTimer *TimerSTOP = nullptr;
    QTimer *TimerSAW2011 = nullptr;
    QTimer *TimerKAMAZ = nullptr;

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildTabUTIL();
    void buildTab900(QWidget *page);
    void buildTabANT_TEST();
    void buildTabLOG();
    void buildTabSAW2011();
    void buildTabKAMAZ();
    using Handler = void (TFormPLUV::*)();
    // Every button and list handler is connected through the error wrapper here.
    void connectClicks(std::initializer_list<std::pair<QPushButton *, Handler>> clicks);
    void connectDblClicks(std::initializer_list<std::pair<plat::Memo *, Handler>> lists);
    void connectCoreHandlers();
    void connectInventoryHandlers();
    // Defined with the 433, Wiegand and ALPHA tabs.
    void buildTab433(QWidget *page);
    void buildTabWG(QWidget *page);
    void buildTabALPHA(QWidget *page);
    void connectTagsHandlers();
    // Defined with the monitoring tabs.
    void connectMonitorHandlers();
    // Takes one answer from the receive thread when one is ready within waitMs.
    bool takeAnswer(int waitMs);
    void DestroyPortObject();

    Tmy_COM *my_COM_A = nullptr;
    // Sets beside the distinct-answer lists; cleared with their lists.
    QSet<QString> antTestTagsSeen_;
    QSet<QString> logFiltrSeen_;

    // BEGIN monitor private
    void sendSawRead(QPushButton *button, const QString &line);
    // END monitor private
};
