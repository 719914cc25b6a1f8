#pragma once
// A console window wired to a simulated bench: ports in a private COMPORT_DIR, the error box
// replaced by a recorder, and helpers that drive the answer pump by calling its tick.
#include "Handler.h"
#include "ReaderSim.h"
#include "Unit_main_qelm18.h"
#include "UnitCOM_A.h"
#include "Tmy_COM.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <functional>
#include <memory>

// The command text of a send-list line "01:00000007 TEXT;".
inline QString textOf(const QString &sendLine)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-F]{2}:\\d{8} (.*);$"));
    const auto m = re.match(sendLine);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("<not a line: %1>").arg(sendLine);
}

// The bytes a send-list line stands for on the wire.
inline QByteArray wireOf(const QString &sendLine)
{
    QByteArray b;
    b.append(static_cast<char>(sendLine.left(2).toInt(nullptr, 16)));
    b.append(sendLine.mid(2).toLatin1());
    return b;
}

struct ConsoleBench {
    sim::Simulator sim;
    std::unique_ptr<TFormPLUV> form;
    QStringList errors;
    plat::ErrorBoxFn oldBox;

    ConsoleBench()
    {
        qputenv("COMPORT_DIR", sim.dir().toLocal8Bit());
        oldBox = plat::setErrorBox([this](const QString &m) { errors << m; });
    }
    ~ConsoleBench()
    {
        form.reset();
        plat::setErrorBox(oldBox);
    }
    void addPort(int com, sim::Kind kind) { QVERIFY(sim.addPort(com, kind)); }
    void addPort(int com, const sim::PortOptions &o) { QVERIFY(sim.addPort(com, o)); }
    TFormPLUV &open()
    {
        form = std::make_unique<TFormPLUV>();
        return *form;
    }
    // A window that has found a reader on COM1.
    TFormPLUV &openWithReader(const sim::PortOptions &o)
    {
        sim.addPort(1, o);
        open();
        form->BF_START();
        return *form;
    }
    TFormPLUV &openWithReader(sim::Kind kind)
    {
        sim::PortOptions o;
        o.kind = kind;
        return openWithReader(o);
    }
    // Calls the pump's tick until pred holds; no event loop, so no other timer fires.
    bool pumpUntil(const std::function<bool()> &pred, int ms = 15000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            plat::guarded([this] { form->TimerMAINTimer(); });
            if (pred())
                return true;
            QThread::msleep(5);
        }
        return pred();
    }
    bool recContains(const QString &needle) const
    {
        for (const QString &l : form->MemoUTIL_REC->lines())
            if (l.contains(needle))
                return true;
        return false;
    }
    QStringList sendLines() const { return form->MemoUTIL_SEND->lines(); }
    QString lastSent() const { return form->MemoUTIL_SEND->count() ? form->MemoUTIL_SEND->lines().last() : QString(); }

    // Clicks a button through its connection; returns the text of the one line it sent, after
    // checking that line's bytes reached the device on COMn.
    QString clickAndTake(const QString &button, int com = 1)
    {
        auto *b = form->findChild<QPushButton *>(button);
        if (!b)
            return QStringLiteral("<no button %1>").arg(button);
        const int before = form->MemoUTIL_SEND->count();
        b->click();
        if (form->MemoUTIL_SEND->count() != before + 1)
            return QStringLiteral("<%1 lines sent>").arg(form->MemoUTIL_SEND->count() - before);
        if (!sim.waitForWire(com, wireOf(lastSent()), 5000))
            return QStringLiteral("<not on the wire: %1>").arg(lastSent());
        return textOf(lastSent());
    }
};
