#include "storeset.h"

#include "apiclient.h"
#include "systemclock.h"

namespace Tolvan {

StoreSet::StoreSet(const QUrl &baseURL, std::shared_ptr<CredentialStorageProtocol> storage,
                   std::shared_ptr<LinkOpener> links, std::shared_ptr<PendingWork> work)
    : m_client(std::make_shared<TrackedAPIClient>(std::make_shared<APIClient>(baseURL), work))
    , m_clock(std::make_shared<TrackedClock>(std::make_shared<SystemClock>(), work))
    , m_links(std::move(links))
    , m_work(std::move(work))
    , m_auth(m_client, std::move(storage), m_clock)
    , m_billing(&m_auth, m_links, m_client, m_clock)
    , m_history(&m_auth, m_client, m_clock)
    , m_translation(&m_auth, m_client, &m_preferences)
    , m_writing(&m_auth, m_client)
{
}

} // namespace Tolvan
