// A 900 MHz reader floods inventory answers at the line rate against the real console window
// (its timers and event loop running). Reports answers sent, answers reaching the receive
// list, answers lost, the worst latency from the wire to the list, and peak memory.
//   bench_console_inventory [--seconds N] [--tags N]
#include "ReaderSim.h"
#include "Unit_main_qelm18.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <mutex>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int seconds = 60;
    int tags = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--seconds") == 0)
            seconds = atoi(argv[++i]);
        else if (qstrcmp(argv[i], "--tags") == 0)
            tags = atoi(argv[++i]);
    }
    QApplication app(argc, argv);

    sim::Simulator simulator;
    sim::PortOptions o;
    o.kind = sim::Kind::Vrx900;
    o.flood = true;
    o.tagCount = tags;
    simulator.addPort(1, o);
    qputenv("COMPORT_DIR", simulator.dir().toLocal8Bit());

    TFormPLUV form;
    form.show();
    form.BF_START();
    if (!form.portObject()) {
        std::fprintf(stderr, "reader not found\n");
        return 1;
    }

    // Frames as the simulator writes them, with the time their last byte went out.
    QElapsedTimer clock;
    clock.start();
    std::mutex m;
    QList<QByteArray> wireFrames;
    QList<qint64> wireTimes;
    QByteArray partial;
    bool collecting = false;
    simulator.setWireTap([&](int, bool fromProgram, const QByteArray &bytes) {
        if (fromProgram)
            return;
        const qint64 now = clock.elapsed();
        std::lock_guard<std::mutex> lk(m);
        for (char c : bytes) {
            if (c == ':') {
                partial = ":";
                collecting = true;
            } else if (collecting && static_cast<unsigned char>(c) < 0x10) {
                collecting = false;
            } else if (collecting) {
                partial += c;
                if (c == ';') {
                    wireFrames << partial;
                    wireTimes << now;
                    collecting = false;
                }
            }
        }
    });

    // Every line the receive list gets after the start command, with its arrival time.
    const int firstLine = form.MemoUTIL_REC->count();
    QList<qint64> listTimes;
    QObject::connect(form.MemoUTIL_REC, &QPlainTextEdit::blockCountChanged, &form,
                     [&] { listTimes << clock.elapsed(); });

    // The GUI thread's longest gap between two 1 ms probe ticks: how long the window froze.
    qint64 lastProbe = 0, worstGap = 0;
    QTimer probe;
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastProbe)
            worstGap = std::max(worstGap, now - lastProbe);
        lastProbe = now;
    });
    probe.start();

    QTimer progress;
    progress.setInterval(1000);
    QObject::connect(&progress, &QTimer::timeout, [&] {
        if (!qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            return;
        std::lock_guard<std::mutex> lk(m);
        std::fprintf(stderr, "t=%llds wire=%lld list=%lld\n", static_cast<long long>(clock.elapsed() / 1000),
                     static_cast<long long>(wireFrames.size()), static_cast<long long>(listTimes.size()));
    });
    progress.start();
    const qint64 startAt = clock.elapsed();
    form.BitBtnEPC_INVENTORY_TIME->click();
    qint64 sentAtEnd = 0;
    QTimer::singleShot(seconds * 1000, [&] {
        std::lock_guard<std::mutex> lk(m);
        sentAtEnd = wireFrames.size();
    });
    // Five seconds more for the window to take what was sent in time.
    QTimer::singleShot(seconds * 1000 + 5000, &app, &QApplication::quit);
    QApplication::exec();
    simulator.setWireTap({});

    std::lock_guard<std::mutex> lk(m);
    const QStringList &rec = form.MemoUTIL_REC->lines();
    qint64 matched = 0;
    while (matched < sentAtEnd && firstLine + matched < rec.size()
           && rec.at(firstLine + matched) == QString::fromLatin1(wireFrames.at(matched)))
        ++matched;
    if (matched < sentAtEnd && firstLine + matched < rec.size())
        std::fprintf(stderr, "first difference at answer %lld:\n  wire: %s\n  list: %s\n", static_cast<long long>(matched),
                     wireFrames.at(matched).constData(), qPrintable(rec.at(firstLine + matched)));
    // The pump first looks 1000 ms after detection; answers of that first second wait for it.
    // "steady" figures leave out answers written before the pump's second tick.
    qint64 worstLatency = 0, worstSteady = 0, steadyCount = 0;
    double sumLatency = 0, sumSteady = 0;
    for (qint64 i = 0; i < matched && i < listTimes.size(); ++i) {
        const qint64 lat = listTimes.at(i) - wireTimes.at(i);
        worstLatency = std::max(worstLatency, lat);
        sumLatency += lat;
        if (wireTimes.at(i) >= startAt + 1500) {
            worstSteady = std::max(worstSteady, lat);
            sumSteady += lat;
            ++steadyCount;
        }
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    const auto stats = simulator.inventoryStats(1);
    std::printf("duration_s            %d\n", seconds);
    std::printf("tags_per_cycle        %d\n", tags);
    std::printf("answers_sent          %lld\n", static_cast<long long>(sentAtEnd));
    std::printf("answers_in_list       %lld\n", static_cast<long long>(matched));
    std::printf("answers_lost          %lld\n", static_cast<long long>(sentAtEnd - matched));
    std::printf("answers_per_second    %.1f\n", seconds ? double(sentAtEnd) / seconds : 0.0);
    std::printf("inventory_cycles      %llu\n", static_cast<unsigned long long>(stats.cycles));
    std::printf("latency_avg_ms        %.2f\n", matched ? sumLatency / double(matched) : 0.0);
    std::printf("latency_worst_ms      %lld\n", static_cast<long long>(worstLatency));
    std::printf("steady_latency_avg_ms %.2f\n", steadyCount ? sumSteady / double(steadyCount) : 0.0);
    std::printf("steady_latency_worst_ms %lld\n", static_cast<long long>(worstSteady));
    std::printf("gui_worst_gap_ms      %lld\n", static_cast<long long>(worstGap));
    std::printf("peak_rss_mb           %.1f\n", ru.ru_maxrss / 1024.0);
    std::fflush(stdout);
    form.close();
    return sentAtEnd == matched ? 0 : 1;
}
