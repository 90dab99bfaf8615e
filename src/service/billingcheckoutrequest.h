#pragma once

#include "wireenums.h"

#include <nlohmann/json.hpp>

namespace Tolvan {

struct BillingCheckoutRequest {
    BillingPlanID plan = BillingPlanID::Monthly;

    nlohmann::json toJson() const { return {{"plan", rawValue(plan).toStdString()}}; }
};

} // namespace Tolvan
