// readersim: plays reader devices and the DSP board on pseudo-terminals linked as COMn.
#include "ReaderSim.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

const char kHelp[] =
    "Usage: readersim --dir DIR --port COMn=KIND [--port ...] [options]\n"
    "\n"
    "Makes one pseudo-terminal per --port, links its program side as DIR/COMn and plays\n"
    "a device on it. Point the tools at it with COMPORT_DIR=DIR. Prints \"READY DIR\" on\n"
    "stdout once all ports are up, runs until SIGTERM or SIGINT, then removes its links.\n"
    "\n"
    "Kinds: vrx900  900 MHz EPC reader (VERSION answer \"VRX900-15\", inventory)\n"
    "       vrx433  433 MHz reader (\"VRX433-16\")\n"
    "       saw     433 MHz SAW reader (\"VRX433-SAW\")\n"
    "       wg      Wiegand controller (\"WG\")\n"
    "       k4000   K4000 device (\"K4000\")\n"
    "       silent  opens, never answers\n"
    "       noisy   random bytes, control codes and broken frames, never a model word\n"
    "       dsp     DSP board of the service tool (text answers, REC_ID answers, data blocks)\n"
    "\n"
    "Options:\n"
    "  --dir DIR            folder for the COMn links (created when missing)\n"
    "  --port COMn=KIND     add a device; repeatable\n"
    "  --addr COMn=A        bus address the reader on COMn answers (default 1)\n"
    "  --tags N             tags answering per inventory cycle (default 5)\n"
    "  --rate N             inventory cycles per second, 0 = back to back (default 5)\n"
    "  --flood              inventory answers back to back at the line rate\n"
    "  --ignore-stops N     EPC_STOP lines ignored before STOP_INVENTORY is answered\n"
    "  --no-pace            do not pace output at the line rate (10472 bytes/s)\n"
    "  --no-line-check      understand bytes whatever the line settings of the program side\n"
    "  --until-stdin-eof    also stop when stdin reaches end of file\n"
    "  --log                print a wire log on stderr\n"
    "  --help               this text\n";

int usage(const QString &msg)
{
    std::fprintf(stderr, "readersim: %s\nTry readersim --help\n", msg.toLocal8Bit().constData());
    return 2;
}

bool comNumber(const QString &name, int *n)
{
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return false;
    bool ok = false;
    *n = name.mid(3).toInt(&ok);
    return ok && *n >= 1 && *n <= 255;
}

QByteArray printable(const QByteArray &b)
{
    QByteArray out;
    for (char c : b.left(160)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\')
            out += c;
        else
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    }
    if (b.size() > 160)
        out += " ... (" + QByteArray::number(b.size()) + " bytes)";
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QString dir;
    QMap<int, sim::Kind> kinds;
    QMap<int, int> addrs;
    int tags = 5, rate = 5, ignoreStops = 0;
    bool flood = false, pace = true, lineCheck = true, untilEof = false, log = false;

    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        auto value = [&](QString *v) {
            if (i + 1 >= argc)
                return false;
            *v = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        auto number = [&](int *v) {
            QString s;
            bool ok = false;
            if (value(&s))
                *v = s.toInt(&ok);
            return ok && *v >= 0;
        };
        QString v;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (a == QLatin1String("--dir")) {
            if (!value(&dir))
                return usage(QStringLiteral("--dir needs a folder"));
        } else if (a == QLatin1String("--port") || a == QLatin1String("--addr")) {
            if (!value(&v))
                return usage(a + QStringLiteral(" needs COMn=..."));
            const QStringList parts = v.split('=');
            int com = 0;
            if (parts.size() != 2 || !comNumber(parts[0], &com))
                return usage(QStringLiteral("bad %1 %2").arg(a, v));
            if (a == QLatin1String("--port")) {
                sim::Kind k;
                if (!sim::kindFromString(parts[1], &k))
                    return usage(QStringLiteral("unknown kind %1").arg(parts[1]));
                kinds[com] = k;
            } else {
                bool ok = false;
                const int ad = parts[1].toInt(&ok);
                if (!ok || ad < 0 || ad > 255)
                    return usage(QStringLiteral("bad address %1").arg(parts[1]));
                addrs[com] = ad;
            }
        } else if (a == QLatin1String("--tags")) {
            if (!number(&tags))
                return usage(QStringLiteral("--tags needs a number"));
        } else if (a == QLatin1String("--rate")) {
            if (!number(&rate))
                return usage(QStringLiteral("--rate needs a number"));
        } else if (a == QLatin1String("--ignore-stops")) {
            if (!number(&ignoreStops))
                return usage(QStringLiteral("--ignore-stops needs a number"));
        } else if (a == QLatin1String("--flood")) {
            flood = true;
        } else if (a == QLatin1String("--no-pace")) {
            pace = false;
        } else if (a == QLatin1String("--no-line-check")) {
            lineCheck = false;
        } else if (a == QLatin1String("--until-stdin-eof")) {
            untilEof = true;
        } else if (a == QLatin1String("--log")) {
            log = true;
        } else {
            return usage(QStringLiteral("unknown argument %1").arg(a));
        }
    }
    if (dir.isEmpty())
        return usage(QStringLiteral("--dir is required"));
    if (kinds.isEmpty())
        return usage(QStringLiteral("no --port given"));
    for (auto it = addrs.cbegin(); it != addrs.cend(); ++it)
        if (!kinds.contains(it.key()))
            return usage(QStringLiteral("--addr for COM%1, which has no --port").arg(it.key()));

    // Block the stop signals before the simulator's thread starts, so only signalfd sees them.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGHUP);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int sfd = signalfd(-1, &mask, SFD_CLOEXEC);

    int rc = 0;
    {
        sim::Simulator s(dir);
        if (log) {
            s.setWireTap([](int com, bool fromProgram, const QByteArray &bytes) {
                std::fprintf(stderr, "COM%d %s %s\n", com, fromProgram ? "<<" : ">>", printable(bytes).constData());
            });
        }
        for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
            sim::PortOptions o;
            o.kind = it.value();
            o.busAddress = addrs.value(it.key(), 1);
            o.tagCount = tags;
            o.cyclesPerSecond = rate;
            o.flood = flood;
            o.stopsToIgnore = ignoreStops;
            o.pace = pace;
            o.checkLine = lineCheck;
            if (!s.addPort(it.key(), o)) {
                std::fprintf(stderr, "readersim: cannot create COM%d in %s\n", it.key(),
                             s.dir().toLocal8Bit().constData());
                return 1;
            }
            if (log)
                std::fprintf(stderr, "COM%d -> %s\n", it.key(), s.devicePath(it.key()).toLocal8Bit().constData());
        }
        std::printf("READY %s\n", s.dir().toLocal8Bit().constData());
        std::fflush(stdout);

        pollfd fds[2] = {{sfd, POLLIN, 0}, {untilEof ? STDIN_FILENO : -1, POLLIN, 0}};
        char buf[4096];
        for (;;) {
            const int pr = ::poll(fds, 2, -1);
            if (pr < 0) {
                if (errno == EINTR)
                    continue;
                rc = 1;
                break;
            }
            if (fds[0].revents & POLLIN)
                break;
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t r = ::read(STDIN_FILENO, buf, sizeof buf);
                if (r <= 0 && !(r < 0 && errno == EINTR))
                    break;
            }
        }
    } // the simulator closes its ports and removes the links here
    return rc;
}
