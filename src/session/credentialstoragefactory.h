#pragma once

#include "credentialstorageprotocol.h"

#include <QString>

#include <memory>
#include <optional>

namespace Tolvan {

// Chooses where the session is kept: the Secret Service, unless
// TOLVAN_CREDENTIAL_STORE=file:PATH names a file (an absolute path) for a
// machine without one. This is the only reader of the variable, and no other
// value chooses a storage.
class CredentialStorageFactory {
public:
    static constexpr char variableName[] = "TOLVAN_CREDENTIAL_STORE";

    // The storage the environment asks for. A malformed value gives a storage
    // that fails every call with a message naming the variable, and sets
    // `error` to that message, so that a caller can refuse to start instead.
    static std::shared_ptr<CredentialStorageProtocol> fromEnvironment(QString *error = nullptr);
    // The same for a given value of the variable; none when it is unset.
    static std::shared_ptr<CredentialStorageProtocol>
    resolve(const std::optional<QString> &configured, QString *error = nullptr);
};

} // namespace Tolvan
