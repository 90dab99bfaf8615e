#pragma once

#include "authstore.h"
#include "billingstore.h"
#include "historystore.h"
#include "linkopener.h"
#include "pendingwork.h"
#include "trackedapiclient.h"
#include "trackedclock.h"
#include "translationstore.h"
#include "userpreferences.h"
#include "writingstore.h"

#include <QUrl>

#include <memory>

namespace Tolvan {

// The stores of the desktop app, made in the app's order over one service
// client, with the app's own credentials and preferences. Every request and
// sleep of theirs is counted in `work`.
class StoreSet {
public:
    StoreSet(const QUrl &baseURL, std::shared_ptr<CredentialStorageProtocol> storage,
             std::shared_ptr<LinkOpener> links, std::shared_ptr<PendingWork> work);

    AuthStore &auth() { return m_auth; }
    BillingStore &billing() { return m_billing; }
    HistoryStore &history() { return m_history; }
    TranslationStore &translation() { return m_translation; }
    WritingStore &writing() { return m_writing; }
    const LinkOpener &links() const { return *m_links; }
    PendingWork &work() { return *m_work; }
    // Whether the service turned the session down in any answer.
    bool sawRejection() const { return m_client->sawRejection(); }

private:
    const std::shared_ptr<TrackedAPIClient> m_client;
    const std::shared_ptr<TrackedClock> m_clock;
    const std::shared_ptr<LinkOpener> m_links;
    const std::shared_ptr<PendingWork> m_work;
    AuthStore m_auth;
    UserPreferences m_preferences;
    BillingStore m_billing;
    HistoryStore m_history;
    TranslationStore m_translation;
    WritingStore m_writing;
};

} // namespace Tolvan
