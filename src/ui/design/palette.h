#pragma once

#include "colortoken.h"

#include <QColor>
#include <QString>

#include <optional>

namespace Tolvan {

// The one table of the design colours, light and dark.
class Palette {
public:
    static QColor color(ColorToken token, bool isDark);
    // "Canvas", "TextPrimary", …: the name screens use for a token.
    static QString assetName(ColorToken token);
    static std::optional<ColorToken> tokenNamed(const QString &assetName);
};

} // namespace Tolvan
