#include "Tmy_COM.h"
#include "Errors.h"
#include "UnitCOM_A.h"

QString IntToStrZ8(int value)
{
    QString s = QString::number(value).rightJustified(8, QLatin1Char(' '));
    s.replace(QLatin1Char(' '), QLatin1Char('0'));
    return s;
}

bool FindStrInBuf(const uint8_t *Buf, int Count, const QString &S)
{
    const int L = static_cast<int>(S.size());
    for (int p = 0; p + L <= Count; ++p) {
        int i = 0;
        while (i < L && Buf[p + i] == static_cast<uint8_t>(S.at(i).unicode() & 0xFF))
            ++i;
        if (i == L)
            return true;
    }
    return false;
}

static QString BuildFrame(int number, const QString &sStr)
{
    return QLatin1Char(':') + IntToStrZ8(number) + QLatin1Char(' ') + sStr + QLatin1Char(';');
}

QByteArray BuildCommandLine(int Addr, int number, const QString &sStr)
{
    const QString frame = BuildFrame(number, sStr);
    QByteArray bytes;
    bytes.reserve(frame.size() + 1);
    bytes.append(static_cast<char>(Addr & 0xFF));
    for (QChar c : frame)
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
    return bytes;
}

QString HexDumpLine(const QString &prefix, const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString s = prefix;
    s.reserve(prefix.size() + bytes.size() * 3);
    for (char ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        s += QLatin1Char(' ');
        s += QLatin1Char(digits[b >> 4]);
        s += QLatin1Char(digits[b & 0x0F]);
    }
    return s;
}

Tmy_COM::Tmy_COM() = default;

Tmy_COM::~Tmy_COM() { ReleaseLink(); }

void Tmy_COM::ReleaseLink()
{
    if (COM) {
        COM->stop();
        delete COM;
        COM = nullptr;
    }
    open_.reset();
    hPORT = nullptr;
}

bool Tmy_COM::check_port(const QString &xCOM, int Addr, const QString &PortStr, const QString &TestStr,
                         const QString &FindStr)
{
    auto port = std::make_unique<plat::SerialPort>();
    if (!port->open(xCOM))
        return false;
    TimeOuts.ReadIntervalTimeout = 100;
    TimeOuts.ReadTotalTimeoutMultiplier = 1;
    TimeOuts.ReadTotalTimeoutConstant = 1;
    const QString definition = xCOM + PortStr;
    port->setTimeouts(TimeOuts);
    port->setupComm(4096, 0);
    QString err;
    if (!port->applyDefinition(definition, &err)) {
        // A line that cannot be set to the reader's settings would only garble the probe.
        throw plat::Error(err);
    }
    if (!port->purge())
        throw plat::Error(QStringLiteral("Error purging port"));

    SendStrToPort(port.get(), Addr, TestStr);

    uint8_t answer[500];
    const int got = static_cast<int>(port->read(answer, sizeof answer));
    if (got > 0 && FindStrInBuf(answer, got, FindStr)) {
        TimeOuts = {1, 1, 1, 1, 0};
        port->setTimeouts(TimeOuts);
        // One link at a time: a port held from before is released with its thread.
        if (open_)
            ReleaseLink();
        open_ = std::move(port);
        hPORT = open_.get();
        return true;
    }
    return false;
}

void Tmy_COM::SendStrToPort(plat::ISerialIo *hPort, int Addr, const QString &sStr)
{
    if (!hPort)
        return;
    const QByteArray bytes = BuildCommandLine(Addr, NUM_COMMAND + 1, sStr);
    if (bytes.size() > kMaxCommandLine)
        throw plat::Error(QStringLiteral("Command line too long: %1 bytes, the reader takes at most %2; nothing was sent")
                              .arg(bytes.size())
                              .arg(kMaxCommandLine));
    ++NUM_COMMAND;
    const QString sendLine = QString::number(static_cast<uint>(Addr), 16).toUpper().rightJustified(2, QLatin1Char('0'))
        + BuildFrame(NUM_COMMAND, sStr);
    if (Echo)
        Echo(sendLine, HexDumpLine(QStringLiteral(">>"), bytes));
    hPort->write(reinterpret_cast<const uint8_t *>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
}
