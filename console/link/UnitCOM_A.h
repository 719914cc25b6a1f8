#pragma once
// The console's receive thread: reads the port, cuts answers out of the byte stream and
// hands them to the GUI one at a time through two events.
#include "AnswerFraming.h"
#include "Event.h"
#include "SerialPort.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

class TCOM_A : public QThread {
    Q_OBJECT
public:
    TCOM_A(plat::ISerialIo *xPort, const QString &PORT, QThread::Priority xPriority = QThread::NormalPriority);
    ~TCOM_A() override;

    // Stops the body and joins it; the port stays open (its owner closes it).
    void stop();

    std::unique_ptr<plat::Event> EventAnswerStrReady;
    std::unique_ptr<plat::Event> EventAnswerStrFree;
    QString CommPort;
    plat::ISerialIo *hPORT = nullptr;
    plat::CommTimeouts TimeOuts;
    uint8_t REC_ANSWER_BUF[rx::kAnswerBufSize] = {};
    int ANSWER_BUF_COUNT = 0;
    std::atomic<int> REC_MODE{0};

    // Bytes dropped because the ring was full; the pump takes and reports them.
    std::atomic<quint64> LOST_BYTES{0};

protected:
    void run() override;

private:
    std::unique_ptr<rx::ByteRing> ring_;
};
