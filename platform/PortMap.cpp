#include "PortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>

#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace plat {

namespace {

constexpr int kPortCount = 20;

// Legacy /dev/ttyS* nodes exist whether or not a UART sits behind them.
bool hasUart(const QString &path)
{
    int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct ss{};
    const bool ok = ::ioctl(fd, TIOCGSERIAL, &ss) == 0 && ss.type != PORT_UNKNOWN;
    ::close(fd);
    return ok;
}

QStringList sortedEntries(const QString &dir, const QStringList &patterns)
{
    QStringList out;
    const QFileInfoList list = QDir(dir).entryInfoList(patterns, QDir::System | QDir::Files | QDir::NoDotAndDotDot,
                                                       QDir::Name);
    for (const QFileInfo &fi : list)
        out << fi.absoluteFilePath();
    return out;
}

QString descriptionFor(const QString &device)
{
    const QString real = QFileInfo(device).canonicalFilePath();
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &p : ports) {
        if (p.systemLocation() == real || p.systemLocation() == device) {
            QString d = p.description();
            if (!p.manufacturer().isEmpty())
                d += (d.isEmpty() ? QString() : QStringLiteral(", ")) + p.manufacturer();
            return d;
        }
    }
    return {};
}

} // namespace

QList<PortEntry> portMap()
{
    QList<PortEntry> out;
    const QByteArray dir = qgetenv("COMPORT_DIR");
    if (!dir.isEmpty()) {
        for (int n = 1; n <= kPortCount; ++n) {
            const QString name = QStringLiteral("COM%1").arg(n);
            const QString path = QDir(QString::fromLocal8Bit(dir)).filePath(name);
            if (QFileInfo::exists(path))
                out.append({name, path, {}});
        }
        return out;
    }
    QStringList devices;
    QSet<QString> seen;
    auto add = [&](const QString &path) {
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            return;
        seen.insert(real);
        devices << path;
    };
    for (const QString &p : sortedEntries(QStringLiteral("/dev/serial/by-id"), {QStringLiteral("*")}))
        add(p);
    for (const QString &p : sortedEntries(QStringLiteral("/dev"), {QStringLiteral("ttyACM*")}))
        add(p);
    for (const QString &p : sortedEntries(QStringLiteral("/dev"), {QStringLiteral("ttyUSB*")}))
        add(p);
    QStringList legacy = sortedEntries(QStringLiteral("/dev"), {QStringLiteral("ttyS*")});
    std::sort(legacy.begin(), legacy.end(), [](const QString &a, const QString &b) {
        return a.mid(9).toInt() < b.mid(9).toInt();
    });
    for (const QString &p : legacy)
        if (hasUart(p))
            add(p);
    for (int i = 0; i < devices.size() && i < kPortCount; ++i)
        out.append({QStringLiteral("COM%1").arg(i + 1), devices.at(i), {}});
    return out;
}

QString resolvePort(const QString &name)
{
    const QByteArray dir = qgetenv("COMPORT_DIR");
    if (!dir.isEmpty()) {
        const QString path = QDir(QString::fromLocal8Bit(dir)).filePath(name);
        return QFileInfo::exists(path) ? path : QString();
    }
    for (const PortEntry &e : portMap())
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return e.device;
    return {};
}

void printPortMap(QTextStream &out)
{
    const QList<PortEntry> map = portMap();
    if (map.isEmpty()) {
        out << "no serial ports\n";
        return;
    }
    for (const PortEntry &e : map) {
        const QString real = QFileInfo(e.device).canonicalFilePath();
        out << e.name << '\t' << e.device;
        if (!real.isEmpty() && real != e.device)
            out << " -> " << real;
        const QString d = descriptionFor(e.device);
        if (!d.isEmpty())
            out << '\t' << d;
        out << '\n';
    }
}

bool handlePortsOption(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ports") == 0) {
            QTextStream out(stdout);
            printPortMap(out);
            return true;
        }
    }
    return false;
}

} // namespace plat
