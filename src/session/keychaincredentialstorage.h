#pragma once

#include "credentialstorageprotocol.h"

namespace Tolvan {

// Keeps the session in the desktop's Secret Service (GNOME Keyring, KWallet,
// ...) as one item of the default collection, identified by the attributes
// service = "app.tolvan.Tolvan.auth" and account = "device-session". The item's
// secret is the session's compact JSON. Holds no state: every call asks the
// service afresh.
class KeychainCredentialStorage : public CredentialStorageProtocol {
public:
    static constexpr char serviceAttribute[] = "app.tolvan.Tolvan.auth";
    static constexpr char accountAttribute[] = "device-session";

    Result<std::optional<AuthSession>> loadSession() override;
    Result<void> saveSession(const AuthSession &session) override;
    Result<void> deleteSession() override;
};

} // namespace Tolvan
