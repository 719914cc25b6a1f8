#pragma once
// Widget helpers standing in for the form designer: named components, lists with a line
// model, editable combo boxes whose typed text never joins the items, colour marks, timers.
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

namespace plat {

// Windows colour values (blue, green, red bytes from high to low).
constexpr int clBlack = 0;
constexpr int clRed = 255;
constexpr int clGreen = 32768;

// A list of text lines that only grows by appended lines; the view follows the model.
class Memo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit Memo(QWidget *parent = nullptr, const QString &name = {});
    void appendLine(const QString &line);
    void clearLines();
    int count() const { return static_cast<int>(lines_.size()); }
    const QString &line(int i) const { return lines_.at(i); }
    const QStringList &lines() const { return lines_; }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    QStringList lines_;
};

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption);
QComboBox *makeCombo(QWidget *parent, const QString &name, const QString &text,
                     const QStringList &items = {});
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption);
QTimer *makeTimer(QObject *parent, const QString &name, int intervalMs, bool enabled);

// The named Windows font where installed, else a metric-compatible stand-in (Liberation),
// so captions and fields keep the widths they were laid out for.
QFont windowsFont(const QString &family, int pixelSize, bool bold = false);

// Enabling an enabled timer keeps its period; disabling stops it.
void setTimerEnabled(QTimer *t, bool enabled);

// Font colour of a button or label as a Windows colour value; kept in property "fontColor".
void setFontColor(QWidget *w, int colorValue);
int fontColor(const QWidget *w);

} // namespace plat
