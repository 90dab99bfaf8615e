#pragma once

#include "apertiumtranslator.h"
#include "billingledger.h"
#include "billingpages.h"
#include "historybook.h"
#include "router.h"
#include "textimprover.h"

namespace Tolvan {

// The language catalogue, translation and improvement. Translating and
// improving need an entitled subscription; each success goes into history.
class TextRoutes {
public:
    // The longest text accepted, in user-perceived characters.
    static constexpr qsizetype maximumLength = 5000;

    struct Dependencies {
        const ApertiumTranslator &translator;
        const TextImprover &improver;
        HistoryBook &history;
        const BillingLedger &ledger;
        BillingPages &pages;
    };

    explicit TextRoutes(Dependencies dependencies);

    void install(Router &router);

private:
    HttpReply languages(const HttpRequest &request) const;
    QCoro::Task<HttpReply> translate(HttpRequest request);
    HttpReply improve(const HttpRequest &request);

    std::optional<HttpReply> refusal(qint64 account, const QString &text, const char *verb);

    Dependencies m_use;
};

} // namespace Tolvan
