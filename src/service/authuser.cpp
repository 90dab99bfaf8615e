#include "authuser.h"

#include "jsonfields.h"

namespace Tolvan {

Result<AuthUser> AuthUser::fromJson(const nlohmann::json &json)
{
    JsonFields fields(json);
    AuthUser user{
        .id = fields.integer("id"),
        .email = fields.string("email"),
    };
    return fields.finish(std::move(user));
}

nlohmann::json AuthUser::toJson() const
{
    return {{"id", id}, {"email", email.toStdString()}};
}

} // namespace Tolvan
