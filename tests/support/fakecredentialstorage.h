#pragma once

#include "credentialstorageprotocol.h"

#include <QStringList>

#include <optional>

namespace Tolvan::Test {

// An in-memory credential storage for store tests.
//
// It holds at most one item: a session, or an item that fails to decode
// (putUndecodableItem). Saving and deleting can be made to fail with a given
// error until the failure is cleared again (set...Failure(std::nullopt)); a
// failing operation changes nothing. Every call is logged in order as "load",
// "save" or "delete".
class FakeCredentialStorage : public CredentialStorageProtocol {
public:
    Result<std::optional<AuthSession>> loadSession() override
    {
        m_operations.append(QStringLiteral("load"));
        if (m_undecodable) {
            return *m_undecodable;
        }
        return m_session;
    }

    Result<void> saveSession(const AuthSession &session) override
    {
        m_operations.append(QStringLiteral("save"));
        if (m_saveFailure) {
            return *m_saveFailure;
        }
        setStoredSession(session);
        return {};
    }

    Result<void> deleteSession() override
    {
        m_operations.append(QStringLiteral("delete"));
        if (m_deleteFailure) {
            return *m_deleteFailure;
        }
        setStoredSession(std::nullopt);
        return {};
    }

    // Puts a saved session in place (none: nothing saved), as an earlier run would have.
    void setStoredSession(std::optional<AuthSession> session)
    {
        m_session = std::move(session);
        m_undecodable.reset();
    }

    // Puts an item in place whose loading fails with `decodingError`.
    void putUndecodableItem(ServiceError decodingError)
    {
        m_session.reset();
        m_undecodable = std::move(decodingError);
    }

    std::optional<AuthSession> storedSession() const { return m_session; }
    bool hasItem() const { return m_session.has_value() || m_undecodable.has_value(); }

    void setSaveFailure(std::optional<ServiceError> failure) { m_saveFailure = std::move(failure); }
    void setDeleteFailure(std::optional<ServiceError> failure)
    {
        m_deleteFailure = std::move(failure);
    }

    int loadCount() const { return int(m_operations.count(QStringLiteral("load"))); }
    QStringList operations() const { return m_operations; }
    void clearOperations() { m_operations.clear(); }

private:
    std::optional<AuthSession> m_session;
    std::optional<ServiceError> m_undecodable;
    std::optional<ServiceError> m_saveFailure;
    std::optional<ServiceError> m_deleteFailure;
    QStringList m_operations;
};

} // namespace Tolvan::Test
