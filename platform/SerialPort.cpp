#include "SerialPort.h"
#include "PortMap.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point t0)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

speed_t speedFor(int baud)
{
    switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

} // namespace

bool parseDefinition(const QString &text, LineSettings *out, QString *err)
{
    LineSettings s;
    QString rest = text.trimmed();
    // An optional leading port name ("COM3:" or "COM3: ").
    static const QRegularExpression portPrefix(QStringLiteral("^[A-Za-z]+[0-9]+\\s*:"));
    rest.remove(portPrefix);
    const QStringList tokens = rest.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    auto fail = [&](const QString &m) {
        if (err)
            *err = QStringLiteral("Bad port definition \"%1\": %2").arg(text, m);
        return false;
    };
    if (tokens.isEmpty())
        return fail(QStringLiteral("no settings"));
    bool haveBaud = false;
    for (const QString &tok : tokens) {
        const int eq = tok.indexOf('=');
        if (eq <= 0)
            return fail(QStringLiteral("\"%1\" is not key=value").arg(tok));
        const QString key = tok.left(eq).toLower();
        const QString val = tok.mid(eq + 1);
        bool ok = false;
        if (key == QLatin1String("baud")) {
            s.baud = val.toInt(&ok);
            if (!ok || speedFor(s.baud) == 0)
                return fail(QStringLiteral("unsupported baud rate %1").arg(val));
            haveBaud = true;
        } else if (key == QLatin1String("parity")) {
            const QString p = val.toUpper();
            if (p.size() != 1 || !QStringLiteral("NEOMS").contains(p))
                return fail(QStringLiteral("unsupported parity %1").arg(val));
            s.parity = p.at(0).toLatin1();
        } else if (key == QLatin1String("data")) {
            s.dataBits = val.toInt(&ok);
            if (!ok || s.dataBits < 5 || s.dataBits > 8)
                return fail(QStringLiteral("unsupported data bits %1").arg(val));
        } else if (key == QLatin1String("stop")) {
            s.stopBits = val.toInt(&ok);
            if (!ok || (s.stopBits != 1 && s.stopBits != 2))
                return fail(QStringLiteral("unsupported stop bits %1").arg(val));
        } else if (key == QLatin1String("to") || key == QLatin1String("xon") || key == QLatin1String("odsr")
                   || key == QLatin1String("octs") || key == QLatin1String("dtr") || key == QLatin1String("rts")
                   || key == QLatin1String("idsr")) {
            // Accepted and left at the driver's defaults.
        } else {
            return fail(QStringLiteral("unknown key %1").arg(key));
        }
    }
    if (!haveBaud)
        return fail(QStringLiteral("no baud rate"));
    if (out)
        *out = s;
    return true;
}

SerialPort::SerialPort() = default;

SerialPort::~SerialPort() { close(); }

