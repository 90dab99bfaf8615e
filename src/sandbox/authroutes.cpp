#include "authroutes.h"

#include "requestbody.h"

#include <QRegularExpression>

namespace Tolvan {

namespace {

bool isPlausibleAddress(const QString &email)
{
    static const QRegularExpression address(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    return address.match(email.trimmed()).hasMatch();
}

HttpReply refusedCode(SignInCodes::Check check)
{
    switch (check) {
    case SignInCodes::Check::Wrong:
        return HttpReply::error(401, "invalid_code", QStringLiteral("The sign-in code is wrong."));
    case SignInCodes::Check::Expired:
        return HttpReply::error(401, "code_expired",
                                QStringLiteral("The sign-in code has expired. Request a new one."));
    case SignInCodes::Check::TooManyTries:
        return HttpReply::error(429, "too_many_attempts",
                                QStringLiteral("Too many wrong sign-in codes. Request a new one."));
    default:
        return HttpReply::error(401, "invalid_code",
                                QStringLiteral("No sign-in code is pending. Request a new one."));
    }
}

} // namespace

AuthRoutes::AuthRoutes(Dependencies dependencies, bool entitledByDefault, Mailer mailer)
    : m_use(dependencies)
    , m_entitledByDefault(entitledByDefault)
    , m_mailer(std::move(mailer))
{
}

void AuthRoutes::install(Router &router)
{
    using Access = Router::Access;
    router.add("POST", QStringLiteral("/api/auth/otp/request"), Access::Public,
               [this](const HttpRequest &request) { return requestCode(request); });
    router.add("POST", QStringLiteral("/api/auth/otp/verify"), Access::Public,
               [this](const HttpRequest &request) { return verifyCode(request); });
    router.add("POST", QStringLiteral("/api/auth/refresh"), Access::Public,
               [this](const HttpRequest &request) { return refresh(request); });
    router.add("DELETE", QStringLiteral("/api/auth/session"), Access::Public,
               [this](const HttpRequest &request) { return revoke(request); });
}

std::variant<qint64, HttpReply> AuthRoutes::authorise(const HttpRequest &request) const
{
    static const QByteArray scheme = "Bearer ";
    const QByteArray authorization = request.header("Authorization");
    if (!authorization.startsWith(scheme) || authorization.size() == scheme.size()) {
        return HttpReply::error(401, "unauthorized",
                                QStringLiteral("The request carries no bearer token."));
    }
    const auto authentication =
        m_use.tokens.authenticate(QString::fromLatin1(authorization.mid(scheme.size())));
    switch (authentication.verdict) {
    case SessionTokens::Verdict::Valid:
        return authentication.account;
    case SessionTokens::Verdict::Expired:
        return HttpReply::error(401, "token_expired", QStringLiteral("The session has expired."));
    default:
        return HttpReply::error(401, "unauthorized",
                                QStringLiteral("The session is not valid. Sign in again."));
    }
}

HttpReply AuthRoutes::requestCode(const HttpRequest &request)
{
    RequestBody body(request.body);
    const QString email = body.fields().string("email");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    if (!isPlausibleAddress(email)) {
        return HttpReply::error(422, "invalid_email",
                                QStringLiteral("Enter a valid e-mail address."));
    }
    const QString code = m_use.codes.issue(email);
    m_mailer(Accounts::normalisedAddress(email), code);
    return HttpReply::json(202, {{"status", "code_sent"}});
}

HttpReply AuthRoutes::verifyCode(const HttpRequest &request)
{
    RequestBody body(request.body);
    const QString email = body.fields().string("email");
    const QString code = body.fields().string("code");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    const SignInCodes::Check check = m_use.codes.check(email, code.trimmed());
    if (check != SignInCodes::Check::Accepted) {
        return refusedCode(check);
    }
    const Accounts::SignIn signIn = m_use.accounts.findOrCreate(email);
    if (signIn.isNew && m_entitledByDefault) {
        m_use.ledger.activate(signIn.user.id, BillingPlanID::Monthly);
    }
    return HttpReply::json(200, m_use.tokens.open(signIn.user).toJson());
}

HttpReply AuthRoutes::refresh(const HttpRequest &request)
{
    RequestBody body(request.body);
    const QString refreshToken = body.fields().string("refresh_token");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    const auto pair = m_use.tokens.rotate(refreshToken);
    if (!pair) {
        return HttpReply::error(401, "invalid_refresh_token",
                                QStringLiteral("The session has ended. Sign in again."));
    }
    return HttpReply::json(200, pair->toJson());
}

HttpReply AuthRoutes::revoke(const HttpRequest &request)
{
    RequestBody body(request.body);
    const QString refreshToken = body.fields().string("refresh_token");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    m_use.tokens.revoke(refreshToken);
    return HttpReply::empty(204);
}

} // namespace Tolvan
