#include "requestbody.h"

namespace Tolvan {

namespace {

nlohmann::json parsed(const QByteArray &body, const nlohmann::json &defaults, bool *ok)
{
    auto document = JsonFields::parse(body);
    *ok = document.isOk();
    if (!*ok || !document.value().is_object()) {
        return document.isOk() ? std::move(document).value() : nlohmann::json();
    }
    nlohmann::json object = std::move(document).value();
    for (const auto &[key, value] : defaults.items()) {
        if (!object.contains(key) || object[key].is_null()) {
            object[key] = value;
        }
    }
    return object;
}

} // namespace

RequestBody::RequestBody(const QByteArray &body, const nlohmann::json &defaults)
    : m_document(parsed(body, defaults, &m_parsed))
    , m_fields(m_document, QStringLiteral("The request body"))
{
}

bool RequestBody::has(const char *key) const
{
    return m_document.is_object() && m_document.contains(key) && !m_document[key].is_null();
}

std::optional<HttpReply> RequestBody::rejection() const
{
    if (!m_parsed) {
        return HttpReply::error(400, "invalid_json",
                                QStringLiteral("The request body is not JSON."));
    }
    if (!m_fields.ok()) {
        return HttpReply::error(400, "invalid_request", m_fields.finish(0).error().text());
    }
    return std::nullopt;
}

} // namespace Tolvan
