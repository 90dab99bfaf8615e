#pragma once

#include "billingledger.h"
#include "billingpages.h"
#include "router.h"

namespace Tolvan {

// The account's subscription and plans, and links to the checkout and portal pages.
class BillingRoutes {
public:
    BillingRoutes(const BillingLedger &ledger, BillingPages &pages);

    void install(Router &router);

private:
    HttpReply overview(const HttpRequest &request) const;
    HttpReply checkout(const HttpRequest &request);
    HttpReply portal(const HttpRequest &request);

    const BillingLedger &m_ledger;
    BillingPages &m_pages;
};

} // namespace Tolvan
