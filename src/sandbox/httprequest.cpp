#include "httprequest.h"

#include "jsonfields.h"

namespace Tolvan {

QByteArray HttpRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

QString HttpRequest::queryValue(const QString &key) const
{
    return query.queryItemValue(key, QUrl::FullyDecoded);
}

Result<nlohmann::json> HttpRequest::jsonBody() const
{
    return JsonFields::parse(body);
}

} // namespace Tolvan
