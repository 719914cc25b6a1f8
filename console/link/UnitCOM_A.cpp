#include "UnitCOM_A.h"

TCOM_A::TCOM_A(plat::ISerialIo *xPort, const QString &PORT, QThread::Priority xPriority)
    : CommPort(PORT), hPORT(xPort), ring_(std::make_unique<rx::ByteRing>())
{
    // Created here so they exist before the pump first waits on them.
    EventAnswerStrReady = std::make_unique<plat::Event>(true, false, QStringLiteral("ANSWER STRING READY") + CommPort);
    EventAnswerStrFree = std::make_unique<plat::Event>(true, false, QStringLiteral("ANSWER STRING FREE") + CommPort);
    setObjectName(QStringLiteral("TCOM_A ") + CommPort);
    start(xPriority);
}

TCOM_A::~TCOM_A() { stop(); }

void TCOM_A::stop()
{
    requestInterruption();
    if (hPORT)
        hPORT->cancel();
    wait();
}

void TCOM_A::run()
{
    TimeOuts = {};
    TimeOuts.ReadIntervalTimeout = 1;
    TimeOuts.ReadTotalTimeoutMultiplier = 1;
    TimeOuts.ReadTotalTimeoutConstant = 1;
    ANSWER_BUF_COUNT = 0;
    REC_MODE = rx::Hunting;
    if (hPORT)
        hPORT->setTimeouts(TimeOuts);

    // While an answer waits for the pump, poll the port without blocking: a long read would
    // hide the pump's release, and the next answer could not follow at once.
    plat::CommTimeouts quick;
    quick.ReadIntervalTimeout = plat::MAXDWORD;
    bool quickMode = false;

    uint8_t chunk[100];
    int mode = REC_MODE;
    auto parse = [&] {
        while (!ring_->empty() && mode != rx::Ready) {
            if (rx::frameByte(ring_->pop(), REC_ANSWER_BUF, ANSWER_BUF_COUNT, mode)) {
                REC_MODE = mode;
                EventAnswerStrReady->set();
            }
        }
        REC_MODE = mode;
    };
    while (!isInterruptionRequested()) {
        if (EventAnswerStrFree->wait(1)) {
            EventAnswerStrFree->reset();
            mode = rx::Hunting;
            // An answer already queued goes to the pump before the next read.
            parse();
        }
        const bool waiting = mode == rx::Ready;
        if (hPORT && waiting != quickMode) {
            quickMode = waiting;
            hPORT->setTimeouts(quickMode ? quick : TimeOuts);
        }
        const std::size_t n = hPORT ? hPORT->read(chunk, sizeof chunk) : 0;
        if (n > 0) {
            const std::size_t lost = ring_->push(chunk, n);
            if (lost)
                LOST_BYTES += lost;
        }
        parse();
        if (!hPORT)
            QThread::msleep(1);
    }
}
