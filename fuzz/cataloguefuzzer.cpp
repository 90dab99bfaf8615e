// A language catalogue from the service, as the Translate workspace filters
// it: the usable languages are exactly the well-formed ones, each code once,
// in the service's order and unchanged.
#include "languagesresponse.h"
#include "translationstore.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>

using namespace Tolvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto document =
        JsonFields::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!document) {
        return 0;
    }
    const auto catalogue = LanguagesResponse::fromJson(document.value());
    if (!catalogue) {
        return 0;
    }
    const QList<TranslationLanguage> &offered = catalogue.value().languages;
    const QList<TranslationLanguage> usable = TranslationStore::usableLanguages(offered);

    static const QRegularExpression twoLetters(QStringLiteral("^[A-Za-z]{2}$"));
    QList<TranslationLanguage> expected;
    QStringList seen;
    for (const TranslationLanguage &language : offered) {
        if (twoLetters.match(language.code).hasMatch() && !language.name.trimmed().isEmpty() &&
            !seen.contains(language.code)) {
            seen.append(language.code);
            expected.append(language);
        }
    }
    if (usable != expected) {
        std::abort();
    }
    return 0;
}
