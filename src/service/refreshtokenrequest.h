#pragma once

#include <QString>

#include <nlohmann/json.hpp>

namespace Tolvan {

struct RefreshTokenRequest {
    QString refreshToken;

    nlohmann::json toJson() const { return {{"refresh_token", refreshToken.toStdString()}}; }
};

} // namespace Tolvan
