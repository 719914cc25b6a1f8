#include "COM_PORT_SELECT.h"

#include <Handler.h>
#include <Widgets.h>

#include <QDir>
#include <QFile>

namespace {

QString choicePath(const QString &folder)
{
    const QString name = QStringLiteral("SRV.dat");
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

bool accepted(const QByteArray &s)
{
    for (int i = 1; i <= 10; ++i)
        if (s == "COM" + QByteArray::number(i))
            return true;
    return false;
}

bool writeLine(const QString &path, const QByteArray &line)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = line + "\r\n";
    const bool ok = f.write(bytes) == bytes.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

} // namespace

QString ReadPortChoice(const QString &folder, bool *fileOk)
{
    const QString path = choicePath(folder);
    if (fileOk)
        *fileOk = true;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        QByteArray line = f.readLine(4096);
        const bool readOk = f.error() == QFileDevice::NoError;
        f.close();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (readOk && accepted(line))
            return QString::fromLatin1(line);
        if (readOk && QFile::remove(path) && writeLine(path, "COM1"))
            return QStringLiteral("COM1");
    }
    // Missing or unreadable, or the repair above failed: create the file anew.
    if (!writeLine(path, "COM1") && fileOk)
        *fileOk = false;
    return QStringLiteral("COM1");
}

bool WritePortChoice(const QString &text, const QString &folder)
{
    return writeLine(choicePath(folder), text.toLatin1());
}

TForm2::TForm2(QWidget *parent, const QString &folder) : QWidget(parent), folder_(folder)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setWindowFlag(Qt::Window);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    resize(425, 256);
    move(477, 367);

    Label1 = plat::makeLabel(this, QStringLiteral("Label1"), QStringLiteral("SELECT Serial PORT"));
    Label1->move(48, 24);
    Label1->adjustSize();

    QStringList items;
    for (int i = 1; i <= 10; ++i)
        items << QStringLiteral("COM%1").arg(i);
    cbSelectCOM_PORT = plat::makeCombo(this, QStringLiteral("cbSelectCOM_PORT"), QStringLiteral("COM1"), items);
    cbSelectCOM_PORT->setGeometry(192, 16, 145, 21);

    FormCreate();
    // Every edit and every pick writes the file; the last text wins.
    plat::connectHandler(cbSelectCOM_PORT, &QComboBox::editTextChanged, this, [this] { cbSelectCOM_PORTChange(); });
}

void TForm2::FormCreate()
{
    const QString s = ReadPortChoice(folder_);
    QSignalBlocker block(cbSelectCOM_PORT);
    cbSelectCOM_PORT->setEditText(s);
}

void TForm2::cbSelectCOM_PORTChange()
{
    // A failed write is ignored: the next start repairs whatever is left.
    WritePortChoice(cbSelectCOM_PORT->currentText(), folder_);
}
