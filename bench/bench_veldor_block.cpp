// A 1 000 001-word data block from "DATA READY" to a drawn chart in the service window:
// the window's own block step (min/max envelope for long blocks) against filling the series
// with every point in bulk and point by point. Prints milliseconds; run by hand.
#include <SERV.h>
#include <thrd1.h>

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QTimer>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

class MemoryIo : public plat::ISerialIo {
public:
    std::size_t read(uint8_t *buf, std::size_t n) override
    {
        std::unique_lock<std::mutex> lk(m_);
        cv_.wait_for(lk, std::chrono::milliseconds(5), [this] { return pos_ < in_.size(); });
        const std::size_t k = std::min<std::size_t>(n, static_cast<std::size_t>(in_.size() - pos_));
        std::memcpy(buf, in_.constData() + pos_, k);
        pos_ += static_cast<qsizetype>(k);
        return k;
    }
    std::size_t write(const uint8_t *, std::size_t n) override { return n; }
    void feed(const QByteArray &b)
    {
        {
            std::lock_guard<std::mutex> lk(m_);
            in_ = b;
            pos_ = 0;
        }
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    QByteArray in_;
    qsizetype pos_ = 0;
};

double ms(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    constexpr int kWords = 1000001;
    QByteArray stream(1, '>');
    for (int i = 0; i < 4; ++i)
        stream.append(static_cast<char>((static_cast<quint32>(kWords) >> (8 * i)) & 0xFF));
    QVector<qint16> words(kWords);
    for (int i = 0; i < kWords; ++i) {
        words[i] = static_cast<qint16>(std::lround(12000.0 * std::sin(i / 40.0) + (i % 977) - 400));
        stream.append(static_cast<char>(words[i] & 0xFF));
        stream.append(static_cast<char>((static_cast<quint16>(words[i]) >> 8) & 0xFF));
    }

    MemoryIo io;
    TForm1 form(nullptr, new TMyCOMServiceThread(&io, QStringLiteral("COM1")), QDir::tempPath());
    form.Timer1->stop();
    form.actViewChart->trigger();
    form.show();
    app.processEvents();

    // The longest stretch the GUI thread spends away from its event loop.
    QElapsedTimer beat;
    double longest = 0;
    QTimer heart;
    heart.setInterval(1);
    QObject::connect(&heart, &QTimer::timeout, [&] {
        longest = std::max(longest, ms(beat));
        beat.restart();
    });
    auto settle = [&] {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300)
            app.processEvents(QEventLoop::AllEvents, 5);
    };
    auto startBeat = [&] {
        settle();
        longest = 0;
        beat.start();
        heart.start();
    };

    std::printf("block of %d words, platform %s\n", kWords, qPrintable(QApplication::platformName()));

    // 1. The window's block step, then the paint that shows it.
    io.feed(stream);
    while (!form.COMServiceThread->EventDATAReady.isSet())
        QThread::msleep(1);
    startBeat();
    QElapsedTimer t;
    t.start();
    form.Timer1Timer();
    const double step = ms(t);
    QElapsedTimer p;
    p.start();
    form.Chart1->viewport()->repaint();
    const double paint = ms(p);
    const double total = ms(t);
    app.processEvents();
    heart.stop();
    std::printf("window block step (envelope, %lld points drawn): step %.1f ms, paint %.1f ms, "
                "to first paint %.1f ms, longest GUI block %.1f ms\n",
                static_cast<long long>(form.Series1->count()), step, paint, total, std::max(longest, std::max(step, paint)));

    // 2. Every point, in bulk.
    QList<QPointF> all;
    all.reserve(kWords);
    for (int i = 0; i < kWords; ++i)
        all.append(QPointF(i, words[i]));
    startBeat();
    t.restart();
    form.Series1->replace(all);
    const double fillBulk = ms(t);
    p.restart();
    form.Chart1->viewport()->repaint();
    const double paintBulk = ms(p);
    const double totalBulk = ms(t);
    app.processEvents();
    heart.stop();
    std::printf("every point, bulk replace: fill %.1f ms, paint %.1f ms, to first paint %.1f ms, "
                "longest GUI block %.1f ms\n",
                fillBulk, paintBulk, totalBulk, std::max(longest, std::max(fillBulk, paintBulk)));

    // 3. Every point, one append at a time (as the block step was first written).
    const int byPoint = argc > 1 ? std::atoi(argv[1]) : kWords;
    startBeat();
    t.restart();
    form.Series1->clear();
    for (int i = 0; i < byPoint; ++i)
        form.Series1->append(i, words[i]);
    const double fillOne = ms(t);
    p.restart();
    form.Chart1->viewport()->repaint();
    const double paintOne = ms(p);
    const double totalOne = ms(t);
    heart.stop();
    std::printf("every point, one by one (%d points): fill %.1f ms, paint %.1f ms, to first paint %.1f ms, "
                "longest GUI block %.1f ms\n",
                byPoint, fillOne, paintOne, totalOne, std::max(fillOne, paintOne));
    return 0;
}
