#pragma once

#include "authuser.h"

namespace Tolvan {

struct TokenPair {
    QString accessToken;
    QString refreshToken;
    QString tokenType;
    // Lifetimes in seconds from the moment the pair was issued.
    qint64 expiresIn = 0;
    qint64 refreshExpiresIn = 0;
    AuthUser user;

    static Result<TokenPair> fromJson(const nlohmann::json &json);
    nlohmann::json toJson() const;

    bool operator==(const TokenPair &) const = default;
};

} // namespace Tolvan
