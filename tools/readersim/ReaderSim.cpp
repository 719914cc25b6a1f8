#include "ReaderSim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <random>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr double kByteMicros = 1e6 / kLineBytesPerSecond;
constexpr qsizetype kInventoryLowWater = 2048;  // queue refill mark of a running inventory
constexpr qint32 kMaxBlockWords = 1000001;

const char *const kDspUid = "E00442B305010000";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A word of a command echoed in an answer: printable, no ";", short enough for any frame.
QByteArray cleanWord(const QByteArray &w)
{
    QByteArray out = w.left(64);
    for (char &c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == ';')
            c = '?';
    }
    return out;
}

QList<QByteArray> words(const QByteArray &text)
{
    QList<QByteArray> out;
    for (const QByteArray &w : text.split(' '))
        if (!w.isEmpty())
            out << cleanWord(w);
    return out;
}

QByteArray frame(const QByteArray &number, const QByteArray &body) { return ':' + number + ' ' + body + ';'; }

enum class SegTag { Other, StartInventory, Inv, Inventory /* other inventory bytes */ };

struct Segment {
    QByteArray bytes;
    qsizetype off = 0;
    bool paced = true;
    SegTag tag = SegTag::Other;
};

} // namespace

quint16 serviceChecksum(const QByteArray &numberBlankText)
{
    quint32 sum = 0;
    for (char c : numberBlankText)
        sum += static_cast<unsigned char>(c);
    return static_cast<quint16>(sum & 0xFFFF);
}

bool parseCommandLine(const QByteArray &segment, CommandLine *out)
{
    // The last ":" + 8 digits + blank wins: bytes of a line cut short before it are noise.
    qsizetype at = -1;
    for (qsizetype i = segment.size() - 10; i >= 0; --i) {
        if (segment[i] != ':' || segment[i + 9] != ' ')
            continue;
        bool digits = true;
        for (int k = 1; k <= 8 && digits; ++k)
            digits = isDigit(segment[i + k]);
        if (digits) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return false;
    CommandLine c;
    c.address = at > 0 ? static_cast<unsigned char>(segment[at - 1]) : -1;
    c.number = segment.mid(at + 1, 8);
    c.text = segment.mid(at + 10);
    // A service frame ends with a blank and the checksum right-aligned in 8 characters.
    const qsizetype n = c.text.size();
    if (n >= 9 && c.text[n - 9] == ' ') {
        const QByteArray field = c.text.right(8);
        const QByteArray trimmed = field.trimmed();
        bool shape = !trimmed.isEmpty() && field.endsWith(trimmed);
        for (char ch : trimmed)
            shape = shape && isDigit(ch);
        if (shape) {
            c.hasChecksum = true;
            const QByteArray body = c.text.left(n - 9);
            c.checksumOk = trimmed.toUInt() == serviceChecksum(c.number + ' ' + body);
            c.text = body;
        }
    }
    if (out)
        *out = c;
    return true;
}

QList<quint16> dspWave(int words, int phase)
{
    QList<quint16> out;
    out.reserve(std::max(words, 0));
    for (int i = 0; i < words; ++i) {
        const int k = i + phase;
        const double v = 12000.0 * std::sin(2.0 * M_PI * k / 250.0) + 40.0 * (k % 100) - 2000.0;
        out << static_cast<quint16>(static_cast<qint16>(std::lround(v)));
    }
    return out;
}

QByteArray dspBlockBytes(const QList<quint16> &w)
{
    QByteArray b;
    const auto n = static_cast<quint32>(w.size());
    b.reserve(5 + 2 * w.size());
    b.append('>');
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((n >> (8 * i)) & 0xFF));
    for (quint16 v : w) {
        b.append(static_cast<char>(v & 0xFF));
        b.append(static_cast<char>(v >> 8));
    }
    return b;
}

