#pragma once

#include "billingplan.h"
#include "billingsubscription.h"
#include "historyentry.h"
#include "historypagination.h"

#include <nlohmann/json.hpp>

namespace Tolvan {

// The JSON form of the records the sandbox answers with, keys as the client
// reads them. Dates are RFC 3339 in UTC with milliseconds.
class WireEncoder {
public:
    static nlohmann::json date(const std::optional<QDateTime> &date);
    static nlohmann::json entry(const HistoryEntry &entry);
    static nlohmann::json pagination(const HistoryPagination &pagination);
    static nlohmann::json plan(const BillingPlan &plan);
    static nlohmann::json subscription(const BillingSubscription &subscription);
};

} // namespace Tolvan
