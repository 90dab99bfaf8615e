#include "accountfixture.h"
#include "writingstore.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace Tolvan;
using namespace Tolvan::Test;
using Op = ClientOperation;
using Call = FakeAPIClient::Call;
using Kind = StatusLine::Kind;

namespace {

const QString token = QStringLiteral("access-7");
const QString invalidText =
    QStringLiteral("The writing service returned an invalid response. Please try again.");
const QUrl plansURL(QStringLiteral("https://billing.example.org/plans"));

ServiceError subscriptionRequired()
{
    return ServiceError::subscriptionRequired(
        ErrorFamily::Writing, QStringLiteral("A subscription is required."), plansURL);
}

ServiceError serverError()
{
    return ServiceError::response(ErrorFamily::Writing, 500,
                                  QStringLiteral("Writing improvement failed (HTTP 500)."));
}

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

Q_DECLARE_METATYPE(Setup)

class WritingStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unwrap_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shown");

        const QString prose = QStringLiteral("```\nThe draft, improved.\n```");
        const QString numberText = QStringLiteral("{\"text\": 42}");
        const QString otherKey = QStringLiteral(" {\"improved\": \"Hi\"}\n");
        const QString oneLine = QStringLiteral("```{\"text\": \"Hi\"}```");
        QTest::newRow("fenced JSON with a language tag")
            << "```json\n{\"text\": \"Hello, world.\"}\n```"
            << "Hello, world.";
        QTest::newRow("bare JSON") << " \n{\"text\":\"Hello.\\nBye.\"} "
                                   << "Hello.\nBye.";
        QTest::newRow("fenced JSON with CRLF") << "```json\r\n{\"text\": \"Hi \\u00e9\"}\r\n```\r\n"
                                               << "Hi é";
        QTest::newRow("text is a number") << numberText << numberText;
        QTest::newRow("no text member") << otherKey << otherKey;
        QTest::newRow("fenced prose") << prose << prose;
        QTest::newRow("fence on one line") << oneLine << oneLine;
        QTest::newRow("plain text") << "  Plain text.\n"
                                    << "  Plain text.\n";
        QTest::newRow("JSON string") << "\"Hi\""
                                     << "\"Hi\"";
        QTest::newRow("JSON array") << "[{\"text\": \"Hi\"}]"
                                    << "[{\"text\": \"Hi\"}]";
        QTest::newRow("blank text member") << "{\"text\": \"  \"}"
                                           << "  ";
    }

    void unwrap()
    {
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QCOMPARE(WritingStore::unwrapImprovedText(answer), shown);
    }

    void improvementOutcomes_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("message");

        QTest::newRow("unwrapped") << "```json\n{\"text\": \" Better. \"}\n```"
                                   << " Better. "
                                   << "";
        QTest::newRow("as received") << "Better.\n"
                                     << "Better.\n"
                                     << "";
        QTest::newRow("blank text member") << "{\"text\": \" \\n \"}"
                                           << "Before." << invalidText;
        QTest::newRow("empty text member") << "```\n{\"text\": \"\"}\n```"
                                           << "Before." << invalidText;
        QTest::newRow("blank answer") << " \n "
                                      << "Before." << invalidText;
    }

    void improvementOutcomes()
    {
        QFETCH(QString, answer);
        QFETCH(QString, result);
        QFETCH(QString, message);
        Harness h;
        h.improve(QStringLiteral("before"), QStringLiteral("Before."));
        h.client->answer<Op::Improve>(answer);
        h.store.improve();
        settle();

        QCOMPARE(h.store.result(), result);
        QCOMPARE(h.store.messageText(), message);
        QVERIFY(!h.store.isBusy());
        QVERIFY(!h.store.billingURL());
    }

    void draftIsSentAsTyped()
    {
        Harness h;
        h.store.setText(QStringLiteral(" \n "));
        QVERIFY(!h.store.canImprove());
        h.store.improve();

        h.store.setText(QStringLiteral("  teh draft"));
        QVERIFY(h.store.canImprove());
        h.store.improve();
        QVERIFY(h.store.isBusy());
        QVERIFY(!h.store.canImprove());
        settle();
        QCOMPARE(h.client->calls(), (QList{Call{Op::Improve, {"  teh draft", token}}}));
    }

    void errors_data()
    {
        QTest::addColumn<ServiceError>("error");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QUrl>("billingURL");
        QTest::addColumn<QString>("title");

        QTest::newRow("subscription required")
            << subscriptionRequired() << "A subscription is required." << plansURL
            << "Improve writing";
        QTest::newRow("server error")
            << serverError() << "Writing improvement failed (HTTP 500)." << QUrl() << "Retry";
    }

    void errors()
    {
        QFETCH(ServiceError, error);
        QFETCH(QString, message);
        QFETCH(QUrl, billingURL);
        QFETCH(QString, title);
        Harness h;
        h.improve(QStringLiteral("draft"), QStringLiteral("Draft."));
        h.client->answer<Op::Improve>(error);
        h.store.improve();
        settle();

        QCOMPARE(h.store.message(), message);
        QCOMPARE(h.store.billingURLValue(), billingURL);
        QCOMPARE(h.store.primaryActionTitle(), title);
        QCOMPARE(h.store.status(), StatusLine::of(Kind::Failure, message));
        QCOMPARE(h.store.result(), QStringLiteral("Draft."));
        QCOMPARE(h.store.text(), QStringLiteral("draft"));
    }

    void signInAgain()
    {
        Harness h;
        h.account.clock->setNow(h.account.clock->now().addSecs(3600 - 30));
        h.account.authClient->answer<Op::Refresh>(ServiceError::transport(
            QNetworkReply::TimeoutError, QStringLiteral("Operation timed out")));
        h.store.setText(QStringLiteral("draft"));
        h.store.improve();
        settle();

        QCOMPARE(h.store.message(), QStringLiteral("Please sign in again to improve writing."));
        QVERIFY(!h.store.isBusy());
        QVERIFY(h.client->calls().isEmpty());
    }

    void billingLinkLastsUntilACancellation()
    {
        Harness h;
        h.improve(QStringLiteral("draft"), subscriptionRequired());
        h.client->answer<Op::Improve>(QStringLiteral("Draft."));
        h.store.improve();
        QVERIFY(!h.store.message());
        settle();

        QCOMPARE(h.store.result(), QStringLiteral("Draft."));
        QCOMPARE(h.store.billingURL(), plansURL);
        h.store.setText(QStringLiteral("draft!"));
        QVERIFY(!h.store.billingURL());
        QCOMPARE(h.store.result(), QStringLiteral("Draft."));
    }

    void typingDropsTheLateAnswer()
    {
        Harness h;
        h.improve(QStringLiteral("draft"), QStringLiteral("Draft."));
        QSignalSpy results(&h.store, &WritingStore::resultChanged);
        h.client->answer<Op::Improve>(QStringLiteral("Draft two."));
        h.store.setText(QStringLiteral("draft two"));
        h.store.improve();
        h.store.setText(QStringLiteral("draft two!"));
        QVERIFY(!h.store.isBusy());
        settle();

        QCOMPARE(h.store.result(), QStringLiteral("Draft."));
        QCOMPARE(results.count(), 0);
        QVERIFY(!h.store.isBusy());
        QVERIFY(!h.store.message());
    }

    void pasteImprovesAtOnce()
    {
        Harness h;
        h.improve(QStringLiteral("draft"), QStringLiteral("Draft."));
        h.client->hold(Op::Improve);
        h.store.improve();
        h.store.pasteAndImprove(QStringLiteral("pasted"));
        settle();

        const auto calls = h.client->calls(Op::Improve);
        QCOMPARE(calls.size(), 3);
        QVERIFY(h.client->wasCancelled(calls.size() - 2));
        QCOMPARE(calls.last(), (Call{Op::Improve, {"pasted", token}}));
        QVERIFY(h.store.isBusy());
        QCOMPARE(h.store.result(), QStringLiteral("Draft."));
    }

    void restoreAnEntry()
    {
        Harness h;
        h.improve(QStringLiteral("draft"), subscriptionRequired());
        h.store.restore(HistoryEntry{.type = HistoryKind::Writing,
                                     .source = QStringLiteral("old draft"),
                                     .result = QStringLiteral("Old draft.")});

        QCOMPARE(h.store.text(), QStringLiteral("old draft"));
        QCOMPARE(h.store.result(), QStringLiteral("Old draft."));
        QVERIFY(!h.store.message());
        QVERIFY(!h.store.billingURL());
    }

    void accountChangeEmptiesTheWorkspace()
    {
        Harness h;
        h.improve(QStringLiteral("draft"), QStringLiteral("Draft."));
        h.improve(QStringLiteral("draft two"), subscriptionRequired());
        h.client->hold(Op::Improve);
        h.store.improve();

        h.account.switchAccount(8);

        QCOMPARE(h.store.text(), QString());
        QCOMPARE(h.store.result(), QString());
        QVERIFY(!h.store.message());
        QVERIFY(!h.store.billingURL());
        QVERIFY(!h.store.isBusy());
    }

    void screenValues_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("title");
        QTest::addColumn<StatusLine>("status");
        QTest::addColumn<bool>("canClear");
        QTest::addColumn<int>("words");
        QTest::addColumn<QString>("wordsText");

        QTest::newRow("empty") << Setup([](Harness &) {}) << "Improve writing" << StatusLine::none()
                               << false << 0 << "0 words";
        QTest::newRow("blank draft")
            << Setup([](Harness &h) { h.store.setText(QStringLiteral(" \n\u2003")); })
            << "Improve writing" << StatusLine::none() << true << 0 << "0 words";
        QTest::newRow("improving")
            << Setup([](Harness &h) {
                   h.store.setText(QStringLiteral("one  two\nthree"));
                   h.store.improve();
               })
            << "Improving…"
            << StatusLine::of(Kind::Progress, QStringLiteral("Improving your writing…")) << true
            << 3 << "3 words";
        QTest::newRow("one word") << Setup([](Harness &h) {
            h.improve(QStringLiteral("\u00a0word "), QStringLiteral("Word."));
        }) << "Improve writing" << StatusLine::none()
                                  << true << 1 << "1 word";
        QTest::newRow("grouped count")
            << Setup([](Harness &h) { h.store.setText(QStringLiteral("w ").repeated(1200)); })
            << "Improve writing" << StatusLine::none() << true << 1200 << "1,200 words";
    }

    void screenValues()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, title);
        QFETCH(StatusLine, status);
        QFETCH(bool, canClear);
        QFETCH(int, words);
        QFETCH(QString, wordsText);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Harness h;
        setup(h);

        QCOMPARE(h.store.primaryActionTitle(), title);
        QCOMPARE(h.store.status(), status);
        QCOMPARE(h.store.canClear(), canClear);
        QCOMPARE(h.store.wordCount(), words);
        QCOMPARE(h.store.wordCountText(), wordsText);
    }

    void storeGoneWhileImproving()
    {
        Harness h;
        auto store = std::make_unique<WritingStore>(&h.account.auth, h.client);
        store->setText(QStringLiteral("draft"));
        store->improve();
        settle();
        store.reset();
        h.client->answer<Op::Improve>(QStringLiteral("Draft."));
        settle();

        QVERIFY(h.client->wasCancelled(0));
    }
};

QTEST_GUILESS_MAIN(WritingStoreTest)
#include "tst_writingstore.moc"
