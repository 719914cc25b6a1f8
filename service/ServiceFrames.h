#pragma once
// Wire texts of the service tool: command frames with their checksum, the address byte,
// the tag UID command texts and the data save file. No threads, no widgets.
#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

namespace srv {

// 1024-byte send buffer = address byte + ":" + 8 digits + blank + text + blank + 8 + ";".
constexpr int kSendBufSize = 1024;
constexpr int kMaxCommandText = kSendBufSize - 21;

// 7 -> "00000007".
QString IntToStrZ8(int value);
// Sum of the bytes modulo 65 536.
quint16 FrameChecksum(const QByteArray &body);
// ":" + number + " " + text + " " + checksum (8 wide, blank padded) + ";".
QByteArray BuildCommandLine(int number, const QByteArray &text);
// "00".."05" give 0..5; any other text gives 0.
uint8_t AddressByteFromText(const QString &text);
// Characters 11 to 16 (the ":" being 1) are "REC_ID".
bool AnswerHasRecId(const QByteArray &answer);
// Command text as 8-bit characters, one byte per character.
QByteArray CommandBytes(const QString &text);

// Tag UID command texts, pieces joined exactly as the buttons compose them.
QString WrSnglUidText(const QString &addr, const QString &data);
QString Wr8SnglUidText(const QString &addr, const QString &data);
QString RdSnglUidText(const QString &addr);
QString RdCurrentUidText(const QString &addr, const QString &uid);
QString WrCurrentUidText(const QString &addr, const QString &data, const QString &uid);
QString Wr8CurrentUidText(const QString &addr, const QString &data, const QString &uid);
QString CollisionArbitrationText(const QString &n, const QString &x, const QString &y);

// "DATA FROM BLACKFIN MEMORY" file: header line, then " <value>," per word, CR LF endings.
QByteArray SaveFileText(const qint16 *words, int count);

} // namespace srv
