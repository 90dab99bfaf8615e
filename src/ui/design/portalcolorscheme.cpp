#include "portalcolorscheme.h"

#include <QDBusArgument>
#include <QDBusVariant>

namespace Tolvan {

std::optional<bool> PortalColorScheme::prefersDark(const QVariant &value)
{
    QVariant inner = value;
    // Read wraps twice, SettingChanged once; never more than a few levels.
    for (int level = 0; level < 3 && inner.canConvert<QDBusVariant>() &&
                        inner.metaType() == QMetaType::fromType<QDBusVariant>();
         ++level) {
        inner = inner.value<QDBusVariant>().variant();
    }
    if (inner.metaType() != QMetaType::fromType<uint>() &&
        inner.metaType() != QMetaType::fromType<int>()) {
        return std::nullopt;
    }
    switch (inner.toUInt()) {
    case 1:
        return true;
    case 2:
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace Tolvan
