#include "billingroutes.h"

#include "requestbody.h"
#include "wireencoder.h"

namespace Tolvan {

BillingRoutes::BillingRoutes(const BillingLedger &ledger, BillingPages &pages)
    : m_ledger(ledger)
    , m_pages(pages)
{
}

void BillingRoutes::install(Router &router)
{
    using Access = Router::Access;
    router.add("GET", QStringLiteral("/api/billing"), Access::Bearer,
               [this](const HttpRequest &request) { return overview(request); });
    router.add("POST", QStringLiteral("/api/billing/checkout"), Access::Bearer,
               [this](const HttpRequest &request) { return checkout(request); });
    router.add("POST", QStringLiteral("/api/billing/portal"), Access::Bearer,
               [this](const HttpRequest &request) { return portal(request); });
}

HttpReply BillingRoutes::overview(const HttpRequest &request) const
{
    nlohmann::json plans = nlohmann::json::array();
    for (const BillingPlan &plan : m_ledger.plans()) {
        plans.push_back(WireEncoder::plan(plan));
    }
    return HttpReply::json(
        200, {{"subscription", WireEncoder::subscription(m_ledger.subscription(request.account))},
              {"plans", plans}});
}

HttpReply BillingRoutes::checkout(const HttpRequest &request)
{
    RequestBody body(request.body);
    const QString planName = body.fields().string("plan");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    const auto plan = fromRawValue<BillingPlanID>(planName);
    if (!plan) {
        return HttpReply::error(422, "unknown_plan",
                                QStringLiteral("plan must be monthly or annual."));
    }
    const QUrl link = m_pages.checkoutLink(request.account, plan);
    return HttpReply::json(200, {{"checkout_url", link.toString().toStdString()}});
}

HttpReply BillingRoutes::portal(const HttpRequest &request)
{
    const QUrl link = m_pages.portalLink(request.account);
    return HttpReply::json(200, {{"portal_url", link.toString().toStdString()}});
}

} // namespace Tolvan
