#pragma once
// The service tool's main window: command exchange, answer pump, tag UID commands,
// data-block chart and save.
#include "thrd1.h"

#include <QMainWindow>
#include <QPointF>
#include <QTime>
#include <QVector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TForm2;
namespace plat { class Memo; }
QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace srv {
// Points drawn for a block: every point up to maxPoints, otherwise the min and max of each
// of maxPoints/2 index ranges, in index order (the X values stay ascending).
QList<QPointF> ChartPoints(const qint16 *words, int count, int maxPoints);
// Blocks up to this many words are drawn point for point.
constexpr int kChartFullPoints = 8192;
}

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // thread: a service thread made by the caller (tests); null makes the program's own.
    // choiceFolder: where "SRV.dat" lives; the working folder when empty.
    explicit TForm1(QWidget *parent = nullptr, TMyCOMServiceThread *thread = nullptr,
                    const QString &choiceFolder = {});
    ~TForm1() override;

    TMyCOMServiceThread *COMServiceThread = nullptr;
    TForm2 *Form2 = nullptr;
    QTime TIME_SEND{0, 0};
    uint8_t BEEP_ON = 0;

    QLabel *LabelCOM_PORT_STATUS;
    QLabel *lbTIME_COMMAND;
    QPushButton *SpeedButtonSendA;
    QComboBox *ComboBoxSendStrA;
    QComboBox *ComboBoxSelectADDR_A;
    QPushButton *SpeedButtonSend2;
    QComboBox *ComboBoxSendB;
    QPushButton *sbTIMER;
    QPushButton *sbBEEP;
    plat::Memo *MemoSendViewA;
    plat::Memo *MemoRecViewA;
    QPushButton *sbSETUP;

    QPushButton *sbGET_SNGL_UID;
    QPushButton *sbWR_SINGL_UID;
    QLineEdit *meWR_ADDR;
    QLineEdit *meWR_DATA;
    QPushButton *sbWR8_SNGL_UID;
    QLineEdit *meWR8_SNGL_UID_ADDR;
    QLineEdit *meWR8_SNGL_UID_DATA;
    QPushButton *sbRD_SNGL_UID;
    QLineEdit *meRD_SNGL_UID_ADDR;
    QPushButton *sbRD_CURRENT_UID;
    QLineEdit *meRD_CURRENT_UID_ADDR;
    QLineEdit *meRD_CURRENT_UID_UID;
    QPushButton *sbWR_CURRENT_UID;
    QLineEdit *meWR_CURRENT_UID_ADDR;
    QLineEdit *meWR_CURRENT_UID_DATA;
    QLineEdit *meWR_CURRENT_UID_UID;
    QPushButton *sbWR8_CURRENT_UID;
    QLineEdit *meWR8_CURRENT_UID_ADDR;
    QLineEdit *meWR8_CURRENT_UID_DATA;
    QLineEdit *meWR8_CURRENT_UID_UID;
    QPushButton *sbCOLLISION_ARBITRATION;
    QLineEdit *meCOLLISION_ARBITRATION_N;
    QLineEdit *meCOLLISION_ARBITRATION_X;
    QLineEdit *meCOLLISION_ARBITRATION_Y;

    QPushButton *SpeedButtonSendB;
    QComboBox *ComboBoxSendStrB;
    QComboBox *ComboBoxSelectADDR_B;
    QPushButton *sbTransponderA;
    QPushButton *sbTrnsA;
    QPushButton *sbTEST;

    QChartView *Chart1;
    QLineSeries *Series1;
    QPushButton *SpBtnSaveDATA;
    QAction *actViewChart;

    QTimer *Timer1;
    QTimer *Timer2a;
    QTimer *Timer3a;

    // addrSource null: the fixed address byte 1.
    void SendServiceCommand(const QString &text, QComboBox *addrSource, bool timed);

    void FormCreate();
    void SpeedButtonSendAClick();
    void SpeedButtonSend2Click();
    void SpeedButtonSendBClick();
    void sbTransponderAClick();
    void sbTrnsAClick();
    void sbTESTClick();
    void sbTIMERClick();
    void Timer2aTimer();
    void Timer3aTimer();
    void Timer1Timer();
    void sbBEEPClick();
    void MemoSendViewADblClick();
    void MemoRecViewADblClick();
    void sbSETUPClick();

    void sbGET_SNGL_UIDClick();
    void sbWR_SINGL_UIDClick();
    void sbWR8_SNGL_UIDClick();
    void sbRD_SNGL_UIDClick();
    void sbRD_CURRENT_UIDClick();
    void sbWR_CURRENT_UIDClick();
    void sbWR8_CURRENT_UIDClick();
    void sbCOLLISION_ARBITRATIONClick();
    void meRD_CURRENT_UID_UIDDblClick();

    void BlockStep();
    void SpBtnSaveDATAClick();
    void setChartShown(bool shown);

    // The last block the window took, every word (what a save writes).
    const QVector<qint16> &lastBlock() const { return lastBlock_; }
    int beepCount() const { return beepCount_; }

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildWindow();
    void buildUidArea(QWidget *w);
    void buildChart(QWidget *w);
    void plotBlock();
    void plotVisible();
    void showReceiveNotices();

    QWidget *client_ = nullptr;
    QString choiceFolder_;
    QVector<qint16> lastBlock_;
    int beepCount_ = 0;
    bool plotting_ = false;
};
