#pragma once

#include <QObject>

namespace Tolvan {

namespace Design {
Q_NAMESPACE

// The design's named colours; each has a light and a dark value.
enum class ColorToken {
    Canvas,
    Surface,
    Border,
    Divider,
    TextPrimary,
    TextSecondary,
    Accent,
    ControlBackground,
    ControlSelected,
    ElevatedControl,
    Success,
    OnAccent,
};
Q_ENUM_NS(ColorToken)
} // namespace Design

using Design::ColorToken;

} // namespace Tolvan
