#pragma once
// The error that ends a handler and reaches the user through the error box.
#include <QString>
#include <QTime>
#include <stdexcept>

namespace plat {

class Error : public std::runtime_error {
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    QString message() const { return message_; }

private:
    QString message_;
};

// Decimal with an optional sign, or hexadecimal after "$" or "0x"; 32-bit range.
// Throws Error("'<text>' is not a valid integer value") otherwise.
int StrToInt(const QString &text);
// Same rules, without throwing.
bool tryStrToInt(const QString &text, int *out);

// The local time of day with hours, minutes and seconds in the locale's long format,
// without date or time zone.
QString TimeText();
// The same format for a given time of day.
QString TimeText(const QTime &t);

} // namespace plat
