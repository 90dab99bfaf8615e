#pragma once

#include "result.h"

#include <QObject>
#include <QString>

#include <nlohmann/json_fwd.hpp>

namespace Tolvan {

struct AuthUser {
    Q_GADGET
    Q_PROPERTY(QString id READ idText CONSTANT)
    Q_PROPERTY(QString email MEMBER email CONSTANT)
public:
    // The account; a change of id is a change of account.
    qint64 id = 0;
    QString email;

    // QML numbers lose precision above 2^53, so the id travels there as text.
    QString idText() const { return QString::number(id); }

    static Result<AuthUser> fromJson(const nlohmann::json &json);
    nlohmann::json toJson() const;

    bool operator==(const AuthUser &) const = default;
};

} // namespace Tolvan
