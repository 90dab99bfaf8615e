#pragma once

#include "apiclientprotocol.h"
#include "cancellationtoken.h"
#include "historyentry.h"
#include "statusline.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>

namespace Tolvan {

class AuthStore;

// The Write workspace: the draft, its improved version from the service and
// the message of a failed improvement. Confined to the main thread.
//
// Every answer is applied only while `generation` is the one captured when its
// request started; any cancelRequest() replaces it, so the answer of an
// abandoned request changes nothing.
class WritingStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QString result READ result NOTIFY resultChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(QString message READ messageText NOTIFY messageChanged)
    Q_PROPERTY(bool hasMessage READ hasMessage NOTIFY messageChanged)
    Q_PROPERTY(QUrl billingURL READ billingURLValue NOTIFY billingURLChanged)
    Q_PROPERTY(bool hasBillingURL READ hasBillingURL NOTIFY billingURLChanged)
    Q_PROPERTY(bool canImprove READ canImprove NOTIFY canImproveChanged)
    Q_PROPERTY(bool canRewrite READ canRewrite NOTIFY canRewriteChanged)
    Q_PROPERTY(bool canClear READ canClear NOTIFY canClearChanged)
    Q_PROPERTY(int wordCount READ wordCount NOTIFY wordCountChanged)
    Q_PROPERTY(QString wordCountText READ wordCountText NOTIFY wordCountChanged)
    Q_PROPERTY(QString primaryActionTitle READ primaryActionTitle NOTIFY primaryActionTitleChanged)
    Q_PROPERTY(Tolvan::StatusLine status READ status NOTIFY statusChanged)

public:
    // `auth` must outlive the store. An absent client is an APIClient on the
    // configured service.
    explicit WritingStore(AuthStore *auth, std::shared_ptr<APIClientProtocol> client = {},
                          QObject *parent = nullptr);
    ~WritingStore() override;

    QString text() const { return m_text; }
    // A different draft drops the request in flight and keeps the result.
    void setText(const QString &text);
    QString result() const { return m_result; }
    bool isBusy() const { return m_isBusy; }
    std::optional<QString> message() const { return m_message; }
    QString messageText() const { return m_message.value_or(QString()); }
    bool hasMessage() const { return m_message.has_value(); }
    std::optional<QUrl> billingURL() const { return m_billingURL; }
    QUrl billingURLValue() const { return m_billingURL.value_or(QUrl()); }
    bool hasBillingURL() const { return m_billingURL.has_value(); }

    bool canImprove() const;
    // Improves the unchanged draft again; needs a result to replace.
    bool canRewrite() const;
    bool canClear() const;
    // Maximal runs of characters that are not white space.
    int wordCount() const { return m_wordCount; }
    // The count in the locale's digit grouping and "word" or "words".
    QString wordCountText() const;
    QString primaryActionTitle() const;
    StatusLine status() const;

    Q_INVOKABLE void improve();
    Q_INVOKABLE void cancelRequest(bool clearResult);
    // A pasted or double-copied draft: replaces the draft when one is given,
    // drops the request in flight and improves at once.
    Q_INVOKABLE void pasteAndImprove();
    Q_INVOKABLE void pasteAndImprove(const QString &text);
    // Puts a writing entry of the history back into the workspace.
    Q_INVOKABLE void restore(const Tolvan::HistoryEntry &entry);

    // The improved text inside the service's answer: the string "text" of a
    // JSON object, possibly inside a fenced block; otherwise the answer as
    // received.
    static QString unwrapImprovedText(const QString &answer);

Q_SIGNALS:
    void textChanged();
    void resultChanged();
    void isBusyChanged();
    void messageChanged();
    void billingURLChanged();
    void canImproveChanged();
    void canRewriteChanged();
    void canClearChanged();
    void wordCountChanged();
    void primaryActionTitleChanged();
    void statusChanged();

private:
    struct Derived {
        bool canImprove = false;
        bool canRewrite = false;
        bool canClear = false;
        QString primaryActionTitle;
        StatusLine status;
    };

    QCoro::Task<> runImprovement(QUuid generation, QString text, CancellationToken cancel);
    void applyImprovement(const Result<QString> &answer);
    void handleAccountChange();
    Derived derive() const;
    void publishDerived();

    void setResult(const QString &result);
    void setIsBusy(bool isBusy);
    void setMessage(const std::optional<QString> &message);
    void setBillingURL(const std::optional<QUrl> &billingURL);

    QString m_text;
    int m_wordCount = 0;
    QString m_result;
    bool m_isBusy = false;
    std::optional<QString> m_message;
    std::optional<QUrl> m_billingURL;
    QUuid m_generation = QUuid::createUuid();
    std::optional<CancellationToken> m_task;
    AuthStore *m_auth;
    std::shared_ptr<APIClientProtocol> m_client;
    Derived m_published;
};

} // namespace Tolvan
