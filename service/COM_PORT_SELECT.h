#pragma once
// The port choice file "SRV.dat" and the window that changes it.
#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;

// Reads line 1 of "SRV.dat" in folder (the working folder when empty) and returns it when it
// is "COM1".."COM10"; otherwise rewrites the file to "COM1" and returns "COM1".
// *fileOk (when given) is false when the file could be neither read nor rewritten:
// the caller then goes on with "COM1" in memory.
QString ReadPortChoice(const QString &folder = {}, bool *fileOk = nullptr);
// Replaces "SRV.dat" in folder by one line holding text. False on failure.
bool WritePortChoice(const QString &text, const QString &folder = {});

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr, const QString &folder = {});

    QLabel *Label1;
    QComboBox *cbSelectCOM_PORT;

    void FormCreate();
    void cbSelectCOM_PORTChange();

private:
    QString folder_;
};
