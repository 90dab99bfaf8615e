#pragma once

#include "credentialstorageprotocol.h"

#include <QString>

namespace Tolvan {

// Keeps the session in a file, for a machine without any Secret Service. The
// file holds the same JSON as the keyring item, is readable by its owner only
// from the moment it exists, and is replaced in one step (written beside it,
// then renamed over it), so that a crash leaves either the old session or the
// new one. A file that cannot be read or decoded is reported and left alone.
class FileCredentialStorage : public CredentialStorageProtocol {
public:
    explicit FileCredentialStorage(QString path);

    QString path() const { return m_path; }

    Result<std::optional<AuthSession>> loadSession() override;
    Result<void> saveSession(const AuthSession &session) override;
    Result<void> deleteSession() override;

private:
    QString m_path;
};

} // namespace Tolvan
