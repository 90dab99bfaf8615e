#pragma once

#include "apiclientprotocol.h"
#include "wireenums.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <any>
#include <deque>
#include <map>
#include <memory>
#include <optional>

namespace Tolvan::Test {

// The service operations, for FakeAPIClient.
enum class ClientOperation {
    FetchBilling,
    CreateCheckout,
    CreatePortal,
    FetchHistory,
    FetchHistoryEntry,
    DeleteHistoryEntry,
    ClearHistory,
    RequestOTP,
    VerifyOTP,
    Refresh,
    Revoke,
    FetchLanguages,
    Translate,
    Improve,
};

QString operationName(ClientOperation operation);

// The result type of each operation.
template<ClientOperation>
struct ClientAnswer;
// clang-format off
template<> struct ClientAnswer<ClientOperation::FetchBilling> { using type = Result<BillingResponse>; };
template<> struct ClientAnswer<ClientOperation::CreateCheckout> { using type = Result<QUrl>; };
template<> struct ClientAnswer<ClientOperation::CreatePortal> { using type = Result<QUrl>; };
template<> struct ClientAnswer<ClientOperation::FetchHistory> { using type = Result<HistoryListResponse>; };
template<> struct ClientAnswer<ClientOperation::FetchHistoryEntry> { using type = Result<HistoryEntry>; };
template<> struct ClientAnswer<ClientOperation::DeleteHistoryEntry> { using type = Result<void>; };
template<> struct ClientAnswer<ClientOperation::ClearHistory> { using type = Result<void>; };
template<> struct ClientAnswer<ClientOperation::RequestOTP> { using type = Result<void>; };
template<> struct ClientAnswer<ClientOperation::VerifyOTP> { using type = Result<TokenPair>; };
template<> struct ClientAnswer<ClientOperation::Refresh> { using type = Result<TokenPair>; };
template<> struct ClientAnswer<ClientOperation::Revoke> { using type = Result<void>; };
template<> struct ClientAnswer<ClientOperation::FetchLanguages> { using type = Result<QList<TranslationLanguage>>; };
template<> struct ClientAnswer<ClientOperation::Translate> { using type = Result<QString>; };
template<> struct ClientAnswer<ClientOperation::Improve> { using type = Result<QString>; };
// clang-format on

class PendingClientCall;

// A service client for store tests. It records every call with its arguments
// and answers each call from the answers the test queued for its operation,
// oldest call first, always on a later turn of the event loop, never inside
// the call.
//
//     client->answer<ClientOperation::Refresh>(pair);  // a TokenPair or a ServiceError
//     auto running = store.refreshIfNeeded();          // records the call
//     settle();                                        // delivers the answer
//
// A call for which no answer is queued waits until the test queues one, so a
// test can look at the state while a request is in flight and decide when,
// and in which order, the answers arrive. hold() makes an operation wait even
// with answers queued, until release(). A call whose CancellationToken fires
// before it is answered ends with the client's cancellation error and takes
// no queued answer.
//
// Arguments are recorded as text, in the order of the operation's parameters,
// the cancellation token left out: ids and pages in decimal, enums by their
// raw value, an absent history kind as "", a TranslationRequest as its text,
// source and target language.
class FakeAPIClient : public QObject, public APIClientProtocol {
    Q_OBJECT

public:
    using Operation = ClientOperation;

    struct Call {
        Operation operation;
        QStringList arguments;

        bool operator==(const Call &other) const = default;
    };

    // Queues the answer for the next unanswered call of `op`.
    template<Operation op>
    void answer(typename ClientAnswer<op>::type result)
    {
        queueAnswer(op, std::any(std::move(result)));
    }
    void hold(Operation operation);
    // Ends every call still waiting with the cancellation error, on the next
    // turn of the event loop. Test fixtures call it, then settle(), before
    // they go: a coroutine left suspended for ever would leak its frames.
    void cancelPending();

    // Lets `count` more calls of a held operation be answered.
    void release(Operation operation, int count = 1);

    QList<Call> calls() const { return m_calls; }
    QList<Call> calls(Operation operation) const;
    // Whether the token of the call at `index` (in calls()) has fired.
    bool wasCancelled(qsizetype index) const { return m_tokens.at(index).isCancelled(); }

    // The error a cancelled call ends with, as APIClient reports it.
    static ServiceError cancelledError();

