#pragma once

#include <QString>

#include <nlohmann/json.hpp>

namespace Tolvan {

struct OTPVerification {
    QString email;
    QString code;

    nlohmann::json toJson() const
    {
        return {{"email", email.toStdString()}, {"code", code.toStdString()}};
    }
};

} // namespace Tolvan
