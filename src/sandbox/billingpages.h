#pragma once

#include "billingledger.h"
#include "httpreply.h"
#include "httprequest.h"

#include <QHash>
#include <QUrl>

#include <optional>

namespace Tolvan {

// The hosted checkout and portal pages, served over HTTPS. Each link carries
// a random token that stands for the account (and the plan) it was made for.
class BillingPages {
public:
    explicit BillingPages(BillingLedger &ledger);

    void setBaseURL(const QUrl &baseURL);

    // A checkout page for `plan`, or for every plan when none is given.
    QUrl checkoutLink(qint64 account, std::optional<BillingPlanID> plan);
    QUrl portalLink(qint64 account);

    HttpReply handle(const HttpRequest &request);

private:
    enum class Kind { Checkout, Portal };
    struct Link {
        Kind kind;
        qint64 account;
        std::optional<BillingPlanID> plan;
    };

    QUrl makeLink(Link link);
    HttpReply checkoutPage(const QString &token, const Link &link) const;
    HttpReply startTrial(const Link &link, const HttpRequest &request);
    HttpReply portalPage(const QString &token, const Link &link, const QString &notice) const;
    HttpReply changeSubscription(const QString &token, const Link &link,
                                 const HttpRequest &request);

    BillingLedger &m_ledger;
    QUrl m_baseURL;
    QHash<QString, Link> m_links;
};

} // namespace Tolvan