    QCoro::Task<Result<BillingResponse>> fetchBilling(QString accessToken,
                                                      CancellationToken cancel = {}) override
    {
        return reply<Operation::FetchBilling>({accessToken}, cancel);
    }
    QCoro::Task<Result<QUrl>> createCheckout(BillingPlanID plan, QString accessToken,
                                             CancellationToken cancel = {}) override
    {
        return reply<Operation::CreateCheckout>({rawValue(plan), accessToken}, cancel);
    }
    QCoro::Task<Result<QUrl>> createPortal(QString accessToken,
                                           CancellationToken cancel = {}) override
    {
        return reply<Operation::CreatePortal>({accessToken}, cancel);
    }
    QCoro::Task<Result<HistoryListResponse>> fetchHistory(std::optional<HistoryKind> type,
                                                          QString search, qint64 page,
                                                          QString accessToken,
                                                          CancellationToken cancel = {}) override
    {
        const QString kind = type ? rawValue(*type) : QString();
        return reply<Operation::FetchHistory>({kind, search, QString::number(page), accessToken},
                                              cancel);
    }
    QCoro::Task<Result<HistoryEntry>> fetchHistoryEntry(qint64 id, QString accessToken,
                                                        CancellationToken cancel = {}) override
    {
        return reply<Operation::FetchHistoryEntry>({QString::number(id), accessToken}, cancel);
    }
    QCoro::Task<Result<void>> deleteHistoryEntry(qint64 id, QString accessToken,
                                                 CancellationToken cancel = {}) override
    {
        return reply<Operation::DeleteHistoryEntry>({QString::number(id), accessToken}, cancel);
    }
    QCoro::Task<Result<void>> clearHistory(QString accessToken,
                                           CancellationToken cancel = {}) override
    {
        return reply<Operation::ClearHistory>({accessToken}, cancel);
    }
    QCoro::Task<Result<void>> requestOTP(QString email, CancellationToken cancel = {}) override
    {
        return reply<Operation::RequestOTP>({email}, cancel);
    }
    QCoro::Task<Result<TokenPair>> verifyOTP(QString email, QString code,
                                             CancellationToken cancel = {}) override
    {
        return reply<Operation::VerifyOTP>({email, code}, cancel);
    }
    QCoro::Task<Result<TokenPair>> refresh(QString refreshToken,
                                           CancellationToken cancel = {}) override
    {
        return reply<Operation::Refresh>({refreshToken}, cancel);
    }
    QCoro::Task<Result<void>> revoke(QString refreshToken, CancellationToken cancel = {}) override
    {
        return reply<Operation::Revoke>({refreshToken}, cancel);
    }
    QCoro::Task<Result<QList<TranslationLanguage>>>
    fetchLanguages(QString accessToken, CancellationToken cancel = {}) override
    {
        return reply<Operation::FetchLanguages>({accessToken}, cancel);
    }
    QCoro::Task<Result<QString>> translate(TranslationRequest request, QString accessToken,
                                           CancellationToken cancel = {}) override
    {
        return reply<Operation::Translate>(
            {request.text, request.sourceLanguage, request.targetLanguage, accessToken}, cancel);
    }
    QCoro::Task<Result<QString>> improve(QString text, QString accessToken,
                                         CancellationToken cancel = {}) override
    {
        return reply<Operation::Improve>({text, accessToken}, cancel);
    }

private:
    template<Operation op>
    QCoro::Task<typename ClientAnswer<op>::type> reply(QStringList arguments,
                                                       CancellationToken cancel)
    {
        auto answer = co_await respond(op, std::move(arguments), std::move(cancel));
        if (!answer) {
            co_return cancelledError();
        }
        co_return std::any_cast<typename ClientAnswer<op>::type>(std::move(*answer));
    }

    // Records the call and resumes with its answer; none when it was cancelled.
    QCoro::Task<std::optional<std::any>> respond(Operation operation, QStringList arguments,
                                                 CancellationToken cancel);
    void queueAnswer(Operation operation, std::any answer);
    void scheduleDelivery();
    void deliver();

    QList<Call> m_calls;
    QList<CancellationToken> m_tokens;
    QList<std::shared_ptr<PendingClientCall>> m_pending;
    std::map<Operation, std::deque<std::any>> m_answers;
    std::map<Operation, int> m_releases;
    bool m_deliveryScheduled = false;
};

char *toString(const FakeAPIClient::Call &call);

} // namespace Tolvan::Test
