#include "spellingcorrector.h"
#include "textimprover.h"

#include <QTest>

using namespace Tolvan;

class TextImproverTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_speller = SpellingCorrector::loadInstalled(); }

    void spacingAndCapitals_data()
    {
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("improved");

        QTest::newRow("runs of spaces") << "One  two   three."
                                        << "One two three.";
        QTest::newRow("tabs between words") << "One\t\ttwo."
                                            << "One two.";
        QTest::newRow("space before punctuation") << "Yes , it is ; really !"
                                                  << "Yes, it is; really!";
        QTest::newRow("spaces at line ends and text ends") << "  First line.   \nSecond line.  "
                                                           << "First line.\nSecond line.";
        QTest::newRow("sentence starts") << "it rains. so we stay! do we? yes."
                                         << "It rains. So we stay! Do we? Yes.";
        QTest::newRow("after a closing quote") << "He said \"stop.\" then left."
                                               << "He said \"stop.\" Then left.";
        QTest::newRow("paragraph starts") << "First.\n\nsecond paragraph"
                                          << "First.\n\nSecond paragraph";
        QTest::newRow("line breaks alone are no sentence end") << "Items:\n- milk\n- bread"
                                                               << "Items:\n- milk\n- bread";
        QTest::newRow("abbreviations") << "Fruit, e.g. apples, etc. and more."
                                       << "Fruit, e.g. apples, etc. and more.";
        QTest::newRow("decimals and addresses") << "Pi is 3.14 and see example.com now."
                                                << "Pi is 3.14 and see example.com now.";
        QTest::newRow("beyond ASCII") << "¿qué tal? él vino. été"
                                      << "¿qué tal? Él vino. Été";
        QTest::newRow("nothing to fix") << "All is well."
                                        << "All is well.";
    }

    void spacingAndCapitals()
    {
        QFETCH(QString, draft);
        QFETCH(QString, improved);
        QCOMPARE(TextImprover().improve(draft), improved);
    }

    void spelling_data()
    {
        QTest::addColumn<QString>("draft");
        QTest::addColumn<QString>("improved");

        QTest::newRow("typos") << "teh cat recieved the letter."
                               << "The cat received the letter.";
        QTest::newRow("capitalised typo") << "Teh dog is here."
                                          << "The dog is here.";
        // The closest suggestion wins over the dictionary's first one.
        QTest::newRow("doubled letter") << "this sentense has  a speling mistake"
                                        << "This sentence has a spelling mistake";
        QTest::newRow("undoubled letter") << "it occured to me."
                                          << "It occurred to me.";
        QTest::newRow("names are kept") << "We met Tolvan and Ysolde today."
                                        << "We met Tolvan and Ysolde today.";
        QTest::newRow("acronyms are kept") << "The NASAX team met today."
                                           << "The NASAX team met today.";
        QTest::newRow("another language is left alone") << "el perro come la comida en casa."
                                                        << "El perro come la comida en casa.";
        QTest::newRow("far-off words are left alone") << "The qzxwv is here."
                                                      << "The qzxwv is here.";
    }

    void spelling()
    {
        if (!m_speller) {
            QSKIP("No American English hunspell dictionary is installed.");
        }
        QFETCH(QString, draft);
        QFETCH(QString, improved);
        QCOMPARE(TextImprover(m_speller.get()).improve(draft), improved);
    }

private:
    std::unique_ptr<SpellingCorrector> m_speller;
};

QTEST_GUILESS_MAIN(TextImproverTest)
#include "tst_textimprover.moc"
