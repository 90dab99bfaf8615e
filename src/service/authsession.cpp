#include "authsession.h"

#include "jsonfields.h"

#include <cmath>

namespace Tolvan {

namespace {

// 2001-01-01T00:00:00Z in milliseconds since 1970.
constexpr qint64 referenceEpochMs = 978307200000;

double toReferenceSeconds(const QDateTime &instant)
{
    return double(instant.toMSecsSinceEpoch() - referenceEpochMs) / 1000.0;
}

// Instants are kept to the millisecond, so rounding recovers exactly what was written.
QDateTime fromReferenceSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::abs(seconds) > 1e12) {
        return {};
    }
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)) + referenceEpochMs,
                                          Qt::UTC);
}

} // namespace

Result<AuthSession> AuthSession::fromJson(const nlohmann::json &json)
{
    JsonFields fields(json);
    AuthSession session{
        .tokens = fields.record<TokenPair>("tokens"),
        .accessExpiresAt = fromReferenceSeconds(fields.number("accessExpiresAt")),
        .refreshExpiresAt = fromReferenceSeconds(fields.number("refreshExpiresAt")),
    };
    // A number too large for an instant would not read back as written.
    if (fields.ok() &&
        (!session.accessExpiresAt.isValid() || !session.refreshExpiresAt.isValid())) {
        return ServiceError::decoding(QStringLiteral("The saved session holds an invalid date."));
    }
    return fields.finish(std::move(session));
}

nlohmann::json AuthSession::toJson() const
{
    return {
        {"tokens", tokens.toJson()},
        {"accessExpiresAt", toReferenceSeconds(accessExpiresAt)},
        {"refreshExpiresAt", toReferenceSeconds(refreshExpiresAt)},
    };
}

QByteArray AuthSession::encode() const
{
    return QByteArray::fromStdString(toJson().dump());
}

Result<AuthSession> AuthSession::decode(const QByteArray &bytes)
{
    auto document = JsonFields::parse(bytes);
    if (!document) {
        return document.error();
    }
    return fromJson(document.value());
}

} // namespace Tolvan
