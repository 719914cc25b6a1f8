#include "Handler.h"
#include "Errors.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace plat {

namespace {

bool g_boxOpen = false;

ErrorBoxFn &errorBox()
{
    static ErrorBoxFn fn = [](const QString &message) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    };
    return fn;
}

MessageBoxFn &msgBox()
{
    static MessageBoxFn fn = [](QWidget *parent, const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
        box.exec();
    };
    return fn;
}

SaveDialogFn &saveDlg()
{
    static SaveDialogFn fn = [](QWidget *parent, const QString &title, const QString &initialName,
                                const QString &filter) {
        // As the Windows save dialogue by default: no overwrite prompt.
        return QFileDialog::getSaveFileName(parent, title, initialName, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    return fn;
}

} // namespace

ErrorBoxFn setErrorBox(ErrorBoxFn fn)
{
    ErrorBoxFn old = std::move(errorBox());
    errorBox() = std::move(fn);
    return old;
}

void showError(const QString &message)
{
    // A repeating timer meets its error at every tick: one box at a time.
    if (g_boxOpen)
        return;
    g_boxOpen = true;
    try {
        errorBox()(message);
    } catch (...) {
    }
    g_boxOpen = false;
}

void reportException(const std::exception &e) noexcept
{
    try {
        if (auto *pe = dynamic_cast<const Error *>(&e))
            showError(pe->message());
        else
            showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
    }
}

void reportUnknown() noexcept
{
    try {
        showError(QStringLiteral("Unknown error"));
    } catch (...) {
    }
}

MessageBoxFn setMessageBox(MessageBoxFn fn)
{
    MessageBoxFn old = std::move(msgBox());
    msgBox() = std::move(fn);
    return old;
}

void messageBox(QWidget *parent, const QString &text)
{
    msgBox()(parent, text);
}

SaveDialogFn setSaveDialog(SaveDialogFn fn)
{
    SaveDialogFn old = std::move(saveDlg());
    saveDlg() = std::move(fn);
    return old;
}

QString saveFileDialog(QWidget *parent, const QString &title, const QString &initialName, const QString &filter)
{
    return saveDlg()(parent, title, initialName, filter);
}

} // namespace plat
