#include "authstore.h"
#include "fakeapiclient.h"
#include "fakecredentialstorage.h"
#include "manualclock.h"
#include "settle.h"
#include "translationstore.h"
#include "userperceivedcharacters.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

using namespace Tolvan;
using namespace Tolvan::Test;

namespace {

// 5,000 user-perceived characters of prose with a family emoji (seven code
// points) every sixteen characters, ending in `last`.
QString typedText(QChar last)
{
    QString text;
    for (int i = 0; i < 312; ++i) {
        text += QStringLiteral("Hello, world! 👨‍👩‍👧‍👦 ");
    }
    return text + QStringLiteral("abcdefg") + last;
}

void countCharacters(benchmark::State &state)
{
    const QString text = typedText(QLatin1Char('h'));
    for (auto _ : state) {
        benchmark::DoNotOptimize(countUserPerceivedCharacters(text));
    }
    state.counters["characters"] = double(countUserPerceivedCharacters(text));
    state.counters["utf16"] = double(text.size());
}
BENCHMARK(countCharacters)->Unit(benchmark::kMicrosecond);

// One keystroke in the Translate editor: the text changes, the store counts
// it again and recomputes every value the screen shows, and the screen reads
// canTranslate.
void keystroke(benchmark::State &state)
{
    int argc = 1;
    char name[] = "tolvan_bench";
    char *argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);

    const auto clock = std::make_shared<ManualClock>();
    const auto storage = std::make_shared<FakeCredentialStorage>();
    const auto client = std::make_shared<FakeAPIClient>();
    const TokenPair tokens{.accessToken = QStringLiteral("access"),
                           .refreshToken = QStringLiteral("refresh"),
                           .tokenType = QStringLiteral("Bearer"),
                           .expiresIn = 3600,
                           .refreshExpiresIn = 86400,
                           .user = {.id = 7, .email = QStringLiteral("user@example.org")}};
    storage->setStoredSession(AuthSession{.tokens = tokens,
                                          .accessExpiresAt = clock->now().addSecs(3600),
                                          .refreshExpiresAt = clock->now().addSecs(86400)});
    AuthStore auth(client, storage, clock);
    auth.handleWindowActivation();
    settle();

    TranslationStore store(&auth, client);
    QList<TranslationLanguage> languages;
    for (const char *code : {"de", "en", "es", "fr", "it", "nl", "pl", "pt", "sv", "tr"}) {
        languages.append({.code = QString::fromLatin1(code), .name = QString::fromLatin1(code)});
    }
    client->answer<ClientOperation::FetchLanguages>(languages);
    store.loadLanguages(false);
    settle();

    const QString texts[] = {typedText(QLatin1Char('h')), typedText(QLatin1Char('i'))};
    int next = 0;
    for (auto _ : state) {
        store.setText(texts[next]);
        benchmark::DoNotOptimize(store.canTranslate());
        next = 1 - next;
    }
    if (!store.canTranslate() || store.characterCount() != 5000) {
        state.SkipWithError("the text is not translatable as measured");
    }
}
BENCHMARK(keystroke)->Unit(benchmark::kMicrosecond);

} // namespace
