#include "wireenums.h"

#include <array>
#include <utility>

namespace Tolvan {

namespace {

template<typename Enum, std::size_t N>
using RawTable = std::array<std::pair<Enum, const char16_t *>, N>;

constexpr RawTable<BillingPlanID, 2> billingPlanIDs{{
    {BillingPlanID::Monthly, u"monthly"},
    {BillingPlanID::Annual, u"annual"},
}};
constexpr RawTable<HistoryKind, 2> historyKinds{{
    {HistoryKind::Translation, u"translation"},
    {HistoryKind::Writing, u"writing"},
}};
// Tab titles; the stored preference uses its own lower-case words.
constexpr RawTable<Workspace, 3> workspaces{{
    {Workspace::Translate, u"Translate"},
    {Workspace::Write, u"Write"},
    {Workspace::History, u"History"},
}};
constexpr RawTable<AppAppearance, 3> appearances{{
    {AppAppearance::System, u"system"},
    {AppAppearance::Light, u"light"},
    {AppAppearance::Dark, u"dark"},
}};

template<typename Enum, std::size_t N>
QString lookUpRaw(const RawTable<Enum, N> &table, Enum value)
{
    for (const auto &[candidate, raw] : table) {
        if (candidate == value) {
            return QString::fromUtf16(raw);
        }
    }
    return {};
}

template<typename Enum, std::size_t N>
std::optional<Enum> lookUpValue(const RawTable<Enum, N> &table, const QString &raw)
{
    for (const auto &[candidate, text] : table) {
        if (raw == QStringView(text)) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

QString rawValue(BillingPlanID value)
{
    return lookUpRaw(billingPlanIDs, value);
}
QString rawValue(HistoryKind value)
{
    return lookUpRaw(historyKinds, value);
}
QString rawValue(Workspace value)
{
    return lookUpRaw(workspaces, value);
}
QString rawValue(AppAppearance value)
{
    return lookUpRaw(appearances, value);
}

template<>
std::optional<BillingPlanID> fromRawValue(const QString &raw)
{
    return lookUpValue(billingPlanIDs, raw);
}
template<>
std::optional<HistoryKind> fromRawValue(const QString &raw)
{
    return lookUpValue(historyKinds, raw);
}
template<>
std::optional<Workspace> fromRawValue(const QString &raw)
{
    return lookUpValue(workspaces, raw);
}
template<>
std::optional<AppAppearance> fromRawValue(const QString &raw)
{
    return lookUpValue(appearances, raw);
}

} // namespace Tolvan