bool kindFromString(const QString &s, Kind *out)
{
    static const std::pair<const char *, Kind> table[] = {
        {"vrx900", Kind::Vrx900}, {"vrx433", Kind::Vrx433}, {"saw", Kind::Vrx433Saw},
        {"wg", Kind::Wiegand},    {"k4000", Kind::K4000},   {"silent", Kind::Silent},
        {"noisy", Kind::Noisy},   {"dsp", Kind::Dsp},
    };
    const QString k = s.trimmed().toLower();
    for (const auto &[name, kind] : table) {
        if (k == QLatin1String(name)) {
            if (out)
                *out = kind;
            return true;
        }
    }
    return false;
}

QString modelWord(Kind k)
{
    switch (k) {
    case Kind::Vrx900: return QStringLiteral("VRX900-15");
    case Kind::Vrx433: return QStringLiteral("VRX433-16");
    case Kind::Vrx433Saw: return QStringLiteral("VRX433-SAW");
    case Kind::Wiegand: return QStringLiteral("WG");
    case Kind::K4000: return QStringLiteral("K4000");
    default: return {};
    }
}

struct Simulator::Impl {
    struct Port {
        quint64 id = 0;
        int com = 0;
        PortOptions opt;
        int master = -1;
        int slave = -1; // kept open so the master never sees a hang-up; never read
        QString device;
        QString link;
        QByteArray inbuf;
        std::deque<Segment> out;
        qint64 queued = 0;
        double paceClock = 0; // micros since epoch of the pacing clock: when the next byte may go
        bool writeBlocked = false;
        // inventory
        bool invRunning = false;
        QByteArray invNumber;
        Clock::time_point nextCycle{};
        int stopsIgnored = 0;
        InventoryStats stats;
        // DSP
        QByteArray lastNumber = "00000000";
        std::deque<QByteArray> pendingBlocks;
        // noise
        std::mt19937 rng;
        Clock::time_point nextNoise{};
        Clock::time_point nextExclCheck{};
    };

    QString dir;
    bool ownDir = false;
    mutable std::mutex m;
    mutable std::condition_variable cv;
    std::map<int, std::unique_ptr<Port>> ports;
    std::map<int, QByteArray> logs;
    quint64 nextId = 1;
    WireTap tap;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::thread thread;
    const Clock::time_point epoch = Clock::now();

    double micros(Clock::time_point t) const
    {
        return static_cast<double>(std::chrono::duration_cast<microseconds>(t - epoch).count());
    }

    void wake()
    {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t r = ::write(wakeFd, &one, sizeof one);
    }

    Port *find(int com) const
    {
        auto it = ports.find(com);
        return it == ports.end() ? nullptr : it->second.get();
    }

    static void closePort(Port &p)
    {
        if (p.master >= 0)
            ::close(p.master);
        if (p.slave >= 0)
            ::close(p.slave);
        p.master = p.slave = -1;
        if (!p.link.isEmpty())
            QFile::remove(p.link);
    }

    void enqueue(Port &p, QByteArray bytes, bool paced, SegTag tag = SegTag::Other)
    {
        if (bytes.isEmpty())
            return;
        p.queued += bytes.size();
        p.out.push_back(Segment{std::move(bytes), 0, paced, tag});
    }

    // Drops inventory frames not yet begun; a frame on its way is finished whole.
    void dropInventory(Port &p)
    {
        std::deque<Segment> keep;
        for (Segment &s : p.out) {
            if (s.tag != SegTag::Other && s.off == 0) {
                p.queued -= s.bytes.size();
                continue;
            }
            keep.push_back(std::move(s));
        }
        p.out.swap(keep);
    }

    bool lineSettingsOk(const Port &p) const
    {
        if (!p.opt.checkLine)
            return true;
        termios t{};
        if (::tcgetattr(p.slave, &t) != 0)
            return false;
        return cfgetospeed(&t) == B115200 && cfgetispeed(&t) == B115200 && (t.c_cflag & CSIZE) == CS8
            && !(t.c_cflag & PARENB) && (t.c_cflag & CSTOPB);
    }

