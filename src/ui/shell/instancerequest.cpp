#include "instancerequest.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

namespace Tolvan {

namespace {

using Action = InstanceRequest::Action;

constexpr std::array<std::pair<Action, const char *>, 6> actionNames{{
    {Action::Open, "open"},
    {Action::OpenInBackground, "background"},
    {Action::OpenSettings, "settings"},
    {Action::Quit, "quit"},
    {Action::TranslateClipboard, "translate-clipboard"},
    {Action::ImproveClipboard, "improve-clipboard"},
}};

} // namespace

QByteArray InstanceRequest::encoded() const
{
    QString name;
    for (const auto &[candidate, text] : actionNames) {
        if (candidate == action) {
            name = QLatin1String(text);
        }
    }
    const QJsonObject object{{QStringLiteral("action"), name},
                             {QStringLiteral("activationToken"), activationToken}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<InstanceRequest> InstanceRequest::decode(const QByteArray &line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line.trimmed());
    const QJsonObject object = document.object();
    const QJsonValue action = object.value(QStringLiteral("action"));
    const QJsonValue token = object.value(QStringLiteral("activationToken"));
    if (!document.isObject() || !action.isString() || !(token.isString() || token.isUndefined())) {
        return std::nullopt;
    }
    for (const auto &[candidate, text] : actionNames) {
        if (action.toString() == QLatin1String(text)) {
            return InstanceRequest{candidate, token.toString()};
        }
    }
    return std::nullopt;
}

} // namespace Tolvan
