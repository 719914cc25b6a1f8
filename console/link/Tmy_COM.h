#pragma once
// The console's port object: probes a port for a reader, writes command lines and echoes
// them, and carries the link state (port name, definition text, open port, receive thread).
#include "SerialPort.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class TCOM_A;

// Longest command line the device's line buffer takes: address byte plus 1000 frame bytes.
constexpr int kMaxCommandLine = 1001;

QString IntToStrZ8(int value);
bool FindStrInBuf(const uint8_t *Buf, int Count, const QString &S);
// The bytes of one command line: address byte, ":", number, blank, text, ";".
QByteArray BuildCommandLine(int Addr, int number, const QString &sStr);
// ">>" / "<<" dump lines of the terminal.
QString HexDumpLine(const QString &prefix, const QByteArray &bytes);

class Tmy_COM {
public:
    Tmy_COM();
    ~Tmy_COM();
    Tmy_COM(const Tmy_COM &) = delete;
    Tmy_COM &operator=(const Tmy_COM &) = delete;

    bool check_port(const QString &xCOM, int Addr, const QString &PortStr, const QString &TestStr,
                    const QString &FindStr);
    void SendStrToPort(plat::ISerialIo *hPort, int Addr, const QString &sStr);

    // Stops and joins the receive thread and closes the port it serves.
    void ReleaseLink();

    QString CommPort;
    QString CommPortStr;
    plat::SerialPort *hPORT = nullptr; // the port left open by the last successful probe
    plat::CommTimeouts TimeOuts;
    TCOM_A *COM = nullptr;
    int NUM_COMMAND = 0;

    // Echo of every line written: the send-list line and the terminal dump line.
    std::function<void(const QString &sendLine, const QString &terminalLine)> Echo;

private:
    std::unique_ptr<plat::SerialPort> open_; // owns the port behind hPORT
};