    // ---- personas ----------------------------------------------------------------------

    bool isReader(Kind k) const
    {
        return k == Kind::Vrx900 || k == Kind::Vrx433 || k == Kind::Vrx433Saw || k == Kind::Wiegand
            || k == Kind::K4000;
    }

    static QByteArray versionOf(Kind k)
    {
        switch (k) {
        case Kind::Vrx900: return "VRX900-15 V2.1";
        case Kind::Vrx433: return "VRX433-16 V3.0";
        case Kind::Vrx433Saw: return "VRX433-SAW V1.4";
        case Kind::Wiegand: return "WG V1.2";
        case Kind::K4000: return "K4000 V1.0";
        default: return {};
        }
    }

    void readerCommand(Port &p, const CommandLine &c, Clock::time_point now)
    {
        if (c.address != p.opt.busAddress)
            return;
        const QList<QByteArray> w = words(c.text);
        const QByteArray cmd = w.isEmpty() ? QByteArray() : w.first();
        const QByteArray crlf = "\r\n";
        if (cmd == "VERSION") {
            if (!p.opt.versionAnswer.isEmpty())
                enqueue(p, p.opt.versionAnswer.toLatin1(), true);
            else
                enqueue(p, frame(c.number, "VERSION " + versionOf(p.opt.kind)) + crlf, true);
            return;
        }
        if (p.opt.kind == Kind::Vrx900 && cmd == "QELM_EPC_INVENTORY_TIME") {
            enqueue(p, frame(c.number, "QELM_EPC_INVENTORY_TIME OK") + crlf, true);
            p.invRunning = true;
            p.stats.running = true;
            p.invNumber = c.number;
            p.nextCycle = now;
            p.stopsIgnored = 0;
            return;
        }
        if (p.opt.kind == Kind::Vrx900 && cmd == "EPC_STOP") {
            ++p.stats.stopsReceived;
            if (p.stopsIgnored < p.opt.stopsToIgnore) {
                ++p.stopsIgnored; // a stop the reader missed
                return;
            }
            p.invRunning = false;
            p.stats.running = false;
            dropInventory(p);
            enqueue(p, frame(c.number, "STOP_INVENTORY") + crlf, true);
            return;
        }
        if (cmd.isEmpty())
            enqueue(p, frame(c.number, "ERROR") + crlf, true);
        else
            enqueue(p, frame(c.number, cmd + " OK") + crlf, true);
    }

    void generateInventory(Port &p, Clock::time_point now)
    {
        if (!p.invRunning || now < p.nextCycle)
            return;
        qint64 invQueued = 0;
        for (const Segment &s : p.out)
            if (s.tag != SegTag::Other)
                invQueued += s.bytes.size() - s.off;
        if (invQueued >= kInventoryLowWater)
            return;
        const bool paced = true;
        enqueue(p, frame(p.invNumber, "START_INVENTORY " + QByteArray::number(p.opt.tagCount)) + "\r\n", paced,
                SegTag::StartInventory);
        for (int i = 0; i < p.opt.tagCount; ++i) {
            const QByteArray epc = "3000E2003412DC030119" + QByteArray::number(i, 16).toUpper().rightJustified(8, '0');
            const QByteArray rssi = QByteArray::number(-41 - (i * 7) % 40);
            enqueue(p, frame(p.invNumber, "INV 1 0 " + epc + ' ' + rssi) + "\r\n", paced, SegTag::Inv);
        }
        const bool backToBack = p.opt.flood || p.opt.cyclesPerSecond <= 0;
        p.nextCycle = backToBack ? now : now + microseconds(1000000 / p.opt.cyclesPerSecond);
    }

