#pragma once

#include "clock.h"
#include "tokenpair.h"

#include <QSqlDatabase>

#include <chrono>
#include <optional>

namespace Tolvan {

// Signed-in sessions: an access token and a refresh token each, with their
// lifetimes. Refreshing replaces both tokens; revoking ends the session.
class SessionTokens {
public:
    struct Lifetimes {
        std::chrono::seconds access;
        std::chrono::seconds refresh;
    };
    enum class Verdict { Valid, Unknown, Expired };
    struct Authentication {
        Verdict verdict = Verdict::Unknown;
        qint64 account = 0;
    };

    SessionTokens(QSqlDatabase database, const Clock &clock, Lifetimes lifetimes);

    TokenPair open(const AuthUser &user);
    // The new pair, or none when the refresh token is unknown, expired or revoked.
    std::optional<TokenPair> rotate(const QString &refreshToken);
    void revoke(const QString &refreshToken);
    Authentication authenticate(const QString &accessToken) const;

private:
    TokenPair freshPair(const AuthUser &user) const;

    QSqlDatabase m_database;
    const Clock &m_clock;
    Lifetimes m_lifetimes;
};

} // namespace Tolvan
