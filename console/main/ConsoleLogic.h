#pragma once
// Pure helpers of the console's tag tabs and monitoring modes: no widgets, no port.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace logic {

// 32-bit signed arithmetic that wraps instead of overflowing (the counters run for days).
inline int addWrap(int a, int b)
{
    return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}
inline int subWrap(int a, int b)
{
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
}

// "inc W3": up to eight leading hex digits (either case) read as a number, 0 when there are
// none; plus one in 32-bit arithmetic; upper-case hex, at least four digits.
QString incHexWord(const QString &text);

// Clock of the Wiegand controller: day month year hour minute second, two digits each,
// independent of the regional settings. 9 Dec 2024 14:05:07 gives "09 12 24 14 05 07".
QString wiegandClockText(const QDateTime &t);

// The log set: base + "-ALL_STR.txt", "-FILTR_STR.txt", "-INFO_STR.txt", in writing order.
QStringList logFileNames(const QString &base);
// Preset name of the save dialog: the time text with every ":" made "_".
QString logPresetName(const QString &timeText);

// Writes each line followed by CR LF, characters below 256 as single bytes. Overwrites an
// existing file. Throws plat::Error when the file cannot be created or written; the file
// is closed before the error leaves.
void writeLinesFile(const QString &fileName, const QStringList &lines);

// The three files of the log set in order; an error stops the set at the failing file.
void writeLogSet(const QString &base, const QStringList &allStr, const QStringList &filtrStr,
                 const QStringList &infoStr);

// One tick of the SAW2011 schedule: advances tick; true when a collection is due, tick
// then restarts at 0.
bool saw2011Step(int &tick, int period);

// The five titles of the KAMAZ display, top to bottom.
QStringList kamazTitles();

} // namespace logic
