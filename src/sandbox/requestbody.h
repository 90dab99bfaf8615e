#pragma once

#include "httpreply.h"
#include "jsonfields.h"

#include <optional>

namespace Tolvan {

// A JSON request body read field by field with the wire records' strict
// readers. A body that is not a JSON object, or a field that is missing or of
// the wrong type, turns into a 400 answer that names the problem.
class RequestBody {
public:
    // `defaults` fills in keys that are missing or null.
    explicit RequestBody(const QByteArray &body,
                         const nlohmann::json &defaults = nlohmann::json::object());
    RequestBody(const RequestBody &) = delete;
    RequestBody &operator=(const RequestBody &) = delete;

    JsonFields &fields() { return m_fields; }
    const nlohmann::json &document() const { return m_document; }
    // True when the key is present and not null.
    bool has(const char *key) const;

    std::optional<HttpReply> rejection() const;

private:
    bool m_parsed = false;
    nlohmann::json m_document;
    JsonFields m_fields;
};

} // namespace Tolvan
