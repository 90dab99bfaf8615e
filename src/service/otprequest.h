#pragma once

#include <QString>

#include <nlohmann/json.hpp>

namespace Tolvan {

struct OTPRequest {
    QString email;

    nlohmann::json toJson() const { return {{"email", email.toStdString()}}; }
};

} // namespace Tolvan
