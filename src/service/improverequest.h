#pragma once

#include <QString>

#include <nlohmann/json.hpp>

namespace Tolvan {

struct ImproveRequest {
    QString text;

    nlohmann::json toJson() const { return {{"text", text.toStdString()}}; }
};

} // namespace Tolvan
