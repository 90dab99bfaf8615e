#include "languagepicker.h"

#include <QLocale>

#include <unicode/coll.h>
#include <unicode/stsearch.h>
#include <unicode/tblcoll.h>

#include <algorithm>
#include <memory>

namespace Tolvan {

namespace {

icu::UnicodeString unicode(const QString &text)
{
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
}

QVariantList values(const QList<TranslationLanguage> &languages)
{
    QVariantList list;
    list.reserve(languages.size());
    for (const auto &language : languages) {
        list.append(QVariant::fromValue(language));
    }
    return list;
}

// Finds a pattern anywhere inside texts, comparing by primary collation
// strength in the current locale.
class PrimarySearch {
public:
    explicit PrimarySearch(const QString &pattern)
    {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Locale locale(QLocale().name().toUtf8().constData());
        m_collator.reset(
            dynamic_cast<icu::RuleBasedCollator *>(icu::Collator::createInstance(locale, status)));
        if (U_FAILURE(status) || !m_collator) {
            return;
        }
        m_collator->setStrength(icu::Collator::PRIMARY);
        // A placeholder text: StringSearch refuses an empty one.
        m_search = std::make_unique<icu::StringSearch>(unicode(pattern), icu::UnicodeString(u" "),
                                                       m_collator.get(), nullptr, status);
        if (U_FAILURE(status)) {
            m_search.reset();
        }
    }

    bool isFoundIn(const QString &text)
    {
        if (!m_search || text.isEmpty()) {
            return false;
        }
        UErrorCode status = U_ZERO_ERROR;
        m_search->setText(unicode(text), status);
        if (U_FAILURE(status)) {
            return false;
        }
        const int32_t position = m_search->first(status);
        return U_SUCCESS(status) && position != USEARCH_DONE;
    }

private:
    std::unique_ptr<icu::RuleBasedCollator> m_collator;
    std::unique_ptr<icu::StringSearch> m_search;
};

} // namespace

LanguagePicker::LanguagePicker(QObject *parent)
    : QObject(parent)
{
}

void LanguagePicker::setLanguages(const QList<TranslationLanguage> &languages)
{
    if (languages == m_languages) {
        return;
    }
    m_languages = languages;
    Q_EMIT languagesChanged();
    Q_EMIT filteredLanguagesChanged();
    Q_EMIT recentLanguagesChanged();
}

void LanguagePicker::setSearch(const QString &search)
{
    if (search == m_search) {
        return;
    }
    const bool wasSearching = !m_search.trimmed().isEmpty();
    m_search = search;
    Q_EMIT searchChanged();
    Q_EMIT filteredLanguagesChanged();
    if (wasSearching != !m_search.trimmed().isEmpty()) {
        Q_EMIT recentLanguagesChanged();
    }
}

QVariantList LanguagePicker::filteredLanguages() const
{
    return values(filter(m_languages, m_search));
}

QVariantList LanguagePicker::recentLanguages() const
{
    if (!m_search.trimmed().isEmpty()) {
        return {};
    }
    QList<TranslationLanguage> recent;
    for (const auto &code : m_recentCodes) {
        const auto found =
            std::find_if(m_languages.cbegin(), m_languages.cend(),
                         [&](const auto &language) { return language.code == code; });
        if (found != m_languages.cend()) {
            recent.append(*found);
        }
    }
    return values(recent);
}

void LanguagePicker::remember(const QString &code)
{
    QStringList codes = m_recentCodes;
    codes.removeAll(code);
    codes.prepend(code);
    if (codes.size() > maximumRecentCodes) {
        codes = codes.first(maximumRecentCodes);
    }
    if (codes == m_recentCodes) {
        return;
    }
    m_recentCodes = codes;
    Q_EMIT recentCodesChanged();
    Q_EMIT recentLanguagesChanged();
}

QList<TranslationLanguage> LanguagePicker::filter(const QList<TranslationLanguage> &languages,
                                                  const QString &query)
{
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty()) {
        return languages;
    }
    PrimarySearch search(trimmed);
    QList<TranslationLanguage> kept;
    for (const auto &language : languages) {
        if (search.isFoundIn(language.name) || search.isFoundIn(language.code)) {
            kept.append(language);
        }
    }
    return kept;
}

} // namespace Tolvan
