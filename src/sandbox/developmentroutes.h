#pragma once

#include "accounts.h"
#include "billingledger.h"
#include "faultinjector.h"
#include "router.h"
#include "signincodes.h"

namespace Tolvan {

// Routes for tests and for a person trying the client, never part of the
// client's protocol: the outbox, setting a subscription, injecting faults.
class DevelopmentRoutes {
public:
    struct Dependencies {
        const SignInCodes &codes;
        const Accounts &accounts;
        BillingLedger &ledger;
        FaultInjector &faults;
    };

    explicit DevelopmentRoutes(Dependencies dependencies);

    void install(Router &router);

private:
    HttpReply outbox(const HttpRequest &request) const;
    HttpReply setSubscription(const HttpRequest &request);
    HttpReply addFault(const HttpRequest &request);
    HttpReply clearFaults(const HttpRequest &request);

    Dependencies m_use;
};

} // namespace Tolvan
