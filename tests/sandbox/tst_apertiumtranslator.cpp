#include "apertiumtranslator.h"

#include "awaittask.h"

#include <QTest>

using namespace Tolvan;
using Pair = ApertiumTranslator::Pair;

class ApertiumTranslatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pairsFromModes_data()
    {
        QTest::addColumn<QStringList>("modes");
        QTest::addColumn<QList<Pair>>("pairs");

        QTest::newRow("three-letter codes")
            << QStringList{"  eng-spa", "  spa-eng"}
            << QList<Pair>{{"en", "es", "eng-spa"}, {"es", "en", "spa-eng"}};
        QTest::newRow("two-letter codes")
            << QStringList{"es-fr", "fr-es"}
            << QList<Pair>{{"es", "fr", "es-fr"}, {"fr", "es", "fr-es"}};
        QTest::newRow("variants and chains left out")
            << QStringList{"spa-eng_US", "eco-es-fr", "en-es-anmor", "eng-spa"}
            << QList<Pair>{{"en", "es", "eng-spa"}};
        QTest::newRow("first mode of a pair wins")
            << QStringList{"eng-spa", "en-es"} << QList<Pair>{{"en", "es", "eng-spa"}};
        QTest::newRow("unknown codes left out")
            << QStringList{"xqz-eng", "eng-eng", ""} << QList<Pair>{};
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
        for (const TranslationLanguage &source : languages) {
            for (const TranslationLanguage &target : languages) {
                if (source.code == target.code) {
                    continue;
                }
                const auto route = translator.routeFor(source.code, target.code);
                QVERIFY2(route, qPrintable(source.code + " to " + target.code));
                const auto translation = Test::awaitTask(translator.translate("Hello", *route));
                QVERIFY2(translation && !translation->trimmed().isEmpty(),
                         qPrintable(source.code + " to " + target.code));
            }
        }
    }

    void failingEngineGivesNoTranslation()
    {
        const ApertiumTranslator translator({{"en", "es", "eng-spa"}},
                                            QStringLiteral("/nonexistent/apertium"));
        QCOMPARE(Test::awaitTask(translator.translate("Hello", {"eng-spa"})), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(ApertiumTranslatorTest)
#include "tst_apertiumtranslator.moc"
