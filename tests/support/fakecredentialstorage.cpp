#include "fakecredentialstorage.h"

namespace Tolvan::Test {

Result<std::optional<AuthSession>> FakeCredentialStorage::loadSession()
{
    m_operations.append(QStringLiteral("load"));
    if (m_loadFailure) {
        return *m_loadFailure;
    }
    if (m_undecodable) {
        return *m_undecodable;
    }
    return m_session;
}

Result<void> FakeCredentialStorage::saveSession(const AuthSession &session)
{
    m_operations.append(QStringLiteral("save"));
    if (m_saveFailure) {
        return *m_saveFailure;
    }
    m_session = session;
    m_undecodable.reset();
    return {};
}

Result<void> FakeCredentialStorage::deleteSession()
{
    m_operations.append(QStringLiteral("delete"));
    if (m_deleteFailure) {
        return *m_deleteFailure;
    }
    m_session.reset();
    m_undecodable.reset();
    return {};
}

void FakeCredentialStorage::setStoredSession(std::optional<AuthSession> session)
{
    m_session = std::move(session);
    m_undecodable.reset();
}

void FakeCredentialStorage::putUndecodableItem(ServiceError decodingError)
{
    m_session.reset();
    m_undecodable = std::move(decodingError);
}

} // namespace Tolvan::Test