    void dspCommand(Port &p, const CommandLine &c)
    {
        // The board is alone on its link: it answers every address byte.
        p.lastNumber = c.number;
        if (!c.hasChecksum || !c.checksumOk) {
            enqueue(p, frame(c.number, "ERR_CRC"), true);
            return;
        }
        const QList<QByteArray> w = words(c.text);
        const QByteArray cmd = w.isEmpty() ? QByteArray() : w.first();
        const QByteArray arg1 = w.size() > 1 ? w[1] : QByteArray();
        QByteArray block;
        QByteArray answer;
        if (c.text.contains("UID") || c.text.contains("REC_ID")) {
            QByteArray uid = kDspUid;
            if (cmd.endsWith("CURRENT_UID")) {
                // The tag addressed by the UID pairs at the end of the command.
                QByteArray hex;
                for (const QByteArray &x : w.mid(1))
                    if (x.size() == 2)
                        hex += x;
                if (hex.size() >= 16)
                    uid = hex.right(16).toUpper();
            }
            if (cmd.startsWith("RD_")) {
                answer = "REC_ID " + uid + " RD " + (arg1.isEmpty() ? QByteArray("0") : arg1) + " 55";
                // The tag memory read from that address, as a data block.
                block = dspBlockBytes(dspWave(32, arg1.toInt()));
            } else if (cmd.startsWith("WR")) {
                answer = "REC_ID " + uid + " WR OK";
            } else {
                answer = "REC_ID " + uid;
            }
        } else if (cmd == "VERSION") {
            answer = "VERSION DSP-BF533 OK";
        } else if (cmd == "DATE") {
            answer = "DATE 14.03.2011 OK";
        } else if (cmd == "GET_DATA") {
            bool ok = false;
            int n = arg1.toInt(&ok);
            if (!ok || n < 0)
                n = 1000;
            n = std::min(n, kMaxBlockWords);
            answer = "GET_DATA " + QByteArray::number(n) + " OK";
            block = dspBlockBytes(dspWave(n));
        } else if (cmd == "TEST_1") {
            answer = "TEST_1 " + (arg1.isEmpty() ? QByteArray("866") : arg1) + " OK";
            block = dspBlockBytes(dspWave(1000, 17));
        } else if (cmd == "COLLISION_ARBITRATION") {
            answer = "COLLISION_ARBITRATION FOUND 1 OK";
        } else if (cmd == "SET_RF_MHZ") {
            answer = "SET_RF_MHZ " + arg1 + " OK";
        } else if (cmd.isEmpty()) {
            answer = "ERROR";
        } else {
            answer = cmd + " OK";
        }
        enqueue(p, frame(c.number, answer), true);
        enqueue(p, block, true);
        while (!p.pendingBlocks.empty()) {
            enqueue(p, std::move(p.pendingBlocks.front()), true);
            p.pendingBlocks.pop_front();
        }
    }

    void generateNoise(Port &p, Clock::time_point now)
    {
        if (now < p.nextNoise || !p.out.empty())
            return;
        // No upper-case letters at all: no model word can ever appear.
        static const char alpha[] = "abcdefghijklmnopqrstuvwxyz0123456789 -=.,:;";
        std::uniform_int_distribution<int> pick(0, 99);
        QByteArray b;
        const int len = 1 + pick(p.rng) % 48;
        const int style = pick(p.rng);
        if (style < 30) {
            // A frame broken by a control code.
            b += ':';
            for (int i = 0; i < len; ++i)
                b += alpha[pick(p.rng) % 36];
            b += static_cast<char>(pick(p.rng) % 16);
        } else {
            for (int i = 0; i < len; ++i) {
                const int r = pick(p.rng);
                if (r < 15)
                    b += static_cast<char>(pick(p.rng) % 16);        // control codes
                else if (r < 25)
                    b += static_cast<char>(0x80 + pick(p.rng) % 100); // high bytes
                else
                    b += alpha[pick(p.rng) % (sizeof alpha - 1)];
            }
        }
        enqueue(p, b, true);
        p.nextNoise = now + milliseconds(10 + pick(p.rng) % 40);
    }

