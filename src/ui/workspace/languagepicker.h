#pragma once

#include "translationlanguage.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

// What one language selector's picker lists: the languages matching the
// search, and the codes chosen recently through this selector (at most three,
// most recent first, kept only while the selector lives).
class LanguagePicker : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<Tolvan::TranslationLanguage> languages READ languages WRITE setLanguages NOTIFY
                   languagesChanged)
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    Q_PROPERTY(QStringList recentCodes READ recentCodes NOTIFY recentCodesChanged)
    // TranslationLanguage values, in catalogue order.
    Q_PROPERTY(
        QVariantList filteredLanguages READ filteredLanguages NOTIFY filteredLanguagesChanged)
    // TranslationLanguage values in the order of `recentCodes`; none while
    // searching.
    Q_PROPERTY(QVariantList recentLanguages READ recentLanguages NOTIFY recentLanguagesChanged)

public:
    static constexpr int maximumRecentCodes = 3;

    explicit LanguagePicker(QObject *parent = nullptr);

    QList<TranslationLanguage> languages() const { return m_languages; }
    void setLanguages(const QList<TranslationLanguage> &languages);
    QString search() const { return m_search; }
    void setSearch(const QString &search);
    QStringList recentCodes() const { return m_recentCodes; }
    QVariantList filteredLanguages() const;
    QVariantList recentLanguages() const;

    // Puts `code` at the front of the recent codes.
    Q_INVOKABLE void remember(const QString &code);

    // The languages whose name or code contains `query` (trimmed) under the
    // current locale's collation at primary strength: letter case and
    // diacritics do not count. A blank query keeps every language.
    static QList<TranslationLanguage> filter(const QList<TranslationLanguage> &languages,
                                             const QString &query);

Q_SIGNALS:
    void languagesChanged();
    void searchChanged();
    void recentCodesChanged();
    void filteredLanguagesChanged();
    void recentLanguagesChanged();

private:
    QList<TranslationLanguage> m_languages;
    QString m_search;
    QStringList m_recentCodes;
};

} // namespace Tolvan
