#include "Errors.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <limits>

namespace plat {

bool tryStrToInt(const QString &text, int *out)
{
    QString s = text;
    bool neg = false;
    if (s.startsWith('-') || s.startsWith('+')) {
        neg = s.startsWith('-');
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith('$')) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty())
        return false;
    long long v = 0;
    for (QChar c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c.unicode() - '0';
        else if (base == 16 && c.toLower() >= 'a' && c.toLower() <= 'f')
            d = c.toLower().unicode() - 'a' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0x100000000LL)
            return false;
    }
    if (base == 16) {
        // Hexadecimal covers the whole 32-bit pattern ($FFFFFFFF is -1).
        if (v > 0xFFFFFFFFLL)
            return false;
        int32_t r = static_cast<int32_t>(static_cast<uint32_t>(v));
        *out = neg ? -r : r;
        return true;
    }
    if (neg)
        v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        return false;
    *out = static_cast<int>(v);
    return true;
}

int StrToInt(const QString &text)
{
    int v = 0;
    if (!tryStrToInt(text, &v))
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return v;
}

QString TimeText() { return TimeText(QTime::currentTime()); }

QString TimeText(const QTime &t)
{
    const QLocale loc;
    QString fmt = loc.timeFormat(QLocale::LongFormat);
    // Drop the time zone and the blanks around it; keep hours, minutes, seconds.
    static const QRegularExpression tz(QStringLiteral("\\s*t+\\s*"));
    fmt.replace(tz, QStringLiteral(" "));
    fmt = fmt.trimmed();
    if (!fmt.contains('s'))
        fmt = QStringLiteral("H:mm:ss");
    return loc.toString(t, fmt);
}

} // namespace plat
