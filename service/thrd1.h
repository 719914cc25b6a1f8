#pragma once
// The service thread: owns the port, writes command frames, and hands text answers and
// data blocks to the window one at a time through its five events.
#include "ServiceReceiver.h"

#include <Event.h>
#include <SerialPort.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QThread>
#include <deque>
#include <memory>
#include <mutex>

class TMyCOMServiceThread : public QThread, public TServiceReceiver {
    Q_OBJECT
public:
    // Frames waiting for the thread; more are refused and the window says so.
    static constexpr int kSendQueueLimit = 64;

    // Opens the port named in "SRV.dat" of choiceFolder (the working folder when empty).
    explicit TMyCOMServiceThread(const QString &choiceFolder = {}, QObject *parent = nullptr);
    // Runs on io instead of a port it opens itself (tests feed it from memory).
    TMyCOMServiceThread(plat::ISerialIo *io, const QString &portName, QObject *parent = nullptr);
    ~TMyCOMServiceThread() override;

    plat::Event EventSendStrReady;
    plat::Event EventAnswerStrReady;
    plat::Event EventDATAReady;
    plat::Event EventDATAFree;
    plat::Event EventAnswerStrFree;

    // Only the window reads and advances it.
    int32_t NUM_COMMAND = 0;

    QString CommPortStr() const;
    QString CommPortName() const;
    bool portOpen() const;

    // Queues address byte + command line for the thread and sets EventSendStrReady.
    // False when the queue is full: the frame is not sent.
    bool PostCommand(uint8_t address, const QByteArray &line);
    int pendingCommands() const;
    // Lines the window shows: refused blocks (receive side) and frames not written (send side).
    QStringList TakeReceiveNotices();
    QStringList TakeSendNotices();

    // Ends the loop, wakes a read in progress, joins the thread and closes the port.
    void stop();

protected:
    void run() override;

private:
    void openPort();
    void sendStep();
    void showPortError();

    QString choiceFolder_;
    plat::ISerialIo *hPORT = nullptr;
    std::unique_ptr<plat::SerialPort> port_;
    plat::CommTimeouts TimeOuts;
    uint8_t SEND_COMMAND_BUF[1024];

    mutable std::mutex m_;
    QString commPortName_;
    QString commPortStr_;
    bool portOpen_ = false;
    std::deque<QByteArray> sendQueue_;
    QStringList rxNotices_;
    QStringList txNotices_;
    // Set as the body's last act; read after QThread::wait() so the join is visible to race
    // checkers that cannot see inside Qt's own wait.
    std::mutex exitM_;
    bool exited_ = false;
    std::shared_ptr<plat::Event> boxClosed_ = std::make_shared<plat::Event>(true, false);
};
