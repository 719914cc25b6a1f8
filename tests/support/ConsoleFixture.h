#pragma once
// A console window wired to a simulated bench: ports in a private COMPORT_DIR, the error box
// replaced by a recorder, and helpers that drive the answer pump by calling its tick.
#include "Handler.h"
#include "ReaderSim.h"
#include "Unit_main_qelm18.h"
#include "UnitCOM_A.h"
#include "Tmy_COM.h"

#include <QElapsedTimer>
#include <QTest>
#include <functional>
#include <memory>

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
};
