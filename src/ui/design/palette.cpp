#include "palette.h"

#include <QMetaEnum>

#include <array>

namespace Tolvan {

namespace {

struct Entry {
    ColorToken token;
    QRgb light;
    QRgb dark;
};

// Accent carries white text in both appearances; the text colours read on
// Canvas and Surface with a contrast of at least 4.5:1.
constexpr std::array<Entry, 12> table{{
    {ColorToken::Canvas, 0xfff4f4f6, 0xff1b1b1e},
    {ColorToken::Surface, 0xffffffff, 0xff2a2a2e},
    {ColorToken::Border, 0xffd6d6dc, 0xff45454c},
    {ColorToken::Divider, 0xffe6e6eb, 0xff3a3a40},
    {ColorToken::TextPrimary, 0xff1b1b1e, 0xfff2f2f5},
    {ColorToken::TextSecondary, 0xff5c5f66, 0xffa7a9b0},
    {ColorToken::Accent, 0xff2f5be6, 0xff3c63e0},
    {ColorToken::ControlBackground, 0xffe7e7ec, 0xff303035},
    {ColorToken::ControlSelected, 0xffffffff, 0xff4a4a52},
    {ColorToken::ElevatedControl, 0xffffffff, 0xff3a3a40},
    {ColorToken::Success, 0xff1c7c3a, 0xff4cc26e},
    {ColorToken::OnAccent, 0xffffffff, 0xffffffff},
}};

} // namespace

QColor Palette::color(ColorToken token, bool isDark)
{
    for (const Entry &entry : table) {
        if (entry.token == token) {
            return QColor::fromRgba(isDark ? entry.dark : entry.light);
        }
    }
    return {};
}

QString Palette::assetName(ColorToken token)
{
    return QString::fromLatin1(QMetaEnum::fromType<ColorToken>().valueToKey(int(token)));
}

std::optional<ColorToken> Palette::tokenNamed(const QString &assetName)
{
    bool found = false;
    const int value = QMetaEnum::fromType<ColorToken>().keyToValue(assetName.toLatin1(), &found);
    if (!found) {
        return std::nullopt;
    }
    return ColorToken(value);
}

} // namespace Tolvan