    // ---- line handling -----------------------------------------------------------------

    void received(Port &p, const QByteArray &bytes, Clock::time_point now)
    {
        logs[p.com].append(bytes);
        cv.notify_all();
        if (tap)
            tap(p.com, true, bytes);
        if (!lineSettingsOk(p))
            return; // garbage at the device's line rate
        p.inbuf.append(bytes);
        qsizetype semi;
        while ((semi = p.inbuf.indexOf(';')) >= 0) {
            const QByteArray seg = p.inbuf.left(semi);
            p.inbuf.remove(0, semi + 1);
            CommandLine c;
            if (!parseCommandLine(seg, &c))
                continue;
            if (isReader(p.opt.kind))
                readerCommand(p, c, now);
            else if (p.opt.kind == Kind::Dsp)
                dspCommand(p, c);
        }
        if (p.inbuf.size() > 4096)
            p.inbuf.remove(0, p.inbuf.size() - 2048);
    }

    void segmentSent(Port &p, const Segment &s)
    {
        if (tap)
            tap(p.com, false, s.bytes);
        if (s.tag == SegTag::StartInventory)
            ++p.stats.cycles;
        else if (s.tag == SegTag::Inv)
            ++p.stats.invAnswers;
    }

    // Writes what the pacing allows; returns the time of the next byte due, or max when idle.
    Clock::time_point flush(Port &p, Clock::time_point now)
    {
        const double nowUs = micros(now);
        // After idle the clock restarts near now: a pause does not save up more than a short
        // burst, while a wake-up that comes a millisecond late still keeps the line rate.
        if (p.paceClock < nowUs - 64 * kByteMicros)
            p.paceClock = nowUs - 64 * kByteMicros;
        p.writeBlocked = false;
        while (!p.out.empty()) {
            Segment &s = p.out.front();
            const bool paced = s.paced && p.opt.pace;
            qsizetype n = s.bytes.size() - s.off;
            if (paced) {
                const auto allowed = static_cast<qsizetype>((nowUs - p.paceClock) / kByteMicros);
                if (allowed <= 0)
                    return epoch + microseconds(static_cast<long long>(p.paceClock + kByteMicros) + 1);
                n = std::min(n, allowed);
            }
            const ssize_t r = ::write(p.master, s.bytes.constData() + s.off, static_cast<size_t>(n));
            if (r <= 0) {
                if (r < 0 && errno == EINTR)
                    continue;
                p.writeBlocked = true;
                return Clock::time_point::max();
            }
            s.off += r;
            p.queued -= r;
            if (paced)
                p.paceClock += static_cast<double>(r) * kByteMicros;
            if (s.off >= s.bytes.size()) {
                segmentSent(p, s);
                p.out.pop_front();
            }
        }
        return Clock::time_point::max();
    }

    // A program that died with the port open leaves the exclusive flag behind, and our own
    // open slave keeps the tty alive, so nobody could open the port again. The program's
    // flock goes with its last descriptor: no lock held means the flag is stale.
    void clearStaleExclusive(Port &p, Clock::time_point now)
    {
        if (now < p.nextExclCheck)
            return;
        p.nextExclCheck = now + milliseconds(300);
        int excl = 0;
        if (::ioctl(p.slave, TIOCGEXCL, &excl) != 0 || !excl)
            return;
        if (::flock(p.slave, LOCK_EX | LOCK_NB) == 0) {
            ::ioctl(p.slave, TIOCNXCL);
            ::flock(p.slave, LOCK_UN);
        }
    }

