#include "textroutes.h"

#include "requestbody.h"

#include <QTextBoundaryFinder>

namespace Tolvan {

namespace {

qsizetype characterCount(const QString &text)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (graphemes.toNextBoundary() >= 0) {
        ++count;
    }
    return count;
}

nlohmann::json text(const QString &value)
{
    return value.toStdString();
}

} // namespace

TextRoutes::TextRoutes(Dependencies dependencies)
    : m_use(dependencies)
{
}

void TextRoutes::install(Router &router)
{
    using Access = Router::Access;
    router.add("GET", QStringLiteral("/api/languages"), Access::Bearer,
               [this](const HttpRequest &request) { return languages(request); });
    router.addAsync("POST", QStringLiteral("/api/translate"), Access::Bearer,
                    [this](HttpRequest request) { return translate(std::move(request)); });
    router.add("POST", QStringLiteral("/api/improve"), Access::Bearer,
               [this](const HttpRequest &request) { return improve(request); });
}

HttpReply TextRoutes::languages(const HttpRequest &) const
{
    nlohmann::json languages = nlohmann::json::array();
    for (const TranslationLanguage &language : m_use.translator.languages()) {
        languages.push_back({{"code", text(language.code)}, {"name", text(language.name)}});
    }
    return HttpReply::json(200, {{"languages", languages}});
}

std::optional<HttpReply> TextRoutes::refusal(qint64 account, const QString &text, const char *verb)
{
    if (!m_use.ledger.subscription(account).entitled) {
        nlohmann::json body = HttpReply::errorBody(
            "subscription_required",
            QStringLiteral("A subscription is required to %1 text.").arg(QLatin1String(verb)));
        body["billing_url"] =
            m_use.pages.checkoutLink(account, std::nullopt).toString().toStdString();
        return HttpReply::json(402, body);
    }
    if (text.trimmed().isEmpty()) {
        return HttpReply::error(422, "empty_text", QStringLiteral("The text is empty."));
    }
    if (characterCount(text) > maximumLength) {
        return HttpReply::error(
            422, "text_too_long",
            QStringLiteral("The text is longer than %1 characters.").arg(maximumLength));
    }
    return std::nullopt;
}

QCoro::Task<HttpReply> TextRoutes::translate(HttpRequest request)
{
    RequestBody body(request.body);
    const QString source = body.fields().string("text");
    const QString from = body.fields().string("source_language");
    const QString to = body.fields().string("target_language");
    if (auto rejection = body.rejection()) {
        co_return *rejection;
    }
    if (auto refused = refusal(request.account, source, "translate")) {
        co_return *refused;
    }
    const auto route = m_use.translator.routeFor(from, to);
    if (!route) {
        co_return HttpReply::error(
            422, "unsupported_language_pair",
            QStringLiteral("The language pair %1 to %2 is not installed.").arg(from, to));
    }
    const auto translation = co_await m_use.translator.translate(source, *route);
    if (!translation || translation->trimmed().isEmpty()) {
        co_return HttpReply::error(
            502, "translation_failed",
            QStringLiteral("The translation engine failed. Please try again."));
    }
    m_use.history.add(request.account, HistoryKind::Translation, source, *translation, from, to);
    co_return HttpReply::json(200, {{"translation", text(*translation)}});
}

HttpReply TextRoutes::improve(const HttpRequest &request)
{
    RequestBody body(request.body);
    const QString draft = body.fields().string("text");
    if (auto rejection = body.rejection()) {
        return *rejection;
    }
    if (auto refused = refusal(request.account, draft, "improve")) {
        return *refused;
    }
    const QString improved = m_use.improver.improve(draft);
    m_use.history.add(request.account, HistoryKind::Writing, draft, improved);
    return HttpReply::json(200, {{"improved_text", text(improved)}});
}

} // namespace Tolvan
