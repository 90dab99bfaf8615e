#include "servicedateparsing.h"

#include <QTimeZone>

namespace Tolvan {

namespace {

// Reads exactly `count` ASCII digits at `pos`, advancing it.
std::optional<int> digits(QStringView text, qsizetype &pos, int count)
{
    if (pos + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
    }
    pos += count;
    return value;
}

bool literal(QStringView text, qsizetype &pos, char16_t expected)
{
    if (pos >= text.size() || text[pos].unicode() != expected) {
        return false;
    }
    ++pos;
    return true;
}

} // namespace

std::optional<QDateTime> ServiceDateParsing::parse(QStringView text)
{
    qsizetype pos = 0;
    const auto year = digits(text, pos, 4);
    if (!year || !literal(text, pos, u'-')) {
        return std::nullopt;
    }
    const auto month = digits(text, pos, 2);
    if (!month || !literal(text, pos, u'-')) {
        return std::nullopt;
    }
    const auto day = digits(text, pos, 2);
    if (!day || !literal(text, pos, u'T')) {
        return std::nullopt;
    }
    const auto hour = digits(text, pos, 2);
    if (!hour || !literal(text, pos, u':')) {
        return std::nullopt;
    }
    const auto minute = digits(text, pos, 2);
    if (!minute || !literal(text, pos, u':')) {
        return std::nullopt;
    }
    const auto second = digits(text, pos, 2);
    if (!second) {
        return std::nullopt;
    }

    // With a fraction first, then without: either way at least one digit
    // follows the point. Precision beyond milliseconds is dropped.
    int milliseconds = 0;
    if (literal(text, pos, u'.')) {
        const qsizetype start = pos;
        int scale = 100;
        while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128) {
            milliseconds += (text[pos].unicode() - u'0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start) {
            return std::nullopt;
        }
    }

    int offsetSeconds = 0;
    if (!literal(text, pos, u'Z')) {
        if (pos >= text.size()) {
            return std::nullopt;
        }
        const char16_t sign = text[pos].unicode();
        if (sign != u'+' && sign != u'-') {
            return std::nullopt;
        }
        ++pos;
        const auto offsetHours = digits(text, pos, 2);
        if (!offsetHours || !literal(text, pos, u':')) {
            return std::nullopt;
        }
        const auto offsetMinutes = digits(text, pos, 2);
        if (!offsetMinutes || *offsetHours > 23 || *offsetMinutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = (*offsetHours * 3600 + *offsetMinutes * 60) * (sign == u'-' ? -1 : 1);
    }
    if (pos != text.size()) {
        return std::nullopt;
    }

    const QDate date(*year, *month, *day);
    const QTime time(*hour, *minute, *second, milliseconds);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    // An offset can carry the edge years across a year boundary; keep only
    // instants that can be written back in the same four-digit form.
    const QDateTime instant = QDateTime(date, time, QTimeZone(offsetSeconds)).toUTC();
    if (instant.date().year() < 1 || instant.date().year() > 9999) {
        return std::nullopt;
    }
    return instant;
}

} // namespace Tolvan
