#include "accountfixture.h"
#include "writingstore.h"

#include <QTest>

#include <functional>

using namespace Tolvan;
using namespace Tolvan::Test;
using Op = ClientOperation;
using Call = FakeAPIClient::Call;
using Kind = StatusLine::Kind;

namespace {

const QString invalidText =
    QStringLiteral("The writing service returned an invalid response. Please try again.");
const QUrl plansURL(QStringLiteral("https://billing.example.org/plans"));

// A signed-in store over a fake client.
struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    WritingStore store{&account.auth, client};

    Harness() { account.signIn(); }

    void improve(const QString &draft, const Result<QString> &answer)
    {
        store.setText(draft);
        client->answer<Op::Improve>(answer);
        store.improve();
        settle();
    }
};

using Setup = std::function<void(Harness &)>;

} // namespace

class WritingStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unwrap_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, const char *answer, const char *shown) {
            QTest::newRow(name) << QString::fromUtf8(answer) << QString::fromUtf8(shown);
        };
        row("fenced JSON with a language tag", "```json\n{\"text\": \"Hi.\"}\n```", "Hi.");
        row("bare JSON", " \n{\"text\":\"Hello.\\nBye.\"} ", "Hello.\nBye.");
        row("fenced JSON with CRLF", "```json\r\n{\"text\": \"Hi \\u00e9\"}\r\n```\r\n", "Hi é");
        row("blank text member", "{\"text\": \"  \"}", "  ");
        // Anything else is shown as received.
        for (const char *kept : {"{\"text\": 42}", " {\"improved\": \"Hi\"}\n", "```\nHi.\n```",
                                 "```{\"text\": \"Hi\"}```"}) {
            row(kept, kept, kept);
        }
    }

    void unwrap()
    {
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QCOMPARE(WritingStore::unwrapImprovedText(answer), shown);
    }

    void improvementOutcomes_data()
    {
        QTest::addColumn<Result<QString>>("answer");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        const QString before = QStringLiteral("Before.");
        const QString improve = QStringLiteral("Improve writing");
        const QString retry = QStringLiteral("Retry");

        QTest::newRow("unwrapped") << Result<QString>("```\n{\"text\": \" Better. \"}\n```")
                                   << " Better. " << QString() << improve;
        // An answer with nothing in it is an invalid one; the previous result stays.
        QTest::newRow("blank text member")
            << Result<QString>("{\"text\": \" \\n \"}") << before << invalidText << retry;
        QTest::newRow("subscription required")
            << Result<QString>(ServiceError::subscriptionRequired(
                   ErrorFamily::Writing, QStringLiteral("Subscribe."), plansURL))
            << before << QStringLiteral("Subscribe.") << improve;
        QTest::newRow("server error")
            << Result<QString>(ServiceError::response(ErrorFamily::Writing, 500, "Failed."))
            << before << QStringLiteral("Failed.") << retry;
    }

    void improvementOutcomes()
    {
        QFETCH(Result<QString>, answer);
        QFETCH(QString, result);
        QFETCH(QString, message);
        QFETCH(QString, title);
        Harness h;
        h.improve(QStringLiteral("before"), QStringLiteral("Before."));
        h.improve(QStringLiteral("before"), answer);

        QCOMPARE(h.store.result(), result);
        QCOMPARE(h.store.primaryActionTitle(), title);
        QCOMPARE(h.store.status(),
                 message.isEmpty() ? StatusLine::none() : StatusLine::of(Kind::Failure, message));

        // A billing link lasts through a success, until the draft changes.
        const bool billed =
            !answer && answer.error().kind() == ServiceError::Kind::SubscriptionRequired;
        h.improve(QStringLiteral("before"), QStringLiteral("Better."));
        QCOMPARE(h.store.billingURL(), billed ? std::optional(plansURL) : std::nullopt);
        h.store.setText(QStringLiteral("before!"));
        QVERIFY(!h.store.billingURL());
    }

    void draftIsSentAsTypedAndAPasteReplacesTheRunningRequest()
    {
        Harness h;
        h.store.setText(QStringLiteral(" \n "));
        QVERIFY(!h.store.canImprove());
        h.store.improve();
        h.improve(QStringLiteral("  teh draft"), QStringLiteral("Draft."));
        QCOMPARE(h.client->calls(), (QList{Call{Op::Improve, {"  teh draft", "access-7"}}}));

        h.client->hold(Op::Improve);
        h.store.improve();
        QVERIFY(!h.store.canImprove());
        h.store.pasteAndImprove(QStringLiteral("pasted"));
        settle();
        // The running request gives way to the pasted text.
        QVERIFY(h.client->wasCancelled(1));
        QCOMPARE(h.client->calls().last(), (Call{Op::Improve, {"pasted", "access-7"}}));
        QVERIFY(h.store.isBusy());
        QCOMPARE(h.store.result(), QStringLiteral("Draft."));
    }

    void restoreAndAccountChangeReplaceTheWorkspace()
    {
        Harness h;
        h.improve(QStringLiteral("draft"), ServiceError::response(ErrorFamily::Writing, 500, {}));
        h.store.restore(HistoryEntry{.source = QStringLiteral("old draft"),
                                     .result = QStringLiteral("Old draft.")});
        QCOMPARE(h.store.text(), QStringLiteral("old draft"));
        QCOMPARE(h.store.result(), QStringLiteral("Old draft."));
        QVERIFY(!h.store.message());

        h.account.switchAccount(8);
        QCOMPARE(h.store.text(), QString());
        QCOMPARE(h.store.result(), QString());
    }

    void screenValues_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<StatusLine>("status");
        QTest::addColumn<bool>("canClear");
        QTest::addColumn<QString>("words");
        const auto draft = [](const QString &text) {
            return Setup([text](Harness &h) { h.store.setText(text); });
        };
        const QString improve = QStringLiteral("Improve writing");
        const StatusLine none = StatusLine::none();

        QTest::newRow("empty") << draft({}) << improve << none << false << "0 words";
        QTest::newRow("blank draft") << draft(" \n\u2003") << improve << none << true << "0 words";
        QTest::newRow("one word") << draft("\u00a0word ") << improve << none << true << "1 word";
        QTest::newRow("grouped count") << draft(QStringLiteral("w ").repeated(1200)) << improve
                                       << none << true << "1,200 words";
        QTest::newRow("improving")
            << Setup([](Harness &h) {
                   h.store.setText(QStringLiteral("one  two\nthree"));
                   h.store.improve();
               })
            << "Improving…"
            << StatusLine::of(Kind::Progress, QStringLiteral("Improving your writing…")) << true
            << "3 words";
    }

    void screenValues()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, title);
        QFETCH(StatusLine, status);
        QFETCH(bool, canClear);
        QFETCH(QString, words);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Harness h;
        setup(h);

        QCOMPARE(h.store.primaryActionTitle(), title);
        QCOMPARE(h.store.status(), status);
        QCOMPARE(h.store.canClear(), canClear);
        QCOMPARE(h.store.wordCountText(), words);
    }
};

QTEST_GUILESS_MAIN(WritingStoreTest)
#include "tst_writingstore.moc"
