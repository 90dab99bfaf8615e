#pragma once

#include "credentialstorageprotocol.h"

namespace Tolvan {

// Stands in when no storage could be chosen: every call fails with the reason,
// so that nothing is read from or written to a place the user did not ask for.
class UnavailableCredentialStorage : public CredentialStorageProtocol {
public:
    explicit UnavailableCredentialStorage(ServiceError reason);

    Result<std::optional<AuthSession>> loadSession() override;
    Result<void> saveSession(const AuthSession &session) override;
    Result<void> deleteSession() override;

private:
    ServiceError m_reason;
};

} // namespace Tolvan
