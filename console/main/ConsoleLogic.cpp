#include "ConsoleLogic.h"

#include "Errors.h"

#include <QFile>

namespace logic {

QString incHexWord(const QString &text)
{
    quint32 v = 0;
    int taken = 0;
    for (QChar c : text) {
        if (taken == 8)
            break;
        const ushort u = c.unicode();
        int d;
        if (u >= '0' && u <= '9')
            d = u - '0';
        else if (u >= 'a' && u <= 'f')
            d = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            d = u - 'A' + 10;
        else
            break;
        v = v * 16 + static_cast<quint32>(d);
        ++taken;
    }
    ++v; // FFFFFFFF wraps to 0
    return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')).toUpper();
}

QString wiegandClockText(const QDateTime &t)
{
    const QDate d = t.date();
    const QTime tm = t.time();
    auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return QStringList{two(d.day()), two(d.month()), two(d.year() % 100), two(tm.hour()),
                       two(tm.minute()), two(tm.second())}
        .join(QLatin1Char(' '));
}

QStringList logFileNames(const QString &base)
{
    return {base + QStringLiteral("-ALL_STR.txt"), base + QStringLiteral("-FILTR_STR.txt"),
            base + QStringLiteral("-INFO_STR.txt")};
}

QString logPresetName(const QString &timeText)
{
    QString s = timeText;
    s.replace(QLatin1Char(':'), QLatin1Char('_'));
    return s;
}

void writeLinesFile(const QString &fileName, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        for (QChar c : line) {
            // Answer texts carry one byte per character; anything wider goes out as UTF-8.
            if (c.unicode() < 256)
                bytes.append(static_cast<char>(c.unicode()));
            else
                bytes.append(QString(c).toUtf8());
        }
        bytes.append("\r\n");
    }
    QFile f(fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw plat::Error(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, f.errorString()));
    bool written = f.write(bytes) == bytes.size() && f.flush();
    QString why = f.errorString();
    f.close();
    if (written && f.error() != QFileDevice::NoError) {
        written = false;
        why = f.errorString();
    }
    if (!written)
        throw plat::Error(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, why));
}

void writeLogSet(const QString &base, const QStringList &allStr, const QStringList &filtrStr,
                 const QStringList &infoStr)
{
    const QStringList names = logFileNames(base);
    writeLinesFile(names.at(0), allStr);
    writeLinesFile(names.at(1), filtrStr);
    writeLinesFile(names.at(2), infoStr);
}

bool saw2011Step(int &tick, int period)
{
    tick = addWrap(tick, 1);
    if (tick != period)
        return false;
    tick = 0;
    return true;
}

QStringList kamazTitles()
{
    return {QStringLiteral("Дата: "), QStringLiteral("Время:"), QStringLiteral("Рота: "),
            QStringLiteral("Автомобиль:"), QStringLiteral("Регистрационный знак:")};
}

} // namespace logic