    void run()
    {
        std::vector<pollfd> fds;
        std::vector<std::pair<int, quint64>> who;
        std::vector<char> buf(65536);
        while (!stopping) {
            fds.clear();
            who.clear();
            fds.push_back({wakeFd, POLLIN, 0});
            Clock::time_point due = Clock::now() + milliseconds(100);
            {
                std::lock_guard<std::mutex> lk(m);
                const auto now = Clock::now();
                for (auto &[com, pp] : ports) {
                    Port &p = *pp;
                    if (p.opt.kind == Kind::Vrx900) {
                        generateInventory(p, now);
                        if (p.invRunning)
                            due = std::min(due, std::max(p.nextCycle, now + milliseconds(1)));
                    }
                    if (p.opt.kind == Kind::Noisy) {
                        generateNoise(p, now);
                        due = std::min(due, std::max(p.nextNoise, now + milliseconds(1)));
                    }
                    clearStaleExclusive(p, now);
                    due = std::min(due, flush(p, now));
                    fds.push_back({p.master, static_cast<short>(POLLIN | (p.writeBlocked ? POLLOUT : 0)), 0});
                    who.emplace_back(com, p.id);
                }
            }
            const auto waitUs = std::chrono::duration_cast<microseconds>(due - Clock::now()).count();
            const int timeout = waitUs <= 0 ? 0 : static_cast<int>((waitUs + 999) / 1000);
            const int pr = ::poll(fds.data(), fds.size(), timeout);
            if (pr < 0 && errno != EINTR)
                std::this_thread::sleep_for(milliseconds(1));
            if (fds[0].revents & POLLIN) {
                uint64_t v;
                [[maybe_unused]] ssize_t r = ::read(wakeFd, &v, sizeof v);
            }
            std::lock_guard<std::mutex> lk(m);
            const auto now = Clock::now();
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!(fds[i].revents & POLLIN))
                    continue;
                Port *p = find(who[i - 1].first);
                if (!p || p->id != who[i - 1].second)
                    continue; // removed while we waited
                QByteArray got;
                for (;;) {
                    const ssize_t r = ::read(p->master, buf.data(), buf.size());
                    if (r > 0) {
                        got.append(buf.data(), r);
                        continue;
                    }
                    if (r < 0 && errno == EINTR)
                        continue;
                    break;
                }
                if (!got.isEmpty())
                    received(*p, got, now);
            }
        }
    }
};

Simulator::Simulator(const QString &dir) : d(std::make_unique<Impl>())
{
    if (dir.isEmpty()) {
        QByteArray tmpl = QFile::encodeName(QDir::tempPath() + QStringLiteral("/readersim-XXXXXX"));
        if (::mkdtemp(tmpl.data())) {
            d->dir = QFile::decodeName(tmpl);
            d->ownDir = true;
        }
    } else {
        QDir().mkpath(dir);
        d->dir = QFileInfo(dir).absoluteFilePath();
    }
    d->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    d->thread = std::thread([this] { d->run(); });
}

Simulator::~Simulator()
{
    d->stopping = true;
    d->wake();
    if (d->thread.joinable())
        d->thread.join();
    for (auto &[com, p] : d->ports)
        Impl::closePort(*p);
    d->ports.clear();
    if (d->wakeFd >= 0)
        ::close(d->wakeFd);
    if (d->ownDir && !d->dir.isEmpty())
        QDir(d->dir).removeRecursively();
}

QString Simulator::dir() const { return d->dir; }

