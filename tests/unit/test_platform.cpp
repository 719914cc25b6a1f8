// Conversions, events, definition texts and the serial port on real pseudo-terminals.
#include "Errors.h"
#include "Event.h"
#include "Handler.h"
#include "SerialPort.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// A pty pair: the program side is opened through plat::SerialPort by its path.
struct Pty {
    int master = -1;
    QString slavePath;
    Pty()
    {
        int slave = -1;
        char name[256];
        if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
            slavePath = QString::fromLocal8Bit(name);
            // Keep the slave side open here too so the master never sees a hang-up.
            keepSlave = slave;
        }
    }
    ~Pty()
    {
        ::close(master);
        ::close(keepSlave);
    }
    void send(const QByteArray &b) const { QCOMPARE_GE(::write(master, b.constData(), b.size()), 0); }
    QByteArray receive(int ms) const
    {
        QByteArray out;
        QElapsedTimer t;
        t.start();
        char buf[256];
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        while (t.elapsed() < ms) {
            const ssize_t r = ::read(master, buf, sizeof buf);
            if (r > 0)
                out.append(buf, r);
            else
                QThread::msleep(5);
        }
        return out;
    }
    int keepSlave = -1;
};

} // namespace

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("01") << "01" << true << 1;
        QTest::newRow("1") << "1" << true << 1;
        QTest::newRow("001") << "001" << true << 1;
        QTest::newRow("signed") << "-12" << true << -12;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("0x hex") << "0x10" << true << 16;
        QTest::newRow("0X hex") << "0XfF" << true << 255;
        QTest::newRow("hex full pattern") << "$FFFFFFFF" << true << -1;
        QTest::newRow("max") << "2147483647" << true << 2147483647;
        QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("overflow") << "2147483648" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blank") << " 1" << false << 0;
        QTest::newRow("trailing blank") << "1 " << false << 0;
        QTest::newRow("letters") << "AB" << false << 0;
        QTest::newRow("bare dollar") << "$" << false << 0;
        QTest::newRow("hex without prefix") << "1F" << false << 0;
    }
    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        if (ok) {
            QCOMPARE(plat::StrToInt(text), value);
        } else {
            try {
                plat::StrToInt(text);
                QFAIL("no error raised");
            } catch (const plat::Error &e) {
                QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
            }
        }
    }

    void timeTextHasHoursMinutesSeconds()
    {
        const QString t = plat::TimeText();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d{2}:\\d{2}")).match(t).hasMatch(), qPrintable(t));
    }

    void definition_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stop");
        QTest::newRow("console") << "COM3: baud=115200 parity=N data=8 stop=2" << true << 115200 << 2;
        QTest::newRow("no port name") << "baud=9600 parity=E data=7 stop=1" << true << 9600 << 1;
        QTest::newRow("COM10") << "COM10: baud=115200 parity=N data=8 stop=2" << true << 115200 << 2;
        QTest::newRow("odd baud") << "COM1: baud=12345 parity=N data=8 stop=2" << false << 0 << 0;
        QTest::newRow("bad parity") << "COM1: baud=115200 parity=X data=8 stop=2" << false << 0 << 0;
        QTest::newRow("bad data") << "COM1: baud=115200 parity=N data=9 stop=2" << false << 0 << 0;
        QTest::newRow("stop 1.5") << "COM1: baud=115200 parity=N data=8 stop=1.5" << false << 0 << 0;
        QTest::newRow("unknown key") << "COM1: baud=115200 speed=3" << false << 0 << 0;
        QTest::newRow("empty") << "" << false << 0 << 0;
    }
    void definition()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        plat::LineSettings s;
        QString err;
        QCOMPARE(plat::parseDefinition(text, &s, &err), ok);
        if (ok) {
            QTEST(s.baud, "baud");
            QTEST(s.stopBits, "stop");
        } else {
            QVERIFY(!err.isEmpty());
        }
    }

    void definitionIsAppliedToTheLine()
    {
        Pty pty;
        plat::SerialPort port;
        QVERIFY(port.open(pty.slavePath));
        QString err;
        QVERIFY2(port.applyDefinition(QStringLiteral("COM3: baud=115200 parity=N data=8 stop=2"), &err), qPrintable(err));
        termios tio{};
        QCOMPARE(::tcgetattr(pty.keepSlave, &tio), 0);
        QCOMPARE(cfgetospeed(&tio), speed_t(B115200));
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(tio.c_cflag & CSTOPB);
        QVERIFY(!(tio.c_cflag & PARENB));
        QVERIFY(!port.applyDefinition(QStringLiteral("baud=115200 parity=N data=8 stop=3"), &err));
        QVERIFY(err.contains(QStringLiteral("stop")));
    }

    void events()
    {
        plat::Event manual(true, false, QStringLiteral("m"));
        QVERIFY(!manual.wait(1));
        manual.set();
        QVERIFY(manual.wait(1));
        QVERIFY(manual.wait(1)); // stays set until reset
        manual.reset();
        QVERIFY(!manual.wait(1));

        plat::Event automatic(false, false);
        automatic.set();
        QVERIFY(automatic.wait(1));
        QVERIFY(!automatic.wait(1)); // a successful wait consumed it

        plat::Event wake(true, false);
        std::thread t([&] {
            QThread::msleep(50);
            wake.set();
        });
        QVERIFY(wake.wait(5000));
        t.join();
    }

    void exclusiveOpenInOneProcess()
    {
        Pty pty;
        plat::SerialPort a, b;
        QVERIFY(a.open(pty.slavePath));
        QString err;
        QVERIFY(!b.open(pty.slavePath, &err));
        QVERIFY(err.contains(QStringLiteral("in use")));
        a.close();
        QVERIFY(b.open(pty.slavePath));
    }

    void exclusiveOpenFromAnotherProcess()
    {
        Pty pty;
        plat::SerialPort a;
        QVERIFY(a.open(pty.slavePath));
        const QByteArray path = pty.slavePath.toLocal8Bit();
        const pid_t child = ::fork();
        if (child == 0) {
            plat::SerialPort b;
            ::_exit(b.open(QString::fromLocal8Bit(path)) ? 1 : 0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0); // the second open failed, also when run as root
    }

    void missingDeviceDoesNotOpen()
    {
        plat::SerialPort p;
        QString err;
        QVERIFY(!p.open(QStringLiteral("/nonexistent/COM99"), &err));
        QVERIFY(!err.isEmpty());
    }

    // The time-out rules: count reached, interval after the first byte, total for the call.
    void readTimeouts()
    {
        Pty pty;
        plat::SerialPort port;
        QVERIFY(port.open(pty.slavePath));
        uint8_t buf[64];

        // Total: multiplier x count + constant, nothing arriving.
        port.setTimeouts({0, 2, 100, 0, 0});
        QElapsedTimer t;
        t.start();
        QCOMPARE(port.read(buf, 50), std::size_t(0));
        QVERIFY2(t.elapsed() >= 195, qPrintable(QString::number(t.elapsed())));

        // Count reached: returns with exactly the requested bytes.
        port.setTimeouts({100, 10, 5000, 0, 0});
        pty.send("ABCDEFGH");
        t.restart();
        QCOMPARE(port.read(buf, 4), std::size_t(4));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), 4), QByteArray("ABCD"));
        QCOMPARE(port.read(buf, 4), std::size_t(4));
        QVERIFY(t.elapsed() < 4000);

        // Interval: a pause after the first byte ends the read with what has come.
        port.setTimeouts({100, 0, 20000, 0, 0});
        std::thread later([&] {
            pty.send("xy");
            QThread::msleep(600);
            pty.send("z");
        });
        t.restart();
        const std::size_t n = port.read(buf, 10);
        later.join();
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buf), int(n)), QByteArray("xy"));
        QVERIFY(t.elapsed() < 20000);
        QThread::msleep(50);
        QCOMPARE(port.read(buf, 10), std::size_t(1)); // "z" is still there for the next read
    }

    void cancelEndsReadAtOnce()
    {
        Pty pty;
        plat::SerialPort port;
        QVERIFY(port.open(pty.slavePath));
        port.setTimeouts({0, 0, 0, 0, 0}); // no time-out at all
        std::atomic<bool> done{false};
        std::thread reader([&] {
            uint8_t b[8];
            port.read(b, sizeof b);
            done = true;
        });
        QThread::msleep(50);
        QVERIFY(!done);
        port.cancel();
        reader.join();
        QVERIFY(done);
    }

    // One thread reads while another writes, on the same port, without a lock.
    void readWhileWriting()
    {
        Pty pty;
        plat::SerialPort port;
        QVERIFY(port.open(pty.slavePath));
        port.setTimeouts({1, 1, 1, 0, 0});
        std::atomic<bool> stop{false};
        QByteArray got;
        std::thread reader([&] {
            uint8_t b[100];
            while (!stop) {
                const std::size_t n = port.read(b, sizeof b);
                got.append(reinterpret_cast<char *>(b), int(n));
            }
        });
        QByteArray sent;
        for (int i = 0; i < 200; ++i) {
            const QByteArray line = QByteArray("line ") + QByteArray::number(i) + ';';
            QCOMPARE(port.write(reinterpret_cast<const uint8_t *>(line.constData()), line.size()), std::size_t(line.size()));
            sent += line;
            pty.send(line);
        }
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), sent.size(), 10000);
        stop = true;
        reader.join();
        QCOMPARE(got, sent);
        QCOMPARE(pty.receive(300), sent);
    }

    void errorBoxesDoNotStack()
    {
        int shown = 0;
        auto old = plat::setErrorBox([&](const QString &) {
            ++shown;
            // An error raised while the box is open is not shown on top of it.
            plat::guarded([] { throw plat::Error(QStringLiteral("second")); });
        });
        plat::guarded([] { throw plat::Error(QStringLiteral("first")); });
        QCOMPARE(shown, 1);
        plat::guarded([] { throw std::runtime_error("third"); });
        QCOMPARE(shown, 2);
        plat::setErrorBox(old);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
