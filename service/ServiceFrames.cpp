#include "ServiceFrames.h"

namespace srv {

QString IntToStrZ8(int value)
{
    return QString::number(value).rightJustified(8, QLatin1Char('0'));
}

quint16 FrameChecksum(const QByteArray &body)
{
    quint32 sum = 0;
    for (char c : body)
        sum += static_cast<uint8_t>(c);
    return static_cast<quint16>(sum & 0xFFFF);
}

QByteArray BuildCommandLine(int number, const QByteArray &text)
{
    const QByteArray body = IntToStrZ8(number).toLatin1() + ' ' + text;
    const QByteArray sum = QByteArray::number(FrameChecksum(body)).rightJustified(8, ' ');
    return ':' + body + ' ' + sum + ';';
}

uint8_t AddressByteFromText(const QString &text)
{
    static const char *const names[] = {"00", "01", "02", "03", "04", "05"};
    for (uint8_t i = 0; i < 6; ++i)
        if (text == QLatin1String(names[i]))
            return i;
    return 0;
}

bool AnswerHasRecId(const QByteArray &answer)
{
    return answer.size() >= 16 && answer.mid(10, 6) == "REC_ID";
}

QByteArray CommandBytes(const QString &text)
{
    return text.toLatin1();
}

QString WrSnglUidText(const QString &addr, const QString &data)
{
    return QStringLiteral("WR_SNGL_UID ") + addr + QLatin1Char(' ') + data;
}

QString Wr8SnglUidText(const QString &addr, const QString &data)
{
    return QStringLiteral("WR8_SNGL_UID ") + addr + QLatin1Char(' ') + data;
}

QString RdSnglUidText(const QString &addr)
{
    return QStringLiteral("RD_SNGL_UID ") + addr;
}

QString RdCurrentUidText(const QString &addr, const QString &uid)
{
    return QStringLiteral("RD_CURRENT_UID ") + addr + QStringLiteral("  ") + uid;
}

QString WrCurrentUidText(const QString &addr, const QString &data, const QString &uid)
{
    return QStringLiteral("WR_CURRENT_UID ") + addr + QStringLiteral("  ") + data + QStringLiteral("  ") + uid;
}

QString Wr8CurrentUidText(const QString &addr, const QString &data, const QString &uid)
{
    return QStringLiteral("WR8_CURRENT_UID ") + addr + QStringLiteral("  ") + data + QStringLiteral("  ") + uid;
}

QString CollisionArbitrationText(const QString &n, const QString &x, const QString &y)
{
    return QStringLiteral("COLLISION_ARBITRATION ") + n + QStringLiteral("  ") + x + QStringLiteral("  ") + y;
}

QByteArray SaveFileText(const qint16 *words, int count)
{
    QByteArray out;
    out.reserve(28 + count * 9);
    out += "DATA FROM BLACKFIN MEMORY\r\n";
    for (int i = 0; i < count; ++i) {
        out += ' ';
        out += QByteArray::number(words[i]);
        out += ",\r\n";
    }
    return out;
}

} // namespace srv
