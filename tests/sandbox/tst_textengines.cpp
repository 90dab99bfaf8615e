#include "apertiumtranslator.h"
#include "spellingcorrector.h"
#include "textimprover.h"

#include "awaittask.h"

#include <QTest>

using namespace Tolvan;
using Pair = ApertiumTranslator::Pair;

// The sandbox's engines: the improver's spacing, capitals and spelling, and
// the Apertium pairs that make its translation catalogue.
class TextEnginesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_speller = SpellingCorrector::loadInstalled(); }

    void improve_data()
    {
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("improved");
        // Whether the case needs the hunspell dictionary.
        QTest::addColumn<bool>("spelling");
        const auto row = [](const char *name, const char *draft, const char *improved,
                            bool spelling = false) {
            QTest::newRow(name) << QString::fromUtf8(draft) << QString::fromUtf8(improved)
                                << spelling;
        };
        row("runs of spaces", "One  two   three.", "One two three.");
        row("space before punctuation", "Yes , it is ; really !", "Yes, it is; really!");
        row("spaces at line ends and text ends", "  First line.   \nSecond line.  ",
            "First line.\nSecond line.");
        row("sentence starts", "it rains. so we stay! do we? yes.",
            "It rains. So we stay! Do we? Yes.");
        row("paragraph starts", "First.\n\nsecond paragraph", "First.\n\nSecond paragraph");
        row("abbreviations", "Fruit, e.g. apples, etc. and more.",
            "Fruit, e.g. apples, etc. and more.");
        row("decimals and addresses", "Pi is 3.14 and see example.com now.",
            "Pi is 3.14 and see example.com now.");
        row("beyond ASCII", "¿qué tal? él vino. été", "¿qué tal? Él vino. Été");
        row("typos", "teh cat recieved the letter.", "The cat received the letter.", true);
        // The closest suggestion wins over the dictionary's first one.
        row("doubled letter", "this sentense has  a speling mistake",
            "This sentence has a spelling mistake", true);
        row("names are kept", "We met Tolvan and Ysolde today.", "We met Tolvan and Ysolde today.",
            true);
        row("another language is left alone", "el perro come la comida en casa.",
            "El perro come la comida en casa.", true);
        row("far-off words are left alone", "The qzxwv is here.", "The qzxwv is here.", true);
    }

    void improve()
    {
        QFETCH(QString, draft);
        QFETCH(QString, improved);
        QFETCH(bool, spelling);
        if (spelling && !m_speller) {
            QSKIP("No American English hunspell dictionary is installed.");
        }
        QCOMPARE(TextImprover(spelling ? m_speller.get() : nullptr).improve(draft), improved);
    }

    void pairsFromModes_data()
    {
        QTest::addColumn<QStringList>("modes");
        QTest::addColumn<QList<Pair>>("pairs");
        const auto row = [](const char *name, const QStringList &modes, const QList<Pair> &pairs) {
            QTest::newRow(name) << modes << pairs;
        };
        row("three-letter codes", {"  eng-spa", "  spa-eng"},
            {{"en", "es", "eng-spa"}, {"es", "en", "spa-eng"}});
        row("two-letter codes", {"es-fr", "fr-es"}, {{"es", "fr", "es-fr"}, {"fr", "es", "fr-es"}});
        row("variants and chains left out", {"spa-eng_US", "eco-es-fr", "en-es-anmor", "eng-spa"},
            {{"en", "es", "eng-spa"}});
        row("unknown codes left out", {"xqz-eng", "eng-eng", ""}, {});
    }

    void pairsFromModes()
    {
        QFETCH(QStringList, modes);
        QFETCH(QList<Pair>, pairs);
        QCOMPARE(ApertiumTranslator::pairsFromModes(modes), pairs);
    }

    void catalogueListsOnlyLanguagesReachingEveryOther()
    {
        // Catalan reaches Italian but not back: neither is listed.
        const ApertiumTranslator translator(ApertiumTranslator::pairsFromModes(
            {"eng-spa", "spa-eng", "es-fr", "fr-es", "cat-ita"}));
        QList<QPair<QString, QString>> languages;
        for (const TranslationLanguage &language : translator.languages()) {
            languages.append({language.code, language.name});
        }
        const QList<QPair<QString, QString>> expected{
            {"en", "English"}, {"fr", "French"}, {"es", "Spanish"}};
        QCOMPARE(languages, expected);
        QCOMPARE(translator.routeFor("fr", "es"), QStringList{"fr-es"});
        QCOMPARE(translator.routeFor("en", "fr"), (QStringList{"eng-spa", "es-fr"}));
        QCOMPARE(translator.routeFor("fr", "en"), (QStringList{"fr-es", "spa-eng"}));
        QCOMPARE(translator.routeFor("en", "en"), std::nullopt);
        QCOMPARE(translator.routeFor("it", "ca"), std::nullopt);
    }

    void everyListedPairTranslates()
    {
        const ApertiumTranslator translator(ApertiumTranslator::installedPairs());
        const QList<TranslationLanguage> languages = translator.languages();
        if (languages.size() < 2) {
            QSKIP("Apertium and its language pairs are not installed.");
        }
        QList<QStringList> routes;
        for (const TranslationLanguage &source : languages) {
            for (const TranslationLanguage &target : languages) {
                const auto route = translator.routeFor(source.code, target.code);
                QVERIFY2(route || source.code == target.code,
                         qPrintable(source.code + " to " + target.code));
                routes.append(route.value_or(QStringList()));
            }
        }
        // Each engine runs once, in the longest routes first so that chains
        // are tried too: an Apertium run takes a while.
        std::stable_sort(
            routes.begin(), routes.end(),
            [](const QStringList &a, const QStringList &b) { return a.size() > b.size(); });
        QSet<QString> tried;
        for (const QStringList &route : routes) {
            const QSet<QString> modes(route.begin(), route.end());
            if (tried.contains(modes)) {
                continue;
            }
            tried.unite(modes);
            const auto translation = Test::awaitTask(translator.translate("Hello", route));
            QVERIFY2(translation && !translation->trimmed().isEmpty(), qPrintable(route.join(' ')));
        }
        // The engine's own words, not the text sent back.
        if (const auto route = translator.routeFor("en", "es")) {
            const auto translation =
                Test::awaitTask(translator.translate("I would like a cup of coffee.", *route));
            QVERIFY2(translation && translation->contains(QStringLiteral("taza de café")),
                     qPrintable(translation.value_or(QString())));
        }
    }

    void failingEngineGivesNoTranslation()
    {
        const ApertiumTranslator translator({{"en", "es", "eng-spa"}},
                                            QStringLiteral("/nonexistent/apertium"));
        QCOMPARE(Test::awaitTask(translator.translate("Hello", {"eng-spa"})), std::nullopt);
    }

private:
    std::unique_ptr<SpellingCorrector> m_speller;
};

QTEST_GUILESS_MAIN(TextEnginesTest)
#include "tst_textengines.moc"
