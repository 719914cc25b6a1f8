#pragma once
// Every event handler goes through guarded(): an error ends the handler there and
// is shown in one error box; it never unwinds through the event loop.
#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace plat {

using ErrorBoxFn = std::function<void(const QString &message)>;
// Replaces the error box (tests record instead of showing). Returns the previous function.
ErrorBoxFn setErrorBox(ErrorBoxFn fn);
// Shows message through the current box unless a box is already open.
void showError(const QString &message);

void reportException(const std::exception &e) noexcept;
void reportUnknown() noexcept;

template <typename F>
void guarded(F &&f) noexcept
{
    try {
        f();
    } catch (const std::exception &e) {
        reportException(e);
    } catch (...) {
        reportUnknown();
    }
}

// connect() through the wrapper; the handler takes no arguments.
template <typename Sender, typename Signal, typename F>
QMetaObject::Connection connectHandler(Sender *sender, Signal signal, QObject *context, F f)
{
    return QObject::connect(sender, signal, context, [f]() mutable { guarded(f); });
}

// Replaceable modal boxes and dialogs, so tests never block.
using MessageBoxFn = std::function<void(QWidget *parent, const QString &text)>;
MessageBoxFn setMessageBox(MessageBoxFn fn);
void messageBox(QWidget *parent, const QString &text);

using SaveDialogFn = std::function<QString(QWidget *parent, const QString &title,
                                           const QString &initialName, const QString &filter)>;
SaveDialogFn setSaveDialog(SaveDialogFn fn);
QString saveFileDialog(QWidget *parent, const QString &title, const QString &initialName,
                       const QString &filter = {});

} // namespace plat