bool SerialPort::open(const QString &name, QString *err)
{
    close();
    QString dev = name.startsWith('/') ? name : resolvePort(name);
    if (dev.isEmpty()) {
        if (err)
            *err = QStringLiteral("%1: no such port").arg(name);
        return false;
    }
    int fd = ::open(QFile::encodeName(dev).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (err)
            *err = QStringLiteral("%1: %2").arg(dev, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // flock holds per open file description, so it stops a second open in this process
    // and root alike; TIOCEXCL stops programs that do not take the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (err)
            *err = QStringLiteral("%1: port is in use").arg(dev);
        ::close(fd);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);
    int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        if (err)
            *err = QStringLiteral("eventfd: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(fd);
        return false;
    }
    // Raw mode from the start, so nothing the line discipline does alters the bytes.
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    // USB adapters otherwise hold received bytes for up to 16 ms.
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
    fd_ = fd;
    wakeFd_ = wake;
    device_ = dev;
    cancelled_ = false;
    return true;
}

void SerialPort::cancel()
{
    cancelled_ = true;
    if (wakeFd_ >= 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t r = ::write(wakeFd_, &one, sizeof one);
    }
}

void SerialPort::close()
{
    if (fd_ < 0)
        return;
    cancel();
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    ::close(wakeFd_);
    fd_ = -1;
    wakeFd_ = -1;
}

void SerialPort::setTimeouts(const CommTimeouts &t)
{
    rInterval_ = t.ReadIntervalTimeout;
    rMult_ = t.ReadTotalTimeoutMultiplier;
    rConst_ = t.ReadTotalTimeoutConstant;
    wMult_ = t.WriteTotalTimeoutMultiplier;
    wConst_ = t.WriteTotalTimeoutConstant;
}

CommTimeouts SerialPort::timeouts() const
{
    return {rInterval_, rMult_, rConst_, wMult_, wConst_};
}

bool SerialPort::setupComm(std::size_t, std::size_t)
{
    // The kernel sizes its own queues; nothing to do beyond being open.
    return isOpen();
}

bool SerialPort::applyDefinition(const QString &text, QString *err)
{
    LineSettings s;
    if (!parseDefinition(text, &s, err))
        return false;
    if (!isOpen()) {
        if (err)
            *err = QStringLiteral("port not open");
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        if (err)
            *err = QStringLiteral("%1: %2").arg(device_, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CMSPAR | CRTSCTS);
    switch (s.dataBits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    switch (s.parity) {
    case 'E': tio.c_cflag |= PARENB; break;
    case 'O': tio.c_cflag |= PARENB | PARODD; break;
    case 'M': tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 'S': tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (s.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t sp = speedFor(s.baud);
    ::cfsetispeed(&tio, sp);
    ::cfsetospeed(&tio, sp);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        if (err)
            *err = QStringLiteral("%1: cannot apply \"%2\": %3")
                       .arg(device_, text, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

bool SerialPort::purge()
{
    if (!isOpen())
        return false;
    return ::tcflush(fd_, TCIOFLUSH) == 0;
}

std::size_t SerialPort::read(uint8_t *buf, std::size_t n)
{
    if (fd_ < 0 || n == 0)
        return 0;
    const uint32_t interval = rInterval_, mult = rMult_, cnst = rConst_;
    // MAXDWORD interval with zero totals: return at once with what is there.
    const bool immediate = interval == MAXDWORD && mult == 0 && cnst == 0;
    const bool haveTotal = mult != 0 || cnst != 0;
    const long long total = static_cast<long long>(mult) * static_cast<long long>(n) + cnst;
    const auto t0 = Clock::now();
    auto lastByte = t0;
    std::size_t got = 0;

    // Hang-up or error (a device that vanished): behave as a silent line until the total
    // time-out, so a polling reader does not spin.
    auto vanished = [&](long long wait) {
        if (got == 0 && wait > 0) {
            pollfd w{wakeFd_, POLLIN, 0};
            ::poll(&w, 1, static_cast<int>(wait));
        }
    };
    while (got < n) {
        if (cancelled_)
            break;
        const ssize_t r = ::read(fd_, buf + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            lastByte = Clock::now();
            continue;
        }
        // In raw mode with VMIN = VTIME = 0 an empty line reads as 0, not EAGAIN.
        const bool failed = r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
        if (immediate)
            break;
        // Time left under each rule; -1 means no limit.
        long long wait = -1;
        if (haveTotal) {
            const long long left = total - msSince(t0);
            if (left <= 0)
                break;
            wait = left;
        }
        if (got > 0 && interval != 0 && interval != MAXDWORD) {
            const long long left = static_cast<long long>(interval) - msSince(lastByte);
            if (left <= 0)
                break;
            wait = wait < 0 ? left : std::min(wait, left);
        }
        if (failed) {
            vanished(wait < 0 ? 100 : wait);
            break;
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int pr = ::poll(fds, 2, wait < 0 ? -1 : static_cast<int>(wait));
        if (pr < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            break;
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLIN)) {
            vanished(wait < 0 ? 100 : wait);
            break;
        }
    }
    return got;
}

std::size_t SerialPort::write(const uint8_t *buf, std::size_t n)
{
    if (fd_ < 0)
        return 0;
    const uint32_t mult = wMult_, cnst = wConst_;
    const bool haveTotal = mult != 0 || cnst != 0;
    const long long total = static_cast<long long>(mult) * static_cast<long long>(n) + cnst;
    const auto t0 = Clock::now();
    std::size_t done = 0;
    while (done < n) {
        const ssize_t r = ::write(fd_, buf + done, n - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
            continue;
        }
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            break;
        long long wait = -1;
        if (haveTotal) {
            wait = total - msSince(t0);
            if (wait <= 0)
                break;
        }
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        const int pr = ::poll(fds, 2, wait < 0 ? -1 : static_cast<int>(wait));
        if (pr < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            break;
    }
    return done;
}

} // namespace plat
