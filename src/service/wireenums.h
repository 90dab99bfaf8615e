#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace Tolvan {
Q_NAMESPACE

enum class BillingPlanID { Monthly, Annual };
Q_ENUM_NS(BillingPlanID)

enum class HistoryKind { Translation, Writing };
Q_ENUM_NS(HistoryKind)

enum class Workspace { Translate, Write, History };
Q_ENUM_NS(Workspace)

enum class AppAppearance { System, Light, Dark };
Q_ENUM_NS(AppAppearance)

// Raw values, exact including case. The parsers answer none for any other text.
QString rawValue(BillingPlanID value);
QString rawValue(HistoryKind value);
QString rawValue(Workspace value);
QString rawValue(AppAppearance value);

template<typename Enum>
std::optional<Enum> fromRawValue(const QString &raw);
template<>
std::optional<BillingPlanID> fromRawValue(const QString &raw);
template<>
std::optional<HistoryKind> fromRawValue(const QString &raw);
template<>
std::optional<Workspace> fromRawValue(const QString &raw);
template<>
std::optional<AppAppearance> fromRawValue(const QString &raw);

} // namespace Tolvan
