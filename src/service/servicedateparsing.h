#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace Tolvan {

// Strict internet date-time (RFC 3339): "2025-03-01T12:30:45.123Z" or
// "2025-03-01T12:30:45+02:00". Qt's own ISO parsing accepts forms the service
// must not send (no zone, a space for "T", a bare date), hence this parser.
class ServiceDateParsing {
public:
    // The instant in UTC, or none when the text is not a strict date-time.
    static std::optional<QDateTime> parse(QStringView text);
};

} // namespace Tolvan
