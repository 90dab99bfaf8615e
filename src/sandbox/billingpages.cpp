#include "billingpages.h"

#include "randomvalues.h"

#include <QUrlQuery>

namespace Tolvan {

namespace {

QString page(const QString &title, const QString &content)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                          "<title>%1</title></head><body><h1>%1</h1>\n%2</body></html>\n")
        .arg(title.toHtmlEscaped(), content);
}

QString button(const QString &action, const QString &name, const QString &value,
               const QString &label)
{
    return QStringLiteral("<form method=\"post\" action=\"%1\">"
                          "<input type=\"hidden\" name=\"%2\" value=\"%3\">"
                          "<button type=\"submit\">%4</button></form>\n")
        .arg(action, name, value, label.toHtmlEscaped());
}

QString formValue(const HttpRequest &request, const QString &key)
{
    return QUrlQuery(QString::fromUtf8(request.body)).queryItemValue(key, QUrl::FullyDecoded);
}

QString dateText(const std::optional<QDateTime> &date)
{
    return date ? date->toString(Qt::ISODate) : QStringLiteral("—");
}

HttpReply missingPage()
{
    return HttpReply::html(404, page(QStringLiteral("Page not found"),
                                     QStringLiteral("<p>This link is not valid.</p>")));
}

} // namespace

BillingPages::BillingPages(BillingLedger &ledger)
    : m_ledger(ledger)
{
}

void BillingPages::setBaseURL(const QUrl &baseURL)
{
    m_baseURL = baseURL;
}

QUrl BillingPages::checkoutLink(qint64 account, std::optional<BillingPlanID> plan)
{
    return makeLink({Kind::Checkout, account, plan});
}

QUrl BillingPages::portalLink(qint64 account)
{
    return makeLink({Kind::Portal, account, std::nullopt});
}

QUrl BillingPages::makeLink(Link link)
{
    const QString token = RandomValues::token();
    const QString folder =
        link.kind == Kind::Checkout ? QStringLiteral("checkout/") : QStringLiteral("portal/");
    m_links.insert(token, link);
    return m_baseURL.resolved(QUrl(folder + token));
}

HttpReply BillingPages::handle(const HttpRequest &request)
{
    const QStringList segments = request.path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (segments.size() != 2) {
        return missingPage();
    }
    const QString &token = segments[1];
    const auto link = m_links.constFind(token);
    const Kind kind = segments[0] == QLatin1String("checkout") ? Kind::Checkout : Kind::Portal;
    if (link == m_links.cend() || link->kind != kind) {
        return missingPage();
    }
    const bool posted = request.method == "POST";
    if (kind == Kind::Checkout) {
        return posted ? startTrial(*link, request) : checkoutPage(token, *link);
    }
    return posted ? changeSubscription(token, *link, request) : portalPage(token, *link, {});
}

HttpReply BillingPages::checkoutPage(const QString &token, const Link &link) const
{
    QString content;
    for (const BillingPlan &plan : m_ledger.plans()) {
        if (link.plan && *link.plan != plan.id) {
            continue;
        }
        content += QStringLiteral("<h2>%1</h2><p>%2 per %3, %4.</p>\n")
                       .arg(plan.name.toHtmlEscaped(),
                            plan.formattedPrice(QLocale(QLocale::English, QLocale::UnitedStates)),
                            plan.recurringInterval, plan.trialDescription());
        content += button(QStringLiteral("/checkout/") + token, QStringLiteral("plan"),
                          rawValue(plan.id), QStringLiteral("Start ") + plan.trialDescription());
    }
    return HttpReply::html(200, page(QStringLiteral("Tolvan checkout"), content));
}

HttpReply BillingPages::startTrial(const Link &link, const HttpRequest &request)
{
    const auto plan = fromRawValue<BillingPlanID>(formValue(request, QStringLiteral("plan")));
    if (!plan || (link.plan && *link.plan != *plan)) {
        return HttpReply::html(422, page(QStringLiteral("Tolvan checkout"),
                                         QStringLiteral("<p>Choose one of the plans.</p>")));
    }
    m_ledger.startTrial(link.account, *plan);
    return HttpReply::html(200, page(QStringLiteral("Trial started"),
                                     QStringLiteral("<p>Your free trial has started. You can "
                                                    "close this page and return to Tolvan.</p>")));
}

HttpReply BillingPages::portalPage(const QString &token, const Link &link,
                                   const QString &notice) const
{
    const BillingSubscription subscription = m_ledger.subscription(link.account);
    QString content =
        notice.isEmpty()
            ? QString()
            : QStringLiteral("<p><strong>%1</strong></p>\n").arg(notice.toHtmlEscaped());
    content +=
        QStringLiteral("<p>Status: %1<br>Plan: %2<br>Current period ends: %3<br>"
                       "Trial ends: %4<br>Cancels at period end: %5</p>\n")
            .arg(subscription.status.toHtmlEscaped(),
                 subscription.plan ? rawValue(*subscription.plan) : QStringLiteral("—"),
                 dateText(subscription.currentPeriodEnd), dateText(subscription.trialEnd),
                 subscription.cancelAtPeriodEnd ? QStringLiteral("yes") : QStringLiteral("no"));
    if (subscription.entitled) {
        const QString action = QStringLiteral("/portal/") + token;
        if (!subscription.cancelAtPeriodEnd) {
            content += button(action, QStringLiteral("action"), QStringLiteral("cancel"),
                              QStringLiteral("Cancel at period end"));
        }
        content += button(action, QStringLiteral("action"), QStringLiteral("end"),
                          QStringLiteral("End subscription now"));
    }
    return HttpReply::html(200, page(QStringLiteral("Tolvan subscription"), content));
}

HttpReply BillingPages::changeSubscription(const QString &token, const Link &link,
                                           const HttpRequest &request)
{
    const QString action = formValue(request, QStringLiteral("action"));
    if (action == QLatin1String("cancel")) {
        m_ledger.cancelAtPeriodEnd(link.account);
        return portalPage(token, link, QStringLiteral("The subscription ends with this period."));
    }
    if (action == QLatin1String("end")) {
        m_ledger.end(link.account);
        return portalPage(token, link, QStringLiteral("The subscription has ended."));
    }
    return portalPage(token, link, QStringLiteral("Choose one of the actions."));
}

} // namespace Tolvan
