#include "thrd1.h"

#include "COM_PORT_SELECT.h"

#include <Handler.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {
const QString kLineDefinition = QStringLiteral(": baud=115200 parity=N data=8 stop=2");
}

TMyCOMServiceThread::TMyCOMServiceThread(const QString &choiceFolder, QObject *parent)
    : QThread(parent),
      EventSendStrReady(false, false, QStringLiteral("DATA_FOR_SEND_READY")),
      EventAnswerStrReady(true, false, QStringLiteral("ANSWER STRING READY")),
      EventDATAReady(true, false, QStringLiteral("DATA READY")),
      EventDATAFree(true, false, QStringLiteral("DATA FREE")),
      EventAnswerStrFree(true, false, QStringLiteral("ANSWER STRING FREE")),
      choiceFolder_(choiceFolder)
{
    std::memset(SEND_COMMAND_BUF, 0xFF, sizeof SEND_COMMAND_BUF);
}

TMyCOMServiceThread::TMyCOMServiceThread(plat::ISerialIo *io, const QString &portName, QObject *parent)
    : TMyCOMServiceThread(QString(), parent)
{
    hPORT = io;
    commPortName_ = portName;
    commPortStr_ = portName + kLineDefinition;
    portOpen_ = io != nullptr;
}

TMyCOMServiceThread::~TMyCOMServiceThread()
{
    stop();
}

QString TMyCOMServiceThread::CommPortStr() const
{
    std::lock_guard<std::mutex> lk(m_);
    return commPortStr_;
}

QString TMyCOMServiceThread::CommPortName() const
{
    std::lock_guard<std::mutex> lk(m_);
    return commPortName_;
}

bool TMyCOMServiceThread::portOpen() const
{
    std::lock_guard<std::mutex> lk(m_);
    return portOpen_;
}

bool TMyCOMServiceThread::PostCommand(uint8_t address, const QByteArray &line)
{
    {
        std::lock_guard<std::mutex> lk(m_);
        if (static_cast<int>(sendQueue_.size()) >= kSendQueueLimit)
            return false;
        QByteArray frame;
        frame.reserve(line.size() + 1);
        frame += static_cast<char>(address);
        frame += line;
        sendQueue_.push_back(std::move(frame));
    }
    EventSendStrReady.set();
    return true;
}

int TMyCOMServiceThread::pendingCommands() const
{
    std::lock_guard<std::mutex> lk(m_);
    return static_cast<int>(sendQueue_.size());
}

QStringList TMyCOMServiceThread::TakeReceiveNotices()
{
    std::lock_guard<std::mutex> lk(m_);
    QStringList out;
    out.swap(rxNotices_);
    return out;
}

QStringList TMyCOMServiceThread::TakeSendNotices()
{
    std::lock_guard<std::mutex> lk(m_);
    QStringList out;
    out.swap(txNotices_);
    return out;
}

void TMyCOMServiceThread::stop()
{
    requestInterruption();
    boxClosed_->set();
    plat::SerialPort *port = nullptr;
    {
        std::lock_guard<std::mutex> lk(m_);
        port = port_.get();
    }
    if (port)
        port->cancel();
    if (isRunning() || isFinished())
        wait();
    {
        std::lock_guard<std::mutex> lk(exitM_);
        (void)exited_;
    }
    if (port_)
        port_->close();
}

void TMyCOMServiceThread::showPortError()
{
    // The box belongs to the GUI thread; this thread waits until it is closed, but gives up
    // when asked to end so closing the program never hangs on it.
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    boxClosed_->reset();
    std::shared_ptr<plat::Event> closed = boxClosed_;
    QMetaObject::invokeMethod(
        app,
        [closed] {
            plat::guarded([] { plat::messageBox(nullptr, QStringLiteral("COM порт не открыт")); });
            closed->set();
        },
        Qt::QueuedConnection);
    while (!isInterruptionRequested() && !boxClosed_->wait(50)) {
    }
}

void TMyCOMServiceThread::openPort()
{
    const QString name = ReadPortChoice(choiceFolder_);
    TimeOuts = plat::CommTimeouts{};
    TimeOuts.ReadIntervalTimeout = 1;
    TimeOuts.ReadTotalTimeoutMultiplier = 1;
    TimeOuts.ReadTotalTimeoutConstant = 1;

    auto port = std::make_unique<plat::SerialPort>();
    const bool ok = port->open(name);
    {
        std::lock_guard<std::mutex> lk(m_);
        commPortName_ = name;
        commPortStr_ = name + kLineDefinition;
        portOpen_ = ok;
        if (ok) {
            port_ = std::move(port);
            hPORT = port_.get();
        }
    }
    if (!ok) {
        showPortError();
        return;
    }
    port_->setTimeouts(TimeOuts);
    port_->setupComm(4096, 0);
    port_->applyDefinition(CommPortStr());
}

void TMyCOMServiceThread::sendStep()
{
    if (!EventSendStrReady.wait(1))
        return;
    // Frames posted while the thread was busy wait in order; none replaces another.
    for (;;) {
        QByteArray frame;
        {
            std::lock_guard<std::mutex> lk(m_);
            if (sendQueue_.empty())
                break;
            frame = std::move(sendQueue_.front());
            sendQueue_.pop_front();
        }
        const int n = std::min<int>(frame.size(), static_cast<int>(sizeof SEND_COMMAND_BUF));
        std::memcpy(SEND_COMMAND_BUF, frame.constData(), static_cast<std::size_t>(n));
        const void *semi = std::memchr(SEND_COMMAND_BUF, ';', static_cast<std::size_t>(n));
        if (!semi)
            continue;
        const std::size_t k = static_cast<std::size_t>(static_cast<const uint8_t *>(semi) - SEND_COMMAND_BUF);
        const std::size_t written = hPORT ? hPORT->write(SEND_COMMAND_BUF, k + 1) : 0;
        std::memset(SEND_COMMAND_BUF, 0xFF, sizeof SEND_COMMAND_BUF);
        if (written != k + 1 && portOpen()) {
            std::lock_guard<std::mutex> lk(m_);
            txNotices_ << QStringLiteral("Not sent (write failed): %1")
                              .arg(QString::fromLatin1(frame.mid(1, static_cast<int>(k))));
        }
    }
}

void TMyCOMServiceThread::run()
{
    if (!hPORT)
        openPort();
    resetReceiver();
    std::vector<uint8_t> chunk(10000);

    while (!isInterruptionRequested()) {
        sendStep();
        if (EventAnswerStrFree.wait(1)) {
            EventAnswerStrFree.reset();
            release();
        }
        if (EventDATAFree.wait(1)) {
            EventDATAFree.reset();
            release();
        }
        std::size_t want = REC_MODE == Data ? 10000 : 50;
        want = std::min(want, ringFree());
        std::size_t got = 0;
        if (want > 0 && hPORT)
            got = hPORT->read(chunk.data(), want);
        else
            msleep(1);
        ringFill(chunk.data(), got);

        for (;;) {
            const Result r = parse();
            if (r == Result::AnswerReady) {
                EventAnswerStrReady.set();
            } else if (r == Result::DataReady) {
                EventDATAReady.set();
            } else if (r == Result::BlockRefused) {
                std::lock_guard<std::mutex> lk(m_);
                rxNotices_ << QStringLiteral("Data block of %1 words refused: more than %2 words")
                                  .arg(refusedWords())
                                  .arg(kDataBufWords);
                continue;
            }
            break;
        }
    }
    std::lock_guard<std::mutex> lk(exitM_);
    exited_ = true;
}
