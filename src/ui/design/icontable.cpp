#include "icontable.h"

#include <array>
#include <utility>

namespace Tolvan {

namespace {

constexpr std::array<std::pair<const char *, char16_t>, 23> table{{
    {"translate", 0xe8e2},
    {"pencil.line", 0xe745},
    {"clock", 0xe8b5},
    {"envelope.badge.shield.half.filled", 0xf18c},
    {"person.crop.circle", 0xe853},
    {"checkmark", 0xe5ca},
    {"xmark", 0xe5cd},
    {"doc.on.doc", 0xe14d},
    {"trash", 0xe872},
    {"rectangle.portrait.and.arrow.right", 0xe9ba},
    {"magnifyingglass", 0xe8b6},
    {"largecircle.fill.circle", 0xe837},
    {"circle", 0xe836},
    {"info.circle", 0xe88e},
    {"exclamationmark.circle", 0xe001},
    {"chevron.down", 0xe5cf},
    {"chevron.up", 0xe5ce},
    {"chevron.right", 0xe5cc},
    {"checkmark.circle.fill", 0xe86c},
    {"character.bubble", 0xe0ca},
    {"arrow.up.right.square", 0xe89e},
    {"arrow.left.arrow.right", 0xe8d4},
    {"arrow.clockwise", 0xe5d5},
}};

} // namespace

QString IconTable::glyph(const QString &symbolName)
{
    for (const auto &[name, codepoint] : table) {
        if (symbolName == QLatin1String(name)) {
            return QString(QChar(codepoint));
        }
    }
    return {};
}

} // namespace Tolvan