bool Simulator::addPort(int com, const PortOptions &opt)
{
    if (com < 1 || d->dir.isEmpty())
        return false;
    removePort(com);
    auto p = std::make_unique<Impl::Port>();
    p->com = com;
    p->opt = opt;
    p->opt.tagCount = std::max(0, opt.tagCount);
    p->rng.seed(static_cast<unsigned>(com) * 7919u + 17u);
    p->master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p->master < 0)
        return false;
    char name[128] = {};
    if (::grantpt(p->master) != 0 || ::unlockpt(p->master) != 0 || ::ptsname_r(p->master, name, sizeof name) != 0) {
        ::close(p->master);
        return false;
    }
    p->device = QString::fromLocal8Bit(name);
    p->slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (p->slave < 0) {
        ::close(p->master);
        return false;
    }
    // Raw from the start: no echo back to the device, no output processing. The baud rate
    // stays at the pty's default until the program sets its line.
    termios t{};
    if (::tcgetattr(p->slave, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(p->slave, TCSANOW, &t);
    }
    const QString link = QDir(d->dir).filePath(QStringLiteral("COM%1").arg(com));
    const QByteArray linkName = QFile::encodeName(link);
    struct stat st {};
    if (::lstat(linkName.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode) || ::unlink(linkName.constData()) != 0) {
            Impl::closePort(*p);
            return false;
        }
    }
    if (::symlink(name, linkName.constData()) != 0) {
        Impl::closePort(*p);
        return false;
    }
    p->link = link;
    {
        std::lock_guard<std::mutex> lk(d->m);
        p->id = d->nextId++;
        d->logs[com].clear();
        d->ports[com] = std::move(p);
    }
    d->wake();
    return true;
}

void Simulator::removePort(int com)
{
    std::unique_ptr<Impl::Port> p;
    {
        std::lock_guard<std::mutex> lk(d->m);
        auto it = d->ports.find(com);
        if (it == d->ports.end())
            return;
        p = std::move(it->second);
        d->ports.erase(it);
        Impl::closePort(*p);
    }
    d->wake();
}

QString Simulator::devicePath(int com) const
{
    std::lock_guard<std::mutex> lk(d->m);
    const auto *p = d->find(com);
    return p ? p->device : QString();
}

QByteArray Simulator::wireLog(int com) const
{
    std::lock_guard<std::mutex> lk(d->m);
    auto it = d->logs.find(com);
    return it == d->logs.end() ? QByteArray() : it->second;
}

void Simulator::clearWireLog(int com)
{
    std::lock_guard<std::mutex> lk(d->m);
    d->logs[com].clear();
}

bool Simulator::waitForWire(int com, const QByteArray &needle, int ms) const
{
    std::unique_lock<std::mutex> lk(d->m);
    return d->cv.wait_for(lk, milliseconds(std::max(ms, 0)), [&] {
        auto it = d->logs.find(com);
        return it != d->logs.end() && it->second.contains(needle);
    });
}

void Simulator::inject(int com, const QByteArray &bytes, bool pace)
{
    {
        std::lock_guard<std::mutex> lk(d->m);
        auto *p = d->find(com);
        if (!p)
            return;
        d->enqueue(*p, bytes, pace);
    }
    d->wake();
}

Simulator::InventoryStats Simulator::inventoryStats(int com) const
{
    std::lock_guard<std::mutex> lk(d->m);
    const auto *p = d->find(com);
    return p ? p->stats : InventoryStats{};
}

void Simulator::dspSendBlock(int com, const QVector<quint16> &words, bool sendNow)
{
    QByteArray b = dspBlockBytes(words);
    {
        std::lock_guard<std::mutex> lk(d->m);
        auto *p = d->find(com);
        if (!p)
            return;
        if (sendNow)
            d->enqueue(*p, std::move(b), true);
        else
            p->pendingBlocks.push_back(std::move(b));
    }
    d->wake();
}

void Simulator::dspSendAnswer(int com, const QByteArray &text, bool recId)
{
    {
        std::lock_guard<std::mutex> lk(d->m);
        auto *p = d->find(com);
        if (!p)
            return;
        QByteArray f = text.startsWith(':') ? text : frame(p->lastNumber, (recId ? "REC_ID " : "") + text);
        d->enqueue(*p, std::move(f), true);
    }
    d->wake();
}

void Simulator::setWireTap(WireTap tap)
{
    std::lock_guard<std::mutex> lk(d->m);
    d->tap = std::move(tap);
}

qint64 Simulator::pendingOutput(int com) const
{
    std::lock_guard<std::mutex> lk(d->m);
    const auto *p = d->find(com);
    return p ? p->queued : 0;
}

} // namespace sim
