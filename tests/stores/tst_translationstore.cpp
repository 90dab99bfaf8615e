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
using Op = ClientOperation;
using Call = FakeAPIClient::Call;
using Kind = StatusLine::Kind;

namespace {

const QUrl plansURL(QStringLiteral("https://billing.example.org/plans"));

TranslationLanguage lang(const QString &code, const QString &name = {})
{
    return {.code = code, .name = name.isEmpty() ? code.toUpper() + QStringLiteral(" name") : name};
}

// A catalogue of the space-separated `codes`, each named after its code.
QList<TranslationLanguage> catalogue(const QString &codes)
{
    QList<TranslationLanguage> languages;
    for (const QString &code : codes.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        languages.append(lang(code));
    }
    return languages;
}

const QList<TranslationLanguage> standard = catalogue(QStringLiteral("de en fr es"));

QString codeOf(const std::optional<TranslationLanguage> &language)
{
    return language ? language->code : QString();
}

// `count` user-perceived characters: ASCII letters after `first`.
QString textOf(int count, const QString &first = QStringLiteral("a"))
{
    return first + QString(count - 1, QLatin1Char('a'));
}

// A signed-in store over a fake client and preferences in a temporary folder.
struct Harness {
    AccountFixture account;
    std::shared_ptr<FakeAPIClient> client = std::make_shared<FakeAPIClient>();
    QTemporaryDir dir;
    UserPreferences preferences{dir.filePath(QStringLiteral("tolvan.conf"))};
    TranslationStore store{&account.auth, client, &preferences};

    Harness() { account.signIn(); }

    void loadCatalogue(const Result<QList<TranslationLanguage>> &answer = standard)
    {
        client->answer<Op::FetchLanguages>(answer);
        store.loadLanguages(false);
        settle();
    }

    // Translates `text` with `answer`, from en to fr unless chosen otherwise.
    void translate(const QString &text, const Result<QString> &answer)
    {
        store.setText(text);
        client->answer<Op::Translate>(answer);
        store.translate();
        settle();
    }

    void translateHello()
    {
        loadCatalogue();
        translate(QStringLiteral("Hello"), QStringLiteral("Bonjour"));
    }
};

using Setup = std::function<void(Harness &)>;

} // namespace

class TranslationStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void characterLimit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("canTranslate");

        // Seven code points and eleven UTF-16 units, one character on screen.
        const QString family = QStringLiteral("👨‍👩‍👧‍👦");
        QTest::newRow("family emoji at 5,000") << textOf(5000, family) << 5000 << true;
        QTest::newRow("family emoji at 5,001") << textOf(5001, family) << 5001 << false;
        QTest::newRow("blanks count") << QStringLiteral(" %1\n").arg(textOf(4998)) << 5000 << true;
        QTest::newRow("blanks only") << QStringLiteral(" \n\t ") << 4 << false;
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
        QCOMPARE(h.store.canTranslate(), canTranslate);
        QCOMPARE(h.store.status().text == QStringLiteral("Use 5,000 characters or fewer."),
                 count > 5000);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        // The count follows the locale's digit grouping, the limit does not.
        QCOMPARE(h.store.characterCountText(), QLocale().toString(count) + " / 5,000");
        QLocale::setDefault(QLocale::system());
    }

    void catalogueFilter()
    {
        Harness h;
        h.loadCatalogue(QList{lang("EN", "English"), lang("eng"), lang("e1"), lang("de", " \n"),
                              lang("fr", "French"), lang("fr", "Duplicate"), lang("Fr"),
                              lang("ｅｓ"), lang("es", " Spanish "), lang("")});
        QCOMPARE(h.store.languages(), (QList{lang("EN", "English"), lang("fr", "French"),
                                             lang("Fr"), lang("es", " Spanish ")}));
    }

    void defaultLanguages_data()
    {
        // The codes offered, the saved choice and the one made, each as "source>target".
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("chosen");
        const auto row = [](const char *name, const char *offered, const char *saved,
                            const char *chosen) {
            QTest::newRow(name) << QString::fromLatin1(offered) << QString::fromLatin1(saved)
                                << QString::fromLatin1(chosen);
        };
        row("en and fr", "de fr en es", ">", "en>fr");
        row("without en or fr", "de es it", ">", "de>es");
        row("saved codes", "de en fr es", "es>de", "es>de");
        row("saved target equals saved source", "de en fr", "de>de", "de>de");
        row("saved codes not offered", "de en fr", "xx>yy", "en>fr");
        row("fr is the source", "fr de", ">", "fr>de");
        row("one language", "fr", ">", "fr>");
        row("codes in another case", "EN FR de", ">", "EN>FR");
    }

    void defaultLanguages()
    {
        QFETCH(QString, offered);
        QFETCH(QString, saved);
        QFETCH(QString, chosen);
        Harness h;
        const auto code = [](const QString &code) {
            return code.isEmpty() ? std::nullopt : std::optional(code);
        };
        h.preferences.setSourceLanguageCode(code(saved.section(QLatin1Char('>'), 0, 0)));
        h.preferences.setTargetLanguageCode(code(saved.section(QLatin1Char('>'), 1)));
        h.loadCatalogue(catalogue(offered));

        QCOMPARE(codeOf(h.store.source()) + QLatin1Char('>') + codeOf(h.store.target()), chosen);
    }

    void catalogueRequestRules()
    {
        Harness h;
        h.account.signOut();
        h.store.loadLanguages(false);
        h.account.switchAccount(7);
        // A refresh that fails without a rejection keeps the session but not the phase.
        h.account.nearExpiry();
        h.account.authClient->answer<Op::Refresh>(
            ServiceError::transport(QNetworkReply::TimeoutError, {}));
        h.store.loadLanguages(false);
        settle();
        // Only signed in with a live session does the request go out.
        QVERIFY(h.client->calls().isEmpty());
        QCOMPARE(h.store.languageMessage(),
                 QStringLiteral("Please sign in again to load languages."));

        // After a failure only a forced load asks again, and a loaded catalogue is final.
        h.account.switchAccount(7);
        h.store.loadLanguages(false);
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.loadLanguages(true);
        h.store.loadLanguages(true);
        settle();
        h.store.loadLanguages(true);
        settle();
        QCOMPARE(h.client->calls(), (QList{Call{Op::FetchLanguages, {"access-7"}}}));
        QCOMPARE(h.store.languages(), standard);
    }

    void translationOutcomes_data()
    {
        QTest::addColumn<ServiceError>("error");
        QTest::addColumn<QString>("title");
        QTest::newRow("subscription required")
            << ServiceError::subscriptionRequired(ErrorFamily::Translation,
                                                  QStringLiteral("Subscribe."), plansURL)
            << "Translate";
        QTest::newRow("server error")
            << ServiceError::response(ErrorFamily::Translation, 500, QStringLiteral("Failed."))
            << "Retry";
    }

    void translationOutcomes()
    {
        QFETCH(ServiceError, error);
        QFETCH(QString, title);
        Harness h;
        h.translateHello();
        h.translate(QStringLiteral("Hello"), error);

        QCOMPARE(h.store.status(),
                 (StatusLine{Kind::Text, error.text(),
                             QStringLiteral("Translation error: ") + error.text()}));
        QCOMPARE(h.store.primaryActionTitle(), title);
        // The previous result stays.
        QCOMPARE(h.store.result(), QStringLiteral("Bonjour"));

        // A billing link lasts through a success, until the input changes.
        h.translate(QStringLiteral("Hello"), QStringLiteral("Salut"));
        QCOMPARE(h.store.billingURL(),
                 error.billingURL().isEmpty() ? std::nullopt : std::optional(plansURL));
        h.store.setText(QStringLiteral("Hello!"));
        QVERIFY(!h.store.billingURL());
    }

    void languageChangesSwapOrClearAndAreSaved()
    {
        Harness h;
        h.translateHello();
        h.store.swapLanguages();
        QCOMPARE(codeOf(h.store.source()) + codeOf(h.store.target()), QStringLiteral("fren"));
        QCOMPARE(h.store.text(), QStringLiteral("Bonjour"));
        QCOMPARE(h.store.result(), QString());
        // Without a translation the input stays.
        h.store.swapLanguages();
        QCOMPARE(h.store.text(), QStringLiteral("Bonjour"));

        h.translate(QStringLiteral("Hello"), QStringLiteral("Bonjour"));
        h.client->hold(Op::Translate);
        h.store.translate();
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
        QSettings file(h.preferences.settingsFilePath(), QSettings::IniFormat);
        QVERIFY(!file.contains(QStringLiteral("preferences.sourceLanguageCode")));
    }

    void handOff_data()
    {
        QTest::addColumn<Setup>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Setup>("after");
        QTest::addColumn<bool>("translates");

        const Setup loaded = [](Harness &h) { h.loadCatalogue(); };
        const Setup nothing = [](Harness &) {};
        const Setup loading = [](Harness &h) { h.store.loadLanguages(false); };
        const Setup failed = [](Harness &h) { h.loadCatalogue(catalogue({})); };
        // The text goes as typed, surrounding white space included.
        QTest::newRow("catalogue loaded") << loaded << "  Hello\n" << nothing << true;
        // Otherwise the hand-off waits for the catalogue, asking for it when nobody has.
        QTest::newRow("catalogue loading") << loading << "Hello" << nothing << true;
        QTest::newRow("no catalogue yet") << nothing << "Hello" << nothing << true;
        QTest::newRow("edited before the catalogue")
            << loading << "Hello"
            << Setup([](Harness &h) { h.store.setText(QStringLiteral("Hello!")); }) << false;
        QTest::newRow("catalogue failed") << failed << "Hello" << nothing << false;
        QTest::newRow("catalogue retried")
            << failed << "Hello" << Setup([](Harness &h) { h.store.loadLanguages(true); }) << true;
        QTest::newRow("blank text") << loaded << " \n" << nothing << false;
        QTest::newRow("signed out")
            << Setup([](Harness &h) { h.account.signOut(); }) << "Hello" << nothing << false;
    }

    void handOff()
    {
        QFETCH(Setup, before);
        QFETCH(QString, text);
        QFETCH(Setup, after);
        QFETCH(bool, translates);
        Harness h;
        before(h);
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.pasteAndTranslate(text);
        after(h);
        settle();

        const Call call{Op::Translate, {text, "en", "fr", "access-7"}};
        QCOMPARE(h.client->calls(Op::Translate), translates ? QList{call} : QList<Call>());
    }

    void restoreTakesTheCatalogueRecordsUntilTheAccountChanges()
    {
        Harness h;
        h.client->answer<Op::FetchLanguages>(standard);
        h.store.restore(HistoryEntry{.source = QStringLiteral("Hola"),
                                     .result = QStringLiteral("Salut"),
                                     .sourceLanguage = QStringLiteral("es"),
                                     .targetLanguage = QStringLiteral("xx")});
        // Until the catalogue arrives a code stands for itself.
        QCOMPARE(h.store.source(), lang(QStringLiteral("es"), QStringLiteral("ES")));
        settle();
        QCOMPARE(h.store.source(), standard.at(3));
        QCOMPARE(h.store.text(), QStringLiteral("Hola"));
        QCOMPARE(h.store.result(), QStringLiteral("Salut"));
        // A code the catalogue lacks stays chosen but cannot be translated to.
        QCOMPARE(h.store.target(), lang(QStringLiteral("xx"), QStringLiteral("XX")));
        QVERIFY(h.store.hasUnavailableSelection());
        QVERIFY(!h.store.canTranslate());

        h.account.switchAccount(8);
        QCOMPARE(h.store.text(), QString());
        QCOMPARE(h.store.result(), QString());
        // The catalogue and the chosen languages belong to no account.
        QCOMPARE(h.store.languages(), standard);
        QCOMPARE(codeOf(h.store.source()), QStringLiteral("es"));
        QCOMPARE(h.client->calls(Op::FetchLanguages).size(), 1);
    }

    void statusLine_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<StatusLine>("status");
        QTest::addColumn<bool>("canTranslate");
        const auto text = [](const char *line) {
            return StatusLine::of(Kind::Text, QString::fromUtf8(line));
        };
        const auto choose = [](const char *source, const char *target) {
            return Setup([source, target](Harness &h) {
                h.loadCatalogue();
                h.store.setText(QStringLiteral("Hello"));
                h.store.setSource(h.store.language(QString::fromLatin1(source)));
                h.store.setTarget(h.store.language(QString::fromLatin1(target)));
            });
        };

        QTest::newRow("waiting") << Setup([](Harness &) {}) << text("Waiting for languages…")
                                 << false;
        QTest::newRow("loading") << Setup([](Harness &h) { h.store.loadLanguages(false); })
                                 << StatusLine::of(Kind::Progress, "Loading languages…") << false;
        QTest::newRow("language error") << Setup([](Harness &h) {
            h.loadCatalogue(ServiceError::transport(QNetworkReply::HostNotFoundError,
                                                    QStringLiteral("Host not found")));
        }) << StatusLine{Kind::Text, "Host not found", "Language error: Host not found"}
                                        << false;
        QTest::newRow("no second language")
            << Setup([](Harness &h) { h.loadCatalogue(catalogue(QStringLiteral("fr"))); })
            << text("No second translation language is available.") << false;
        QTest::newRow("same languages")
            << choose("es", "es") << text("Choose different source and target languages.") << false;
        QTest::newRow("result without a target") << Setup([](Harness &h) {
            h.loadCatalogue();
            h.store.restore(HistoryEntry{.result = QStringLiteral("Salut"),
                                         .sourceLanguage = QStringLiteral("en")});
        }) << text("Select available source and target languages to translate again.")
                                                 << false;
        QTest::newRow("translating") << Setup([](Harness &h) {
            h.loadCatalogue();
            h.store.setText(QStringLiteral("Hello"));
            h.store.translate();
        }) << StatusLine::of(Kind::Progress, "Translating…")
                                     << false;
        QTest::newRow("translated") << Setup([](Harness &h) { h.translateHello(); })
                                    << StatusLine::of(Kind::Success, "Translated") << true;
        QTest::newRow("ready") << choose("en", "es") << StatusLine::none() << true;
    }

    void statusLine()
    {
        QFETCH(Setup, setup);
        QFETCH(StatusLine, status);
        QFETCH(bool, canTranslate);
        Harness h;
        QSignalSpy changes(&h.store, &TranslationStore::statusChanged);
        setup(h);

        QCOMPARE(h.store.status(), status);
        QCOMPARE(h.store.canTranslate(), canTranslate);
        // Observers hear of the line whenever it differs from the one before.
        QCOMPARE(changes.isEmpty(), status == StatusLine::of(Kind::Text, "Waiting for languages…"));
    }
};

QTEST_GUILESS_MAIN(TranslationStoreTest)
#include "tst_translationstore.moc"
