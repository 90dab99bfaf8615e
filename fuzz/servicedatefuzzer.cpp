// Dates from the service: only the strict internet date-time form is accepted,
// and an accepted date names a real instant.
#include "servicedateparsing.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>

using namespace Tolvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto parsed = ServiceDateParsing::parse(text);
    if (!parsed) {
        return 0;
    }
    static const QRegularExpression strictForm(
        QStringLiteral(
            "^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}(\\.\\d+)?(Z|[+-]\\d{2}:\\d{2})$"),
        QRegularExpression::NoPatternOption);
    if (!parsed->isValid() || !strictForm.match(text).hasMatch() ||
        text.contains(QRegularExpression(QStringLiteral("[^\\x{0}-\\x{7f}]")))) {
        std::abort();
    }
    // The same instant written in UTC reads back unchanged.
    const auto again = ServiceDateParsing::parse(parsed->toString(Qt::ISODateWithMs));
    if (!again || *again != *parsed) {
        std::abort();
    }
    return 0;
}
