#pragma once

#include "billingplan.h"
#include "billingresponse.h"

#include <QString>
#include <QTimeZone>

#include <optional>

namespace Tolvan {

// The texts that the billing screens show for a state of the billing store:
// the subscription block of the settings and the checkout row of the plan sheet.
class BillingSummary {
public:
    // The plan line of the subscription block.
    static QString planTitle(bool isSignedIn, const std::optional<BillingResponse> &response);
    // The status line under it; its dates are days in `timeZone`.
    static QString statusText(bool isSignedIn, const std::optional<BillingResponse> &response,
                              bool isLoading,
                              const QTimeZone &timeZone = QTimeZone::systemTimeZone());
    // The price and its interval, e.g. "$99.99 per year".
    static QString priceLine(const BillingPlan &plan);
    // The note beside the checkout button for the selected plan, if offered.
    static QString checkoutNote(const std::optional<BillingPlan> &plan);
    static QString checkoutButtonTitle(bool isCheckoutRunning,
                                       const std::optional<BillingPlan> &plan);
    static QString manageButtonTitle(bool isPortalRunning);
};

} // namespace Tolvan
