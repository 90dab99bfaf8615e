#include "accountfixture.h"
#include "translationstore.h"
#include "userpreferences.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Tolvan;
using namespace Tolvan::Test;
using namespace std::chrono_literals;
using Op = ClientOperation;
using Call = FakeAPIClient::Call;
using Kind = StatusLine::Kind;

namespace {

const QString token = QStringLiteral("access-7");
const QString signInText = QStringLiteral("Please sign in again to translate.");
const QUrl plansURL(QStringLiteral("https://billing.example.org/plans"));

TranslationLanguage lang(const QString &code, const QString &name = {})
{
    return {.code = code, .name = name.isEmpty() ? code.toUpper() + QStringLiteral(" name") : name};
}

QList<TranslationLanguage> catalogue(const QStringList &codes)
{
    QList<TranslationLanguage> languages;
    for (const QString &code : codes) {
        languages.append(lang(code));
    }
    return languages;
}

const QList<TranslationLanguage> standard = catalogue({"de", "en", "fr", "es"});

Call translateCall(const QString &text, const QString &source, const QString &target)
{
    return Call{Op::Translate, {text, source, target, token}};
}

ServiceError subscriptionRequired()
{
    return ServiceError::subscriptionRequired(
        ErrorFamily::Translation, QStringLiteral("A subscription is required."), plansURL);
}

ServiceError serverError()
{
    return ServiceError::response(ErrorFamily::Translation, 500,
                                  QStringLiteral("Translation failed (HTTP 500)."));
}

QString codeOf(const std::optional<TranslationLanguage> &language)
{
    return language ? language->code : QString();
}

// `count` user-perceived characters: ASCII letters with `emoji` at the front.
QString textOf(int count, const QString &emoji = {})
{
    const int emojiCount = emoji.isEmpty() ? 0 : 1;
    return emoji + QString(count - emojiCount, QLatin1Char('a'));
}

// A signed-in store over a fake client and preferences in a temporary folder.
struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    QTemporaryDir dir;
    UserPreferences preferences{dir.filePath(QStringLiteral("tolvan.conf"))};
    TranslationStore store{&account.auth, client, &preferences};

    explicit Harness(bool signedIn = true)
    {
        if (signedIn) {
            account.signIn();
        }
    }

    void loadCatalogue(const QList<TranslationLanguage> &languages = standard)
    {
        client->answer<Op::FetchLanguages>(languages);
        store.loadLanguages(false);
        settle();
    }

    // en → fr chosen, "Hello" translated to "Bonjour".
    void translateHello()
    {
        loadCatalogue();
        store.setText(QStringLiteral("Hello"));
        client->answer<Op::Translate>(QStringLiteral("Bonjour"));
        store.translate();
        settle();
    }

    // The saved session's access token now runs out within the refresh margin.
    void nearExpiry() { account.clock->setNow(account.clock->now().addSecs(3600 - 30)); }
};

using Setup = std::function<void(Harness &)>;

} // namespace

Q_DECLARE_METATYPE(Setup)

class TranslationStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void characterLimit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("canTranslate");

        // A family of four joined by zero-width joiners: seven code points, eleven UTF-16 units.
        const QString family = QStringLiteral("👨‍👩‍👧‍👦");
        QTest::newRow("5,000 letters") << textOf(5000) << 5000 << true;
        QTest::newRow("5,001 letters") << textOf(5001) << 5001 << false;
        QTest::newRow("family emoji at 5,000") << textOf(5000, family) << 5000 << true;
        QTest::newRow("family emoji at 5,001") << textOf(5001, family) << 5001 << false;
        QTest::newRow("flag at 5,000") << textOf(5000, QStringLiteral("🇫🇷")) << 5000 << true;
        QTest::newRow("accent at 5,000") << textOf(5000, QStringLiteral("e\u0301")) << 5000 << true;
        QTest::newRow("blanks count at 5,001")
            << QStringLiteral(" ") + textOf(4999) + QStringLiteral(" ") << 5001 << false;
        QTest::newRow("blanks count at 5,000")
            << QStringLiteral("\n") + textOf(4998) + QStringLiteral(" ") << 5000 << true;
        QTest::newRow("blanks only") << QStringLiteral(" \n\t ") << 4 << false;
        QTest::newRow("empty") << QString() << 0 << false;
    }

    void characterLimit()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(bool, canTranslate);
        Harness h;
        h.loadCatalogue();
        h.store.setText(text);

        QCOMPARE(h.store.characterCount(), count);
        QCOMPARE(h.store.characterCountText(),
                 QLocale().toString(count) + QStringLiteral(" / 5,000"));
        QCOMPARE(h.store.canTranslate(), canTranslate);
        QCOMPARE(h.store.status().text == QStringLiteral("Use 5,000 characters or fewer."),
                 count > TranslationStore::maximumTextLength);
    }

    void counterGroupsDigitsByTheLocale()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Harness h;
        h.store.setText(textOf(1234));
        const QString german = h.store.characterCountText();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString english = h.store.characterCountText();
        QLocale::setDefault(previous);

        QCOMPARE(german, QStringLiteral("1.234 / 5,000"));
        QCOMPARE(english, QStringLiteral("1,234 / 5,000"));
    }

    void textIsSentAsTyped()
    {
        Harness h;
        h.loadCatalogue();
        h.store.setText(QStringLiteral("  Hello\n"));
        h.store.translate();
        settle();

        QCOMPARE(h.client->calls(Op::Translate),
                 QList{translateCall(QStringLiteral("  Hello\n"), "en", "fr")});
        QVERIFY(h.store.isBusy());
    }

    void selectionRules_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("canTranslate");
        QTest::addColumn<bool>("unavailable");

        QTest::newRow("different codes") << "en"
                                         << "es" << true << false;
        QTest::newRow("same code") << "es"
                                   << "es" << false << false;
        QTest::newRow("source not offered") << "xx"
                                            << "es" << false << true;
        QTest::newRow("target not offered") << "en"
                                            << "xx" << false << true;
        QTest::newRow("no target") << "en"
                                   << "" << false << false;
        QTest::newRow("none chosen") << ""
                                     << "" << false << false;
    }

    void selectionRules()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, canTranslate);
        QFETCH(bool, unavailable);
        Harness h;
        h.loadCatalogue();
        h.store.setText(QStringLiteral("Hello"));
        const auto chosen = [&h](const QString &code) {
            return code.isEmpty() ? std::nullopt : std::optional(h.store.language(code));
        };
        h.store.setSource(chosen(source));
        h.store.setTarget(chosen(target));

        QCOMPARE(h.store.canTranslate(), canTranslate);
        QCOMPARE(h.store.hasUnavailableSelection(), unavailable);
    }

    void catalogueFilter()
    {
        Harness h;
        const QList<TranslationLanguage> received{
            lang("EN", "English"),    lang("eng", "Three letters"), lang("e1", "Digit"),
            lang("de", " \n\t"),      lang("fr", "French"),         lang("fr", "Duplicate"),
            lang("Fr", "Other case"), lang("ｅｓ", "Wide letters"), lang("es", " Spanish "),
            lang("", "No code"),
        };
        h.loadCatalogue(received);

        const QList<TranslationLanguage> kept{lang("EN", "English"), lang("fr", "French"),
                                              lang("Fr", "Other case"), lang("es", " Spanish ")};
        QCOMPARE(h.store.languages(), kept);
        QVERIFY(!h.store.languageMessage());
    }

    void catalogueWithoutUsableLanguagesFails()
    {
        Harness h;
        h.loadCatalogue({lang("eng"), lang("de", " ")});

        QVERIFY(h.store.languages().isEmpty());
        QCOMPARE(
            h.store.languageMessage(),
            QStringLiteral("The language service returned no usable languages. Please try again."));
        QVERIFY(!h.store.isLoadingLanguages());
        QVERIFY(!h.store.source());
    }

    void defaultLanguages_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("savedSource");
        QTest::addColumn<QString>("savedTarget");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");

        QTest::newRow("en and fr") << QStringList{"de", "fr", "en", "es"} << ""
                                   << ""
                                   << "en"
                                   << "fr";
        QTest::newRow("without en or fr") << QStringList{"de", "es", "it"} << ""
                                          << ""
                                          << "de"
                                          << "es";
        QTest::newRow("saved codes") << QStringList{"de", "en", "fr", "es"} << "es"
                                     << "de"
                                     << "es"
                                     << "de";
        QTest::newRow("saved target equals saved source") << QStringList{"de", "en", "fr"} << "de"
                                                          << "de"
                                                          << "de"
                                                          << "de";
        QTest::newRow("saved target equals chosen source") << QStringList{"fr", "en"} << ""
                                                           << "en"
                                                           << "en"
                                                           << "en";
        QTest::newRow("saved codes not offered") << QStringList{"de", "en", "fr"} << "xx"
                                                 << "yy"
                                                 << "en"
                                                 << "fr";
        QTest::newRow("fr is the source") << QStringList{"fr", "de"} << ""
                                          << ""
                                          << "fr"
                                          << "de";
        QTest::newRow("one language") << QStringList{"fr"} << ""
                                      << ""
                                      << "fr"
                                      << "";
        QTest::newRow("codes in another case") << QStringList{"EN", "FR", "de"} << ""
                                               << ""
                                               << "EN"
                                               << "FR";
    }

    void defaultLanguages()
    {
        QFETCH(QStringList, codes);
        QFETCH(QString, savedSource);
        QFETCH(QString, savedTarget);
        QFETCH(QString, source);
        QFETCH(QString, target);
        Harness h;
        const auto saved = [](const QString &code) {
            return code.isEmpty() ? std::nullopt : std::optional(code);
        };
        h.preferences.setSourceLanguageCode(saved(savedSource));
        h.preferences.setTargetLanguageCode(saved(savedTarget));
        h.loadCatalogue(catalogue(codes));

        QCOMPARE(codeOf(h.store.source()), source);
        QCOMPARE(codeOf(h.store.target()), target);
        // The choice is saved as made.
        QCOMPARE(h.preferences.sourceLanguageCode().value_or(QString()), source);
        QCOMPARE(h.preferences.targetLanguageCode().value_or(QString()), target);
        h.store.setText(QStringLiteral("Hello"));
        QCOMPARE(h.store.canTranslate(), !target.isEmpty() && source != target);
    }

    void catalogueRequestRules()
    {
        Harness h(false);
        h.account.startSignedOut();
        h.store.loadLanguages(false);
        settle();
        QVERIFY(h.client->calls().isEmpty());

        h.account.switchAccount(7);
        h.store.loadLanguages(false);
        h.store.loadLanguages(true);
        QVERIFY(h.store.isLoadingLanguages());
        h.client->answer<Op::FetchLanguages>(ServiceError::transport(
            QNetworkReply::HostNotFoundError, QStringLiteral("Host not found")));
        settle();
        QCOMPARE(h.client->calls(), (QList{Call{Op::FetchLanguages, {token}}}));
        QCOMPARE(h.store.languageMessage(), QStringLiteral("Host not found"));

        // After a failure only a forced load asks again.
        h.store.loadLanguages(false);
        settle();
        QCOMPARE(h.client->calls().size(), 1);
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.loadLanguages(true);
        QVERIFY(!h.store.languageMessage());
        settle();
        QCOMPARE(h.store.languages(), standard);

        // A loaded catalogue is final.
        h.store.loadLanguages(true);
        settle();
        QCOMPARE(h.client->calls().size(), 2);
    }

    void signInAgainMessages()
    {
        Harness h;
        h.loadCatalogue();
        h.store.setText(QStringLiteral("Hello"));
        // A refresh that fails without a rejection keeps the session but not the phase.
        h.nearExpiry();
        h.account.authClient->answer<Op::Refresh>(ServiceError::transport(
            QNetworkReply::TimeoutError, QStringLiteral("Operation timed out")));
        h.store.translate();
        settle();

        QCOMPARE(h.account.auth.phase(), AuthStore::Phase::Recovery);
        QCOMPARE(h.store.message(), signInText);
        QVERIFY(!h.store.isBusy());
        QVERIFY(h.client->calls(Op::Translate).isEmpty());
    }

    void languagesNeedASession()
    {
        Harness h;
        h.nearExpiry();
        h.account.authClient->answer<Op::Refresh>(ServiceError::transport(
            QNetworkReply::TimeoutError, QStringLiteral("Operation timed out")));
        h.store.loadLanguages(false);
        settle();

        QCOMPARE(h.store.languageMessage(),
                 QStringLiteral("Please sign in again to load languages."));
        QVERIFY(h.client->calls().isEmpty());
    }

    void translationOutcomes_data()
    {
        QTest::addColumn<ServiceError>("error");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QUrl>("billingURL");
        QTest::addColumn<QString>("title");

        QTest::newRow("subscription required")
            << subscriptionRequired() << "A subscription is required." << plansURL << "Translate";
        QTest::newRow("server error")
            << serverError() << "Translation failed (HTTP 500)." << QUrl() << "Retry";
        QTest::newRow("transport") << ServiceError::transport(QNetworkReply::HostNotFoundError,
                                                              QStringLiteral("Host not found"))
                                   << "Host not found" << QUrl() << "Retry";
    }

    void translationOutcomes()
    {
        QFETCH(ServiceError, error);
        QFETCH(QString, message);
        QFETCH(QUrl, billingURL);
        QFETCH(QString, title);
        Harness h;
        h.translateHello();
        h.client->answer<Op::Translate>(error);
        h.store.translate();
        settle();

        QCOMPARE(h.store.message(), message);
        QCOMPARE(h.store.billingURLValue(), billingURL);
        QCOMPARE(h.store.primaryActionTitle(), title);
        // Input, languages and the previous result stay.
        QCOMPARE(h.store.result(), QStringLiteral("Bonjour"));
        QCOMPARE(h.store.text(), QStringLiteral("Hello"));
        QCOMPARE(codeOf(h.store.target()), QStringLiteral("fr"));
        QVERIFY(!h.store.isBusy());
    }

    void billingLinkLastsUntilACancellation()
    {
        Harness h;
        h.loadCatalogue();
        h.store.setText(QStringLiteral("Hello"));
        h.client->answer<Op::Translate>(subscriptionRequired());
        h.store.translate();
        settle();
        QCOMPARE(h.store.billingURL(), plansURL);

        h.client->answer<Op::Translate>(QStringLiteral("Bonjour"));
        h.store.translate();
        QVERIFY(!h.store.message());
        settle();
        QCOMPARE(h.store.result(), QStringLiteral("Bonjour"));
        QCOMPARE(h.store.billingURL(), plansURL);

        h.store.setText(QStringLiteral("Hello!"));
        QVERIFY(!h.store.billingURL());
    }

    void editDuringTranslationDropsTheAnswer()
    {
        Harness h;
        h.translateHello();
        QSignalSpy results(&h.store, &TranslationStore::resultChanged);
        h.client->answer<Op::Translate>(QStringLiteral("Bonjour à tous"));
        h.store.setText(QStringLiteral("Hello all"));
        h.store.translate();
        QVERIFY(h.store.isBusy());
        h.store.setText(QStringLiteral("Hello all!"));
        QVERIFY(!h.store.isBusy());
        settle();

        QVERIFY(h.client->wasCancelled(h.client->calls().size() - 1));
        QCOMPARE(h.store.result(), QStringLiteral("Bonjour"));
        QCOMPARE(results.count(), 0);
        QVERIFY(!h.store.isBusy());
        QVERIFY(!h.store.message());
    }

    void editDuringTheSessionRefreshSendsNothing()
    {
        Harness h;
        h.loadCatalogue();
        h.store.setText(QStringLiteral("Hello"));
        h.nearExpiry();
        h.store.translate();
        settle();
        QVERIFY(h.store.isBusy());
        h.store.setText(QStringLiteral("Hello!"));
        h.account.authClient->answer<Op::Refresh>(AccountFixture::tokens(7));
        settle();

        QVERIFY(h.client->calls(Op::Translate).isEmpty());
        QVERIFY(!h.store.isBusy());
        QVERIFY(!h.store.message());
    }

    void languageChangeClearsAndSaves()
    {
        Harness h;
        h.translateHello();
        h.client->hold(Op::Translate);
        h.store.translate();
        settle();

        // Same code, another name: the record changes, nothing else.
        h.store.setTarget(lang(QStringLiteral("fr"), QStringLiteral("Français")));
        QCOMPARE(h.store.target()->name, QStringLiteral("Français"));
        QVERIFY(h.store.isBusy());
        QCOMPARE(h.store.result(), QStringLiteral("Bonjour"));

        h.store.setTarget(h.store.language(QStringLiteral("es")));
        QVERIFY(!h.store.isBusy());
        QCOMPARE(h.store.result(), QString());
        QCOMPARE(h.preferences.targetLanguageCode(), QStringLiteral("es"));

        h.store.setSource(std::nullopt);
        QCOMPARE(h.preferences.sourceLanguageCode(), std::nullopt);
        QSettings file(h.preferences.settingsFilePath(), QSettings::IniFormat);
        QVERIFY(!file.contains(QStringLiteral("preferences.sourceLanguageCode")));
    }

    void swapAfterTranslation()
    {
        Harness h;
        h.translateHello();
        h.store.swapLanguages();

        QCOMPARE(codeOf(h.store.source()), QStringLiteral("fr"));
        QCOMPARE(codeOf(h.store.target()), QStringLiteral("en"));
        QCOMPARE(h.store.text(), QStringLiteral("Bonjour"));
        QCOMPARE(h.store.result(), QString());
        QCOMPARE(h.preferences.sourceLanguageCode(), QStringLiteral("fr"));
        QCOMPARE(h.preferences.targetLanguageCode(), QStringLiteral("en"));

        // Without a translation the input stays.
        h.store.swapLanguages();
        QCOMPARE(h.store.text(), QStringLiteral("Bonjour"));
        QCOMPARE(codeOf(h.store.source()), QStringLiteral("en"));
    }

    void handOffWhileTheCatalogueLoads()
    {
        Harness h;
        h.store.loadLanguages(false);
        h.store.pasteAndTranslate(QStringLiteral("Hello"));
        settle();
        QVERIFY(h.client->calls(Op::Translate).isEmpty());

        h.client->answer<Op::FetchLanguages>(standard);
        settle();
        QCOMPARE(h.client->calls(Op::Translate), QList{translateCall("Hello", "en", "fr")});
        QVERIFY(h.store.isBusy());
        QVERIFY(!h.store.isLoadingLanguages());
    }

    void handOffBeforeAnyCatalogueRequestsIt()
    {
        Harness h;
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.pasteAndTranslate(QStringLiteral("Hello"));
        settle();

        QCOMPARE(h.client->calls(),
                 (QList{Call{Op::FetchLanguages, {token}}, translateCall("Hello", "en", "fr")}));
    }

    void handOffAfterAFailedCatalogueWaitsForTheRetry()
    {
        Harness h;
        h.client->answer<Op::FetchLanguages>(ServiceError::invalidResponse(ErrorFamily::Languages));
        h.store.loadLanguages(false);
        settle();
        h.store.pasteAndTranslate(QStringLiteral("Hello"));
        settle();
        QCOMPARE(h.client->calls().size(), 1);

        h.client->answer<Op::FetchLanguages>(ServiceError::invalidResponse(ErrorFamily::Languages));
        h.store.loadLanguages(true);
        settle();
        QVERIFY(h.client->calls(Op::Translate).isEmpty());

        h.client->answer<Op::FetchLanguages>(standard);
        h.store.loadLanguages(true);
        settle();
        QCOMPARE(h.client->calls(Op::Translate), QList{translateCall("Hello", "en", "fr")});
    }

    void handOffIsDroppedByAnEdit()
    {
        Harness h;
        h.store.loadLanguages(false);
        h.store.pasteAndTranslate(QStringLiteral("Hello"));
        h.store.setText(QStringLiteral("Hello, world"));
        h.client->answer<Op::FetchLanguages>(standard);
        settle();

        QVERIFY(h.client->calls(Op::Translate).isEmpty());
        QVERIFY(!h.store.isBusy());
    }

    void handOffRuns_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("translates");

        const Setup loaded = [](Harness &h) { h.loadCatalogue(); };
        QTest::newRow("catalogue loaded") << loaded << "Hello" << true;
        QTest::newRow("blank text") << loaded << " \n" << false;
        QTest::newRow("too long") << loaded << textOf(5001) << false;
        QTest::newRow("signed out") << Setup([](Harness &h) {
            h.account.authClient->answer<Op::Revoke>({});
            h.account.auth.signOut();
            settle();
        }) << "Hello" << false;
    }

    void handOffRuns()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, text);
        QFETCH(bool, translates);
        Harness h;
        setup(h);
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.pasteAndTranslate(text);
        settle();

        QCOMPARE(h.client->calls(Op::Translate).size(), translates ? 1 : 0);
        QCOMPARE(h.store.text(), text);
    }

    void restoreAnEntryWhoseCodeIsMissing()
    {
        Harness h;
        h.translateHello();
        const HistoryEntry entry{.id = 9007199254740993LL,
                                 .type = HistoryKind::Translation,
                                 .source = QStringLiteral("Hallo"),
                                 .result = QStringLiteral("Hello"),
                                 .sourceLanguage = QStringLiteral("nl"),
                                 .targetLanguage = QStringLiteral("en")};
        h.store.restore(entry);

        QCOMPARE(h.store.text(), QStringLiteral("Hallo"));
        QCOMPARE(h.store.result(), QStringLiteral("Hello"));
        QCOMPARE(h.store.source(), lang(QStringLiteral("nl"), QStringLiteral("NL")));
        QCOMPARE(h.store.target(), standard.at(1));
        QVERIFY(h.store.hasUnavailableSelection());
        QVERIFY(!h.store.canTranslate());
        QCOMPARE(
            h.store.status().text,
            QStringLiteral("Select available source and target languages to translate again."));
        settle();
        QCOMPARE(h.client->calls(Op::FetchLanguages).size(), 1);
    }

    void restoreBeforeTheCatalogueKeepsTheEntry()
    {
        Harness h;
        const HistoryEntry entry{.type = HistoryKind::Translation,
                                 .source = QStringLiteral("Hola"),
                                 .result = QStringLiteral("Salut"),
                                 .sourceLanguage = QStringLiteral("es"),
                                 .targetLanguage = QStringLiteral("fr")};
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.restore(entry);
        QCOMPARE(h.store.source()->name, QStringLiteral("ES"));
        settle();

        // The selections now carry the catalogue's records; no defaults replace them.
        QCOMPARE(h.store.source(), standard.at(3));
        QCOMPARE(h.store.target(), standard.at(2));
        QCOMPARE(h.store.result(), QStringLiteral("Salut"));
        QVERIFY(!h.store.hasUnavailableSelection());
    }

    void accountChangeEmptiesTheWorkspace()
    {
        Harness h;
        h.loadCatalogue();
        h.store.setText(QStringLiteral("Hello"));
        h.client->answer<Op::Translate>(subscriptionRequired());
        h.store.translate();
        settle();
        h.client->hold(Op::Translate);
        h.store.translate();

        h.account.switchAccount(8);

        QCOMPARE(h.store.text(), QString());
        QCOMPARE(h.store.result(), QString());
        QVERIFY(!h.store.message());
        QVERIFY(!h.store.billingURL());
        QVERIFY(!h.store.isBusy());
        QCOMPARE(h.store.languages(), standard);
        QCOMPARE(codeOf(h.store.source()), QStringLiteral("en"));
        QCOMPARE(codeOf(h.store.target()), QStringLiteral("fr"));
        QCOMPARE(h.client->calls(Op::FetchLanguages).size(), 1);
    }

    void statusLine_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<StatusLine>("status");

        const auto text = [](const char *line) {
            return StatusLine::of(Kind::Text, QString::fromUtf8(line));
        };
        QTest::newRow("waiting") << Setup([](Harness &) {}) << text("Waiting for languages…");
        QTest::newRow("loading") << Setup([](Harness &h) {
            h.store.loadLanguages(false);
        }) << StatusLine::of(Kind::Progress, QStringLiteral("Loading languages…"));
        QTest::newRow("language error")
            << Setup([](Harness &h) {
                   h.client->answer<Op::FetchLanguages>(
                       ServiceError::invalidResponse(ErrorFamily::Languages));
                   h.store.loadLanguages(false);
                   settle();
               })
            << StatusLine{Kind::Text,
                          "The language service returned no usable languages. Please try again.",
                          "Language error: The language service returned no usable languages. "
                          "Please try again."};
        QTest::newRow("no second language")
            << Setup([](Harness &h) { h.loadCatalogue(catalogue({"fr"})); })
            << text("No second translation language is available.");
        QTest::newRow("translating") << Setup([](Harness &h) {
            h.loadCatalogue();
            h.store.setText(QStringLiteral("Hello"));
            h.store.translate();
        }) << StatusLine::of(Kind::Progress, QStringLiteral("Translating…"));
        QTest::newRow("translation error")
            << Setup([](Harness &h) {
                   h.translateHello();
                   h.client->answer<Op::Translate>(serverError());
                   h.store.translate();
                   settle();
               })
            << StatusLine{Kind::Text, "Translation failed (HTTP 500).",
                          "Translation error: Translation failed (HTTP 500)."};
        QTest::newRow("too long") << Setup([](Harness &h) {
            h.loadCatalogue();
            h.store.setText(textOf(5001));
        }) << text("Use 5,000 characters or fewer.");
        QTest::newRow("same languages") << Setup([](Harness &h) {
            h.loadCatalogue();
            h.store.setTarget(h.store.source());
        }) << text("Choose different source and target languages.");
        QTest::newRow("translated") << Setup([](Harness &h) { h.translateHello(); })
                                    << StatusLine::of(Kind::Success, QStringLiteral("Translated"));
        QTest::newRow("result without a target") << Setup([](Harness &h) {
            h.translateHello();
            h.store.restore(HistoryEntry{.source = QStringLiteral("Hi"),
                                         .result = QStringLiteral("Salut"),
                                         .sourceLanguage = QStringLiteral("en")});
        }) << text("Select available source and target languages to translate again.");
        QTest::newRow("ready") << Setup([](Harness &h) {
            h.loadCatalogue();
            h.store.setText(QStringLiteral("Hello"));
        }) << StatusLine::none();
    }

    void statusLine()
    {
        QFETCH(Setup, setup);
        QFETCH(StatusLine, status);
        Harness h;
        QSignalSpy changes(&h.store, &TranslationStore::statusChanged);
        setup(h);

        QCOMPARE(h.store.status(), status);
        // Observers hear of the line whenever it differs from the one before.
        QCOMPARE(changes.isEmpty(), status == StatusLine::of(Kind::Text, "Waiting for languages…"));
    }

    void derivedValuesNotifyOnlyOnChange()
    {
        Harness h;
        h.loadCatalogue();
        QSignalSpy canTranslate(&h.store, &TranslationStore::canTranslateChanged);
        QSignalSpy count(&h.store, &TranslationStore::characterCountChanged);
        h.store.setText(QStringLiteral("Hello"));
        h.store.setText(QStringLiteral("Hellp"));
        h.store.setText(QStringLiteral("Hellp"));

        QCOMPARE(canTranslate.count(), 1);
        QCOMPARE(count.count(), 1);
    }

    void qmlFacingSelections()
    {
        Harness h;
        h.loadCatalogue();
        QCOMPARE(h.store.sourceValue().value<TranslationLanguage>(), standard.at(1));
        h.store.setSourceValue(QVariant::fromValue(standard.at(0)));
        QCOMPARE(codeOf(h.store.source()), QStringLiteral("de"));
        h.store.setTargetValue(QVariant());
        QVERIFY(!h.store.target());
        QVERIFY(!h.store.targetValue().isValid());
    }

    void storeGoneWhileTranslating()
    {
        Harness h;
        h.loadCatalogue();
        auto store = std::make_unique<TranslationStore>(&h.account.auth, h.client, &h.preferences);
        h.client->answer<Op::FetchLanguages>(standard);
        store->loadLanguages(false);
        settle();
        store->setText(QStringLiteral("Hello"));
        store->translate();
        settle();
        store.reset();
        h.client->answer<Op::Translate>(QStringLiteral("Bonjour"));
        settle();

        QVERIFY(h.client->wasCancelled(h.client->calls().size() - 1));
    }
};

QTEST_GUILESS_MAIN(TranslationStoreTest)
#include "tst_translationstore.moc"
