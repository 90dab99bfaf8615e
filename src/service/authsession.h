#pragma once

#include "tokenpair.h"

#include <QByteArray>
#include <QDateTime>

namespace Tolvan {

// The signed-in session as the credential store keeps it between launches.
struct AuthSession {
    TokenPair tokens;
    QDateTime accessExpiresAt;
    QDateTime refreshExpiresAt;

    // Compact JSON; the instants are numbers of seconds since
    // 2001-01-01T00:00:00Z, so that what is written reads back unchanged.
    QByteArray encode() const;
    static Result<AuthSession> decode(const QByteArray &bytes);

    static Result<AuthSession> fromJson(const nlohmann::json &json);
    nlohmann::json toJson() const;

    bool operator==(const AuthSession &) const = default;
};

} // namespace Tolvan
