#include "Widgets.h"

#include <QFontDatabase>
#include <QAbstractItemView>
#include <QLineEdit>

#include <algorithm>
#include <QPalette>
#include <QScrollBar>

namespace plat {

Memo::Memo(QWidget *parent, const QString &name) : QPlainTextEdit(parent)
{
    setObjectName(name);
    setReadOnly(true);
    // Long lines wrap in the view, one model line each, as the bench tool's lists did.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
}

void Memo::appendLine(const QString &line)
{
    lines_.append(line);
    // One view line per model line, whatever characters the line holds.
    QString shown = line;
    for (QChar &c : shown)
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QChar(0xB7);
    appendPlainText(shown);
}

void Memo::clearLines()
{
    lines_.clear();
    QPlainTextEdit::clear();
}

void Memo::mouseDoubleClickEvent(QMouseEvent *e)
{
    QPlainTextEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setProperty("fontColor", clBlack);
    return b;
}

QComboBox *makeCombo(QWidget *parent, const QString &name, const QString &text, const QStringList &items)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    // Typed text is sent exactly as typed: no completion rewriting it.
    c->setCompleter(nullptr);
    // Long items must not widen the window; the drop-down list still shows them whole.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(std::clamp(static_cast<int>(text.size()), 3, 16));
    if (!items.isEmpty())
        c->view()->setMinimumWidth(c->view()->sizeHintForColumn(0) + 24);
    c->setEditText(text);
    return c;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setProperty("fontColor", clBlack);
    return l;
}

QTimer *makeTimer(QObject *parent, const QString &name, int intervalMs, bool enabled)
{
    auto *t = new QTimer(parent);
    t->setObjectName(name);
    t->setInterval(intervalMs);
    if (enabled)
        t->start();
    return t;
}

QFont windowsFont(const QString &family, int pixelSize, bool bold)
{
    const bool mono = family.startsWith(QLatin1String("Courier"));
    QFont f;
    f.setFamilies(mono ? QStringList{family, QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")}
                       : QStringList{family, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(mono ? QFont::TypeWriter : QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void setTimerEnabled(QTimer *t, bool enabled)
{
    if (enabled) {
        if (!t->isActive())
            t->start();
    } else {
        t->stop();
    }
}

void setFontColor(QWidget *w, int colorValue)
{
    w->setProperty("fontColor", colorValue);
    // Windows colour values hold blue, green, red from high byte to low.
    const QColor c(colorValue & 0xFF, (colorValue >> 8) & 0xFF, (colorValue >> 16) & 0xFF);
    QPalette p = w->palette();
    p.setColor(QPalette::ButtonText, c);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c); // the text of a memo
    w->setPalette(p);
}

int fontColor(const QWidget *w)
{
    return w->property("fontColor").toInt();
}

} // namespace plat
