#pragma once

#include "accounts.h"
#include "billingledger.h"
#include "router.h"
#include "sessiontokens.h"
#include "signincodes.h"

#include <functional>

namespace Tolvan {

// Sign-in by mailed code, token refresh and revocation, and the bearer check
// of every authorised route.
class AuthRoutes {
public:
    // Delivers a sign-in code to its address.
    using Mailer = std::function<void(const QString &email, const QString &code)>;
    struct Dependencies {
        SignInCodes &codes;
        Accounts &accounts;
        SessionTokens &tokens;
        BillingLedger &ledger;
    };

    AuthRoutes(Dependencies dependencies, bool entitledByDefault, Mailer mailer);

    void install(Router &router);
    std::variant<qint64, HttpReply> authorise(const HttpRequest &request) const;

private:
    HttpReply requestCode(const HttpRequest &request);
    HttpReply verifyCode(const HttpRequest &request);
    HttpReply refresh(const HttpRequest &request);
    HttpReply revoke(const HttpRequest &request);

    Dependencies m_use;
    bool m_entitledByDefault;
    Mailer m_mailer;
};

} // namespace Tolvan
