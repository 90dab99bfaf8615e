#include "tokenpair.h"

#include "jsonfields.h"

namespace Tolvan {

Result<TokenPair> TokenPair::fromJson(const nlohmann::json &json)
{
    JsonFields fields(json);
    TokenPair pair{
        .accessToken = fields.string("access_token"),
        .refreshToken = fields.string("refresh_token"),
        .tokenType = fields.string("token_type"),
        .expiresIn = fields.integer("expires_in"),
        .refreshExpiresIn = fields.integer("refresh_expires_in"),
        .user = fields.record<AuthUser>("user"),
    };
    return fields.finish(std::move(pair));
}

nlohmann::json TokenPair::toJson() const
{
    return {
        {"access_token", accessToken.toStdString()}, {"refresh_token", refreshToken.toStdString()},
        {"token_type", tokenType.toStdString()},     {"expires_in", expiresIn},
        {"refresh_expires_in", refreshExpiresIn},    {"user", user.toJson()},
    };
}

} // namespace Tolvan
