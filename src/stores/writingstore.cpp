#include "writingstore.h"

#include "apiclient.h"
#include "authstore.h"
#include "jsonfields.h"
#include "propertyassignment.h"
#include "requestaccess.h"

#include <QLocale>
#include <QPointer>

namespace Tolvan {

namespace {

const QString fence = QStringLiteral("```");

int countWords(const QString &text)
{
    int count = 0;
    bool inWord = false;
    for (const QChar c : text) {
        const bool isSpace = c.isSpace();
        if (!isSpace && !inWord) {
            ++count;
        }
        inWord = !isSpace;
    }
    return count;
}

// The fenced block's body: the opening fence line (which may name a
// language) and the closing fence go.
QString withoutFence(const QString &trimmed)
{
    if (!trimmed.startsWith(fence) || !trimmed.endsWith(fence)) {
        return trimmed;
    }
    const qsizetype newline = trimmed.indexOf(QLatin1Char('\n'));
    if (newline < 0) {
        return trimmed;
    }
    QString body = trimmed.mid(newline + 1);
    body.chop(fence.size());
    return body.trimmed();
}

} // namespace

WritingStore::WritingStore(AuthStore *auth, std::shared_ptr<APIClientProtocol> client,
                           QObject *parent)
    : QObject(parent)
    , m_auth(auth)
    , m_client(client ? std::move(client) : std::make_shared<APIClient>())
{
    m_published = derive();
    for (const auto signal :
         {&WritingStore::textChanged, &WritingStore::resultChanged, &WritingStore::isBusyChanged,
          &WritingStore::messageChanged, &WritingStore::billingURLChanged}) {
        connect(this, signal, this, &WritingStore::publishDerived);
    }
    m_auth->addAccountChangeObserver([self = QPointer<WritingStore>(this)] {
        if (self) {
            self->handleAccountChange();
        }
    });
}

WritingStore::~WritingStore()
{
    // Stops the transfer; its coroutine then finds the store gone.
    if (m_task) {
        m_task->cancel();
    }
}

void WritingStore::setText(const QString &text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    const int words = countWords(m_text);
    const bool wordsChanged = words != m_wordCount;
    m_wordCount = words;
    Q_EMIT textChanged();
    if (wordsChanged) {
        Q_EMIT wordCountChanged();
    }
    cancelRequest(false);
}

QString WritingStore::wordCountText() const
{
    return QLocale().toString(m_wordCount) +
           (m_wordCount == 1 ? QStringLiteral(" word") : QStringLiteral(" words"));
}

bool WritingStore::canImprove() const
{
    return !m_isBusy && !m_text.trimmed().isEmpty();
}

bool WritingStore::canRewrite() const
{
    return !m_result.isEmpty() && canImprove();
}

bool WritingStore::canClear() const
{
    return !m_text.isEmpty() || !m_result.isEmpty() || m_message || m_isBusy;
}

QString WritingStore::primaryActionTitle() const
{
    if (m_isBusy) {
        return QStringLiteral("Improving…");
    }
    if (m_message && !m_billingURL) {
        return QStringLiteral("Retry");
    }
    return QStringLiteral("Improve writing");
}

StatusLine WritingStore::status() const
{
    if (m_isBusy) {
        return StatusLine::of(StatusLine::Kind::Progress,
                              QStringLiteral("Improving your writing…"));
    }
    if (m_message) {
        return StatusLine::of(StatusLine::Kind::Failure, *m_message);
    }
    return StatusLine::none();
}

void WritingStore::improve()
{
    if (!canImprove()) {
        return;
    }
    const QUuid generation = m_generation;
    const QString text = m_text;
    setIsBusy(true);
    // A billing link from an earlier failure stays until a cancellation.
    setMessage(std::nullopt);
    const CancellationToken cancel;
    m_task = cancel;
    runImprovement(generation, text, cancel);
}

QCoro::Task<> WritingStore::runImprovement(QUuid generation, QString text, CancellationToken cancel)
{
    QPointer<WritingStore> self(this);
    const auto client = m_client;
    const auto isCurrent = [&] { return m_generation == generation && !cancel.isCancelled(); };
    const QCoro::Task<RequestAccess> pendingAccess = RequestAccess::obtain(m_auth, this, isCurrent);
    const RequestAccess access = co_await pendingAccess;
    if (access.requesterGone()) {
        co_return;
    }
    if (access.isSignedOut()) {
        setMessage(QStringLiteral("Please sign in again to improve writing."));
    } else if (access.isGranted()) {
        const Result<QString> answer = co_await client->improve(text, access.accessToken(), cancel);
        if (!self) {
            co_return;
        }
        if (isCurrent()) {
            applyImprovement(answer);
        }
    }
    if (m_generation == generation) {
        setIsBusy(false);
        m_task.reset();
    }
}

void WritingStore::applyImprovement(const Result<QString> &answer)
{
    if (answer) {
        const QString improved = unwrapImprovedText(answer.value());
        if (!improved.trimmed().isEmpty()) {
            setResult(improved);
            return;
        }
    }
    const ServiceError error =
        answer ? ServiceError::invalidResponse(ErrorFamily::Writing) : answer.error();
    if (error.kind() == ServiceError::Kind::SubscriptionRequired) {
        setBillingURL(error.billingURL());
    }
    setMessage(error.text());
}

void WritingStore::cancelRequest(bool clearResult)
{
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

void WritingStore::pasteAndImprove()
{
    cancelRequest(false);
    improve();
}

void WritingStore::pasteAndImprove(const QString &text)
{
    setText(text);
    pasteAndImprove();
}

void WritingStore::restore(const HistoryEntry &entry)
{
    cancelRequest(true);
    setText(entry.source);
    setResult(entry.result);
}

QString WritingStore::unwrapImprovedText(const QString &answer)
{
    const QString unwrapped = withoutFence(answer.trimmed());
    const auto document = JsonFields::parse(unwrapped.toUtf8());
    if (document && document.value().is_object()) {
        const auto text = document.value().find("text");
        if (text != document.value().end() && text->is_string()) {
            return QString::fromStdString(text->get<std::string>());
        }
    }
    return answer;
}

void WritingStore::handleAccountChange()
{
    cancelRequest(true);
    setText(QString());
}

WritingStore::Derived WritingStore::derive() const
{
    return {.canImprove = canImprove(),
            .canRewrite = canRewrite(),
            .canClear = canClear(),
            .primaryActionTitle = primaryActionTitle(),
            .status = status()};
}

void WritingStore::publishDerived()
{
    const Derived now = derive();
    const Derived before = std::exchange(m_published, now);
    if (now.canImprove != before.canImprove) {
        Q_EMIT canImproveChanged();
    }
    if (now.canRewrite != before.canRewrite) {
        Q_EMIT canRewriteChanged();
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

void WritingStore::setResult(const QString &result)
{
    assignProperty(this, m_result, result, &WritingStore::resultChanged);
}

void WritingStore::setIsBusy(bool isBusy)
{
    assignProperty(this, m_isBusy, isBusy, &WritingStore::isBusyChanged);
}

void WritingStore::setMessage(const std::optional<QString> &message)
{
    assignProperty(this, m_message, message, &WritingStore::messageChanged);
}

void WritingStore::setBillingURL(const std::optional<QUrl> &billingURL)
{
    assignProperty(this, m_billingURL, billingURL, &WritingStore::billingURLChanged);
}

} // namespace Tolvan
