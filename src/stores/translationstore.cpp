#include "translationstore.h"

#include "apiclient.h"
#include "authstore.h"
#include "propertyassignment.h"
#include "requestaccess.h"
#include "userperceivedcharacters.h"
#include "userpreferences.h"

#include <QLocale>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <utility>

namespace Tolvan {

namespace {

bool isTwoLetterCode(const QString &code)
{
    return code.size() == 2 && std::all_of(code.cbegin(), code.cend(), [](QChar c) {
               return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                      (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
           });
}

std::optional<QString> codeOf(const std::optional<TranslationLanguage> &language)
{
    if (!language) {
        return std::nullopt;
    }
    return language->code;
}

std::optional<TranslationLanguage> languageFrom(const QVariant &value)
{
    if (value.metaType() != QMetaType::fromType<TranslationLanguage>()) {
        return std::nullopt;
    }
    return value.value<TranslationLanguage>();
}

QVariant valueOf(const std::optional<TranslationLanguage> &language)
{
    return language ? QVariant::fromValue(*language) : QVariant();
}

} // namespace

TranslationStore::TranslationStore(AuthStore *auth, std::shared_ptr<APIClientProtocol> client,
                                   UserPreferences *preferences, QObject *parent)
    : QObject(parent)
    , m_auth(auth)
    , m_client(client ? std::move(client) : std::make_shared<APIClient>())
    , m_preferences(preferences)
{
    m_published = derive();
    for (const auto signal :
         {&TranslationStore::textChanged, &TranslationStore::sourceChanged,
          &TranslationStore::targetChanged, &TranslationStore::languagesChanged,
          &TranslationStore::isLoadingLanguagesChanged, &TranslationStore::languageMessageChanged,
          &TranslationStore::resultChanged, &TranslationStore::isBusyChanged,
          &TranslationStore::messageChanged, &TranslationStore::billingURLChanged}) {
        connect(this, signal, this, &TranslationStore::publishDerived);
    }
    m_auth->addAccountChangeObserver([self = QPointer<TranslationStore>(this)] {
        if (self) {
            self->handleAccountChange();
        }
    });
}

TranslationStore::~TranslationStore()
{
    // Stops the transfers; their coroutines then find the store gone.
    for (const auto &task : {m_task, m_languageTask}) {
        if (task) {
            task->cancel();
        }
    }
}

void TranslationStore::setText(const QString &text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    const int count = int(countUserPerceivedCharacters(m_text));
    const bool countChanged = count != m_characterCount;
    m_characterCount = count;
    Q_EMIT textChanged();
    if (countChanged) {
        Q_EMIT characterCountChanged();
    }
    cancelRequest(false);
}

void TranslationStore::setSource(const std::optional<TranslationLanguage> &source)
{
    changeSelection(m_source, source, &TranslationStore::sourceChanged,
                    &UserPreferences::setSourceLanguageCode);
}

void TranslationStore::setTarget(const std::optional<TranslationLanguage> &target)
{
    changeSelection(m_target, target, &TranslationStore::targetChanged,
                    &UserPreferences::setTargetLanguageCode);
}

void TranslationStore::changeSelection(
    std::optional<TranslationLanguage> &selection,
    const std::optional<TranslationLanguage> &language, void (TranslationStore::*changed)(),
    void (UserPreferences::*save)(const std::optional<QString> &))
{
    if (language == selection) {
        return;
    }
    const bool sameCode = codeOf(language) == codeOf(selection);
    selection = language;
    Q_EMIT(this->*changed)();
    if (sameCode) {
        return;
    }
    cancelRequest(true);
    if (m_preferences) {
        (m_preferences->*save)(codeOf(language));
    }
}

QVariant TranslationStore::sourceValue() const
{
    return valueOf(m_source);
}

void TranslationStore::setSourceValue(const QVariant &source)
{
    setSource(languageFrom(source));
}

QVariant TranslationStore::targetValue() const
{
    return valueOf(m_target);
}

void TranslationStore::setTargetValue(const QVariant &target)
{
    setTarget(languageFrom(target));
}

QString TranslationStore::characterCountText() const
{
    return QLocale().toString(m_characterCount) + QStringLiteral(" / 5,000");
}

bool TranslationStore::canTranslate() const
{
    return !m_isBusy && !hasUnavailableSelection() && m_source && m_target &&
           m_source->code != m_target->code && hasTranslatableText();
}

bool TranslationStore::hasTranslatableText() const
{
    return !m_text.trimmed().isEmpty() && m_characterCount <= maximumTextLength;
}

bool TranslationStore::hasUnavailableSelection() const
{
    return (m_source && !catalogueLanguage(m_source->code)) ||
           (m_target && !catalogueLanguage(m_target->code));
}

bool TranslationStore::canClear() const
{
    return !m_text.isEmpty() || !m_result.isEmpty() || m_message || m_isBusy;
}

QString TranslationStore::primaryActionTitle() const
{
    return m_message && !m_billingURL ? QStringLiteral("Retry") : QStringLiteral("Translate");
}

StatusLine TranslationStore::status() const
{
    using Kind = StatusLine::Kind;
    if (hasUnavailableSelection() || ((!m_source || !m_target) && !m_result.isEmpty())) {
        return StatusLine::of(
            Kind::Text,
            QStringLiteral("Select available source and target languages to translate again."));
    }
    if (m_isLoadingLanguages) {
        return StatusLine::of(Kind::Progress, QStringLiteral("Loading languages…"));
    }
    if (m_languageMessage) {
        return {Kind::Text, *m_languageMessage,
                QStringLiteral("Language error: ") + *m_languageMessage};
    }
    if (m_languages.isEmpty()) {
        return StatusLine::of(Kind::Text, QStringLiteral("Waiting for languages…"));
    }
    if (!m_target) {
        return StatusLine::of(Kind::Text,
                              QStringLiteral("No second translation language is available."));
    }
    if (m_isBusy) {
        return StatusLine::of(Kind::Progress, QStringLiteral("Translating…"));
    }
    if (m_message) {
        return {Kind::Text, *m_message, QStringLiteral("Translation error: ") + *m_message};
    }
    if (m_characterCount > maximumTextLength) {
        return StatusLine::of(Kind::Text, QStringLiteral("Use 5,000 characters or fewer."));
    }
    if (codeOf(m_source) == codeOf(m_target)) {
        return StatusLine::of(Kind::Text,
                              QStringLiteral("Choose different source and target languages."));
    }
    if (!m_result.isEmpty()) {
        return StatusLine::of(Kind::Success, QStringLiteral("Translated"));
    }
    return StatusLine::none();
}

void TranslationStore::loadLanguages(bool force)
{
    if (m_auth->phase() != AuthStore::Phase::Authenticated || m_isLoadingLanguages) {
        return;
    }
    // After the first request, only a failed catalogue may be requested again.
    if (m_didRequestLanguages && !(force && m_languageMessage)) {
        return;
    }
    m_didRequestLanguages = true;
    setIsLoadingLanguages(true);
    setLanguageMessage(std::nullopt);
    const CancellationToken cancel;
    m_languageTask = cancel;
    runLanguageLoad(cancel);
}

QCoro::Task<> TranslationStore::runLanguageLoad(CancellationToken cancel)
{
    QPointer<TranslationStore> self(this);
    const auto client = m_client;
    const QCoro::Task<RequestAccess> pendingAccess = RequestAccess::obtain(m_auth, this, {});
    const RequestAccess access = co_await pendingAccess;
    if (access.requesterGone()) {
        co_return;
    }
    if (access.isSignedOut()) {
        setLanguageMessage(QStringLiteral("Please sign in again to load languages."));
    } else {
        const auto answer = co_await client->fetchLanguages(access.accessToken(), cancel);
        if (!self) {
            co_return;
        }
        if (answer) {
            applyCatalogue(answer.value());
        } else {
            setLanguageMessage(answer.error().text());
        }
    }
    setIsLoadingLanguages(false);
    m_languageTask.reset();
}

QList<TranslationLanguage>
TranslationStore::usableLanguages(const QList<TranslationLanguage> &catalogue)
{
    QList<TranslationLanguage> usable;
    QSet<QString> codes;
    for (const TranslationLanguage &language : catalogue) {
        if (isTwoLetterCode(language.code) && !language.name.trimmed().isEmpty() &&
            !codes.contains(language.code)) {
            codes.insert(language.code);
            usable.append(language);
        }
    }
    return usable;
}

void TranslationStore::applyCatalogue(const QList<TranslationLanguage> &catalogue)
{
    const QList<TranslationLanguage> usable = usableLanguages(catalogue);
    if (usable.isEmpty()) {
        setLanguageMessage(ServiceError::invalidResponse(ErrorFamily::Languages).text());
        return;
    }
    // Choosing the languages cancels, which drops the hand-off; it still runs.
    const bool hadPendingPaste = m_hasPendingPaste;
    setLanguages(usable);
    if (!m_source && !m_target && m_result.isEmpty()) {
        chooseDefaultLanguages();
    } else {
        // Selections the catalogue lacks stay, and show as unavailable.
        const auto offered = [this](const std::optional<TranslationLanguage> &selection) {
            const auto found = selection ? catalogueLanguage(selection->code) : std::nullopt;
            return found ? found : selection;
        };
        setSource(offered(m_source));
        setTarget(offered(m_target));
    }
    m_hasPendingPaste = false;
    if (hadPendingPaste) {
        translate();
    }
}

void TranslationStore::chooseDefaultLanguages()
{
    const auto savedSource = m_preferences ? m_preferences->sourceLanguageCode() : std::nullopt;
    const auto savedTarget = m_preferences ? m_preferences->targetLanguageCode() : std::nullopt;
    const auto firstWhere = [this](auto predicate) -> std::optional<TranslationLanguage> {
        const auto found = std::find_if(m_languages.cbegin(), m_languages.cend(), predicate);
        if (found == m_languages.cend()) {
            return std::nullopt;
        }
        return *found;
    };
    const auto hasCode = [](const QString &code) {
        return [code](const TranslationLanguage &language) { return language.code == code; };
    };

    std::optional<TranslationLanguage> source =
        savedSource ? catalogueLanguage(*savedSource) : std::nullopt;
    if (!source) {
        source = firstWhere(hasCode(QStringLiteral("en")));
    }
    if (!source) {
        source = firstWhere([](const TranslationLanguage &) { return true; });
    }
    setSource(source);

    // A saved target is taken even when it equals the source.
    std::optional<TranslationLanguage> target =
        savedTarget ? catalogueLanguage(*savedTarget) : std::nullopt;
    const auto differsFromSource = [&source](const TranslationLanguage &language) {
        return !source || language.code != source->code;
    };
    if (!target) {
        target = firstWhere([&](const TranslationLanguage &language) {
            return language.code == QLatin1String("fr") && differsFromSource(language);
        });
    }
    if (!target) {
        target = firstWhere(differsFromSource);
    }
    setTarget(target);
}

void TranslationStore::translate()
{
    if (!canTranslate()) {
        return;
    }
    m_hasPendingPaste = false;
    const QUuid generation = m_generation;
    // The text goes as typed, surrounding white space included.
    const TranslationRequest request{
        .text = m_text, .sourceLanguage = m_source->code, .targetLanguage = m_target->code};
    setIsBusy(true);
    // A billing link from an earlier failure stays until a cancellation.
    setMessage(std::nullopt);
    const CancellationToken cancel;
    m_task = cancel;
    runTranslation(generation, request, cancel);
}

QCoro::Task<> TranslationStore::runTranslation(QUuid generation, TranslationRequest request,
                                               CancellationToken cancel)
{
    QPointer<TranslationStore> self(this);
    const auto client = m_client;
    const auto isCurrent = [&] { return m_generation == generation && !cancel.isCancelled(); };
    const QCoro::Task<RequestAccess> pendingAccess = RequestAccess::obtain(m_auth, this, isCurrent);
    const RequestAccess access = co_await pendingAccess;
    if (access.requesterGone()) {
        co_return;
    }
    if (access.isSignedOut()) {
        setMessage(QStringLiteral("Please sign in again to translate."));
    } else if (access.isGranted()) {
        const Result<QString> answer =
            co_await client->translate(request, access.accessToken(), cancel);
        if (!self) {
            co_return;
        }
        if (isCurrent()) {
            applyTranslation(answer);
        }
    }
    if (m_generation == generation) {
        setIsBusy(false);
        m_task.reset();
    }
}

void TranslationStore::applyTranslation(const Result<QString> &answer)
{
    if (answer) {
        setResult(answer.value());
        return;
    }
    if (answer.error().kind() == ServiceError::Kind::SubscriptionRequired) {
        setBillingURL(answer.error().billingURL());
    }
    setMessage(answer.error().text());
}

void TranslationStore::swapLanguages()
{
    if (!m_source || !m_target) {
        return;
    }
    const QString previousResult = m_result;
    const auto previousSource = m_source;
    const auto previousTarget = m_target;
    setSource(previousTarget);
    setTarget(previousSource);
    if (!previousResult.isEmpty()) {
        setText(previousResult);
    }
}

void TranslationStore::pasteAndTranslate()
{
    cancelRequest(false);
    if (!hasTranslatableText() || m_auth->phase() != AuthStore::Phase::Authenticated) {
        return;
    }
    if (!m_isLoadingLanguages && !m_languages.isEmpty()) {
        translate();
        return;
    }
    // Runs once the catalogue arrives, also after a failed load is retried.
    m_hasPendingPaste = true;
    loadLanguages(false);
}

void TranslationStore::pasteAndTranslate(const QString &text)
{
    setText(text);
    pasteAndTranslate();
}

void TranslationStore::restore(const HistoryEntry &entry)
{
    cancelRequest(true);
    setText(entry.source);
    const auto languageFor = [this](const std::optional<QString> &code) {
        return code ? std::optional(language(*code)) : std::nullopt;
    };
    setSource(languageFor(entry.sourceLanguage));
    setTarget(languageFor(entry.targetLanguage));
    setResult(entry.result);
    loadLanguages(false);
}

void TranslationStore::cancelRequest(bool clearResult)
{
    m_hasPendingPaste = false;
    m_generation = QUuid::createUuid();
    if (m_task) {
        m_task->cancel();
        m_task.reset();
    }
    setIsBusy(false);
    if (clearResult) {
        setResult(QString());
    }
    setMessage(std::nullopt);
    setBillingURL(std::nullopt);
}

TranslationLanguage TranslationStore::language(const QString &code) const
{
    return catalogueLanguage(code).value_or(
        TranslationLanguage{.code = code, .name = code.toUpper()});
}

std::optional<TranslationLanguage> TranslationStore::catalogueLanguage(const QString &code) const
{
    const auto found = std::find_if(
        m_languages.cbegin(), m_languages.cend(),
        [&code](const TranslationLanguage &language) { return language.code == code; });
    if (found == m_languages.cend()) {
        return std::nullopt;
    }
    return *found;
}

void TranslationStore::handleAccountChange()
{
    // The catalogue and the chosen languages belong to no account; they stay.
    cancelRequest(true);
    setText(QString());
}

TranslationStore::Derived TranslationStore::derive() const
{
    return {.canTranslate = canTranslate(),
            .hasUnavailableSelection = hasUnavailableSelection(),
            .canSwapLanguages = canSwapLanguages(),
            .canClear = canClear(),
            .primaryActionTitle = primaryActionTitle(),
            .status = status()};
}

void TranslationStore::publishDerived()
{
    const Derived now = derive();
    const Derived before = std::exchange(m_published, now);
    if (now.canTranslate != before.canTranslate) {
        Q_EMIT canTranslateChanged();
    }
    if (now.hasUnavailableSelection != before.hasUnavailableSelection) {
        Q_EMIT hasUnavailableSelectionChanged();
    }
    if (now.canSwapLanguages != before.canSwapLanguages) {
        Q_EMIT canSwapLanguagesChanged();
    }
    if (now.canClear != before.canClear) {
        Q_EMIT canClearChanged();
    }
    if (now.primaryActionTitle != before.primaryActionTitle) {
        Q_EMIT primaryActionTitleChanged();
    }
    if (now.status != before.status) {
        Q_EMIT statusChanged();
    }
}

void TranslationStore::setLanguages(const QList<TranslationLanguage> &languages)
{
    assignProperty(this, m_languages, languages, &TranslationStore::languagesChanged);
}

void TranslationStore::setIsLoadingLanguages(bool isLoadingLanguages)
{
    assignProperty(this, m_isLoadingLanguages, isLoadingLanguages,
                   &TranslationStore::isLoadingLanguagesChanged);
}

void TranslationStore::setLanguageMessage(const std::optional<QString> &languageMessage)
{
    assignProperty(this, m_languageMessage, languageMessage,
                   &TranslationStore::languageMessageChanged);
}

void TranslationStore::setResult(const QString &result)
{
    assignProperty(this, m_result, result, &TranslationStore::resultChanged);
}

void TranslationStore::setIsBusy(bool isBusy)
{
    assignProperty(this, m_isBusy, isBusy, &TranslationStore::isBusyChanged);
}

void TranslationStore::setMessage(const std::optional<QString> &message)
{
    assignProperty(this, m_message, message, &TranslationStore::messageChanged);
}

void TranslationStore::setBillingURL(const std::optional<QUrl> &billingURL)
{
    assignProperty(this, m_billingURL, billingURL, &TranslationStore::billingURLChanged);
}

} // namespace Tolvan
