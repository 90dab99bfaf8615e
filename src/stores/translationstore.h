#pragma once

#include "apiclientprotocol.h"
#include "cancellationtoken.h"
#include "historyentry.h"
#include "statusline.h"
#include "translationlanguage.h"
#include "translationrequest.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QVariant>

#include <memory>
#include <optional>

namespace Tolvan {

class AuthStore;
class UserPreferences;

// The Translate workspace: the input text, the language catalogue of the
// service, the chosen source and target languages, the last translation and
// the messages under the editors. Confined to the main thread.
//
// Every translation answer is applied only while `generation` is the one
// captured when its request started; any cancelRequest() replaces it (an edit
// of the text, a change of language, Clear, an account change), so the answer
// of an abandoned request changes nothing.
class TranslationStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    // A TranslationLanguage, or null for none.
    Q_PROPERTY(QVariant source READ sourceValue WRITE setSourceValue NOTIFY sourceChanged)
    Q_PROPERTY(QVariant target READ targetValue WRITE setTargetValue NOTIFY targetChanged)
    Q_PROPERTY(QList<Tolvan::TranslationLanguage> languages READ languages NOTIFY languagesChanged)
    Q_PROPERTY(bool isLoadingLanguages READ isLoadingLanguages NOTIFY isLoadingLanguagesChanged)
    Q_PROPERTY(QString languageMessage READ languageMessageText NOTIFY languageMessageChanged)
    Q_PROPERTY(bool hasLanguageMessage READ hasLanguageMessage NOTIFY languageMessageChanged)
    Q_PROPERTY(QString result READ result NOTIFY resultChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(QString message READ messageText NOTIFY messageChanged)
    Q_PROPERTY(bool hasMessage READ hasMessage NOTIFY messageChanged)
    Q_PROPERTY(QUrl billingURL READ billingURLValue NOTIFY billingURLChanged)
    Q_PROPERTY(bool hasBillingURL READ hasBillingURL NOTIFY billingURLChanged)
    Q_PROPERTY(int characterCount READ characterCount NOTIFY characterCountChanged)
    Q_PROPERTY(QString characterCountText READ characterCountText NOTIFY characterCountChanged)
    Q_PROPERTY(bool canTranslate READ canTranslate NOTIFY canTranslateChanged)
    Q_PROPERTY(bool hasUnavailableSelection READ hasUnavailableSelection NOTIFY
                   hasUnavailableSelectionChanged)
    Q_PROPERTY(bool canSwapLanguages READ canSwapLanguages NOTIFY canSwapLanguagesChanged)
    Q_PROPERTY(bool canClear READ canClear NOTIFY canClearChanged)
    Q_PROPERTY(QString primaryActionTitle READ primaryActionTitle NOTIFY primaryActionTitleChanged)
    Q_PROPERTY(Tolvan::StatusLine status READ status NOTIFY statusChanged)

public:
    // The longest text that may be translated, in user-perceived characters.
    static constexpr int maximumTextLength = 5000;

    // `auth` must outlive the store. An absent client is an APIClient on the
    // configured service; without preferences no language choice is saved or
    // restored.
    explicit TranslationStore(AuthStore *auth, std::shared_ptr<APIClientProtocol> client = {},
                              UserPreferences *preferences = nullptr, QObject *parent = nullptr);
    ~TranslationStore() override;

    QString text() const { return m_text; }
    // A different text drops the request in flight and keeps the result.
    void setText(const QString &text);
    std::optional<TranslationLanguage> source() const { return m_source; }
    std::optional<TranslationLanguage> target() const { return m_target; }
    // A language with another code (or none) drops the request in flight,
    // clears the result and saves the choice; one with the same code only
    // replaces the record.
    void setSource(const std::optional<TranslationLanguage> &source);
    void setTarget(const std::optional<TranslationLanguage> &target);
    QList<TranslationLanguage> languages() const { return m_languages; }
    bool isLoadingLanguages() const { return m_isLoadingLanguages; }
    std::optional<QString> languageMessage() const { return m_languageMessage; }
    QString result() const { return m_result; }
    bool isBusy() const { return m_isBusy; }
    std::optional<QString> message() const { return m_message; }
    std::optional<QUrl> billingURL() const { return m_billingURL; }

    QVariant sourceValue() const;
    void setSourceValue(const QVariant &source);
    QVariant targetValue() const;
    void setTargetValue(const QVariant &target);
    QString languageMessageText() const { return m_languageMessage.value_or(QString()); }
    bool hasLanguageMessage() const { return m_languageMessage.has_value(); }
    QString messageText() const { return m_message.value_or(QString()); }
    bool hasMessage() const { return m_message.has_value(); }
    QUrl billingURLValue() const { return m_billingURL.value_or(QUrl()); }
    bool hasBillingURL() const { return m_billingURL.has_value(); }

    // The length of `text` in user-perceived characters.
    int characterCount() const { return m_characterCount; }
    // The counter under the input: the count in the locale's digit grouping
    // against the limit, e.g. "1,234 / 5,000".
    QString characterCountText() const;
    bool canTranslate() const;
    // A chosen language that the catalogue does not offer.
    bool hasUnavailableSelection() const;
    bool canSwapLanguages() const { return m_source && m_target; }
    bool canClear() const;
    QString primaryActionTitle() const;
    StatusLine status() const;

    // Requests the catalogue once; `force` retries only after a failure.
    Q_INVOKABLE void loadLanguages(bool force);
    Q_INVOKABLE void translate();
    // The last translation becomes the new input.
    Q_INVOKABLE void swapLanguages();
    // The hand-off of pasted or double-copied text: translates at once when
    // the catalogue is there, otherwise as soon as it arrives.
    Q_INVOKABLE void pasteAndTranslate();
    Q_INVOKABLE void pasteAndTranslate(const QString &text);
    // Puts a translation entry of the history back into the workspace.
    Q_INVOKABLE void restore(const Tolvan::HistoryEntry &entry);
    Q_INVOKABLE void cancelRequest(bool clearResult);
    // The catalogue language with `code`, or one named after the code in
    // upper case when the catalogue has none.
    Q_INVOKABLE Tolvan::TranslationLanguage language(const QString &code) const;

    // The languages the screens can offer, in the service's order: two ASCII
    // letters for a code (compared case-sensitively), a name that is not
    // blank, and each code once. The records are kept as received.
    static QList<TranslationLanguage> usableLanguages(const QList<TranslationLanguage> &catalogue);

Q_SIGNALS:
    void textChanged();
    void sourceChanged();
    void targetChanged();
    void languagesChanged();
    void isLoadingLanguagesChanged();
    void languageMessageChanged();
    void resultChanged();
    void isBusyChanged();
    void messageChanged();
    void billingURLChanged();
    void characterCountChanged();
    void canTranslateChanged();
    void hasUnavailableSelectionChanged();
    void canSwapLanguagesChanged();
    void canClearChanged();
    void primaryActionTitleChanged();
    void statusChanged();

private:
    struct Derived {
        bool canTranslate = false;
        bool hasUnavailableSelection = false;
        bool canSwapLanguages = false;
        bool canClear = false;
        QString primaryActionTitle;
        StatusLine status;
    };

    QCoro::Task<> runLanguageLoad(CancellationToken cancel);
    void applyCatalogue(const QList<TranslationLanguage> &catalogue);
    void chooseDefaultLanguages();
    QCoro::Task<> runTranslation(QUuid generation, TranslationRequest request,
                                 CancellationToken cancel);
    void applyTranslation(const Result<QString> &answer);
    void handleAccountChange();
    void changeSelection(std::optional<TranslationLanguage> &selection,
                         const std::optional<TranslationLanguage> &language,
                         void (TranslationStore::*changed)(),
                         void (UserPreferences::*save)(const std::optional<QString> &));
    // Text that is not blank and not longer than the limit.
    bool hasTranslatableText() const;
    std::optional<TranslationLanguage> catalogueLanguage(const QString &code) const;
    Derived derive() const;
    void publishDerived();

    void setLanguages(const QList<TranslationLanguage> &languages);
    void setIsLoadingLanguages(bool isLoadingLanguages);
    void setLanguageMessage(const std::optional<QString> &languageMessage);
    void setResult(const QString &result);
    void setIsBusy(bool isBusy);
    void setMessage(const std::optional<QString> &message);
    void setBillingURL(const std::optional<QUrl> &billingURL);

    QString m_text;
    int m_characterCount = 0;
    std::optional<TranslationLanguage> m_source;
    std::optional<TranslationLanguage> m_target;
    QList<TranslationLanguage> m_languages;
    bool m_isLoadingLanguages = false;
    std::optional<QString> m_languageMessage;
    QString m_result;
    bool m_isBusy = false;
    std::optional<QString> m_message;
    std::optional<QUrl> m_billingURL;

    bool m_didRequestLanguages = false;
    std::optional<CancellationToken> m_languageTask;
    bool m_hasPendingPaste = false;
    QUuid m_generation = QUuid::createUuid();
    std::optional<CancellationToken> m_task;
    AuthStore *m_auth;
    std::shared_ptr<APIClientProtocol> m_client;
    UserPreferences *m_preferences;
    Derived m_published;
};

} // namespace Tolvan
