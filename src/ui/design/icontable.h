#pragma once

#include <QString>

namespace Tolvan {

// The symbol names the screens use, each drawn as a glyph of the Material
// Icons font.
class IconTable {
public:
    // The glyph's text; empty for a name the table does not hold.
    static QString glyph(const QString &symbolName);
};

} // namespace Tolvan
