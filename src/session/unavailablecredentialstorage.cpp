#include "unavailablecredentialstorage.h"

namespace Tolvan {

UnavailableCredentialStorage::UnavailableCredentialStorage(ServiceError reason)
    : m_reason(std::move(reason))
{
}

Result<std::optional<AuthSession>> UnavailableCredentialStorage::loadSession()
{
    return m_reason;
}

Result<void> UnavailableCredentialStorage::saveSession(const AuthSession &)
{
    return m_reason;
}

Result<void> UnavailableCredentialStorage::deleteSession()
{
    return m_reason;
}

} // namespace Tolvan
