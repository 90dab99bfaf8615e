#include "languagepicker.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;

namespace {

QList<TranslationLanguage> catalogue()
{
    return {{QStringLiteral("en"), QStringLiteral("English")},
            {QStringLiteral("es"), QStringLiteral("Español")},
            {QStringLiteral("fr"), QStringLiteral("Français")},
            {QStringLiteral("de"), QStringLiteral("Deutsch")},
            {QStringLiteral("ca"), QStringLiteral("Català")},
            {QStringLiteral("pt"), QStringLiteral("Português")}};
}

QStringList codesOf(const QVariantList &languages)
{
    QStringList codes;
    for (const auto &language : languages) {
        codes.append(language.value<TranslationLanguage>().code);
    }
    return codes;
}

} // namespace

class LanguagePickerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void filter_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("without the tilde") << "espan" << QStringList{"es"};
        QTest::newRow("upper case") << "ESPA" << QStringList{"es"};
        QTest::newRow("a code, and a name holding it") << "es" << QStringList{"es", "pt"};
        QTest::newRow("inside the name") << "ançai" << QStringList{"fr"};
        QTest::newRow("cedilla left out") << "franc" << QStringList{"fr"};
        QTest::newRow("written with the accent") << "PORTUGUÉS" << QStringList{"pt"};
        QTest::newRow("name and code both match") << "e" << QStringList{"en", "es", "de", "pt"};
        QTest::newRow("blank keeps all in order")
            << " \n\t" << QStringList{"en", "es", "fr", "de", "ca", "pt"};
        QTest::newRow("trimmed") << "  deu  " << QStringList{"de"};
        QTest::newRow("nothing") << "klingon" << QStringList{};
    }

    void filter()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, codes);
        LanguagePicker picker;
        picker.setLanguages(catalogue());
        picker.setSearch(query);

        QCOMPARE(codesOf(picker.filteredLanguages()), codes);
    }

    void recentCodes_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("recent");
        QTest::newRow("most recent first") << QStringList{"fr", "de"} << QStringList{"de", "fr"};
        QTest::newRow("a code chosen again moves to the front")
            << QStringList{"fr", "de", "fr"} << QStringList{"fr", "de"};
        QTest::newRow("five in a row keep the last three")
            << QStringList{"en", "es", "fr", "de", "ca"} << QStringList{"ca", "de", "fr"};
        QTest::newRow("codes missing from the catalogue are skipped")
            << QStringList{"en", "xx"} << QStringList{"en"};
    }

    void recentCodes()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, recent);
        LanguagePicker picker;
        picker.setLanguages(catalogue());
        for (const auto &code : chosen) {
            picker.remember(code);
        }

        QVERIFY(picker.recentCodes().size() <= LanguagePicker::maximumRecentCodes);
        QCOMPARE(codesOf(picker.recentLanguages()), recent);
    }

    void noRecentSectionWhileSearching()
    {
        LanguagePicker picker;
        picker.setLanguages(catalogue());
        picker.remember(QStringLiteral("fr"));
        QSignalSpy recentChanged(&picker, &LanguagePicker::recentLanguagesChanged);

        picker.setSearch(QStringLiteral("fr"));
        QVERIFY(picker.recentLanguages().isEmpty());
        picker.setSearch(QStringLiteral("fra"));
        picker.setSearch(QStringLiteral(" "));

        QCOMPARE(codesOf(picker.recentLanguages()), QStringList{"fr"});
        QCOMPARE(recentChanged.count(), 2);
    }
};

QTEST_GUILESS_MAIN(LanguagePickerTest)
#include "tst_languagepicker.moc"
