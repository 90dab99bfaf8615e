#include "buttonbase.h"
#include "historylistmodel.h"
#include "instancerequest.h"
#include "languagepicker.h"
#include "palette.h"
#include "pastetextview.h"
#include "popoverplacement.h"
#include "portalcolorscheme.h"
#include "settingscontent.h"
#include "windowgeometry.h"

#include <QAbstractItemModelTester>
#include <QDBusVariant>
#include <QLocale>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;

namespace {

const QList<TranslationLanguage> catalogue{{"en", "English"},  {"es", "Español"},
                                           {"fr", "Français"}, {"de", "Deutsch"},
                                           {"ca", "Català"},   {"pt", "Português"}};

HistoryEntry entry(qint64 id, HistoryKind type = HistoryKind::Writing)
{
    HistoryEntry result{
        .id = id,
        .type = type,
        .source = QStringLiteral("source %1").arg(id),
        .result = QStringLiteral("result %1").arg(id),
        .insertedAt = QDateTime(QDate(2026, 3, 1), QTime(15, 7), QTimeZone::utc()),
    };
    if (type == HistoryKind::Translation) {
        result.sourceLanguage = QStringLiteral("en");
        result.targetLanguage = QStringLiteral("es");
    }
    return result;
}

// Today's entries and yesterday's, by id.
QList<HistorySection> days(const QList<qint64> &today, const QList<qint64> &yesterday = {})
{
    QList<HistorySection> sections;
    for (const auto &[title, ids] : {std::pair(QStringLiteral("Today"), today),
                                     std::pair(QStringLiteral("Yesterday"), yesterday)}) {
        if (!ids.isEmpty()) {
            sections.append({.title = title});
            for (const qint64 id : ids) {
                sections.last().entries.append(entry(id));
            }
        }
    }
    return sections;
}

QVariant role(const HistoryListModel &model, int row, HistoryListModel::Role role)
{
    return model.data(model.index(row), role);
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

// The rules behind the desktop app's views: placement, colours, the history
// list, the language picker, the settings cards, and how a button answers the
// mouse, the keyboard and the focus.
class UIRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void popoverPlacement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("expected");
        const auto row = [](const char *name, QRect anchor, QSize size, QPoint expected) {
            QTest::newRow(name) << anchor << size << expected;
        };
        // Available area: x 0..1000, y 40..800 (a panel on top).
        row("below, left-aligned", {100, 100, 80, 30}, {300, 200}, {100, 134});
        row("near the right edge: pushed left", {900, 100, 80, 30}, {300, 200}, {700, 134});
        row("wider than the area: its left edge", {900, 100, 80, 30}, {1200, 200}, {0, 134});
        row("fits exactly at the bottom", {100, 566, 80, 30}, {300, 200}, {100, 600});
        row("no room below: above, 4 from it", {100, 700, 80, 30}, {300, 200}, {100, 496});
        row("no room either way: kept under the area's top", {100, 100, 80, 30}, {300, 900},
            {100, 40});
    }

    void popoverPlacement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QSize, size);
        QFETCH(QPoint, expected);
        QCOMPARE(PopoverPlacement::topLeft(anchor, size, QRect(0, 40, 1000, 760)), expected);
    }

    void windowGeometryFitsTheScreen_data()
    {
        QTest::addColumn<std::optional<QRect>>("remembered");
        QTest::addColumn<QRect>("expected");
        const auto row = [](const char *name, std::optional<QRect> remembered, QRect expected) {
            QTest::newRow(name) << remembered << expected;
        };
        row("nothing remembered: 960 × 600, centred", {}, {320, 220, 960, 600});
        row("remembered and inside", QRect(10, 20, 800, 500), {10, 20, 800, 500});
        row("larger than the screen", QRect(0, 0, 3000, 2000), {0, 0, 1600, 1040});
        row("off the screen: moved back", QRect(1500, 900, 800, 500), {800, 540, 800, 500});
        row("below the minimum", QRect(10, 20, 300, 200), {10, 20, 720, 440});
    }

    void windowGeometryFitsTheScreen()
    {
        QFETCH(std::optional<QRect>, remembered);
        QFETCH(QRect, expected);
        QCOMPARE(WindowGeometry::fitted(remembered, QRect(0, 0, 1600, 1040), QSize(720, 440)),
                 expected);
    }

    void paletteGivesEachTokenItsOwnValuePerAppearance()
    {
        const QMetaEnum tokens = QMetaEnum::fromType<ColorToken>();
        for (int index = 0; index < tokens.keyCount(); ++index) {
            const auto token = ColorToken(tokens.value(index));
            QVERIFY(Palette::color(token, false).isValid());
            QVERIFY(Palette::color(token, true).isValid());
            QCOMPARE(Palette::tokenNamed(Palette::assetName(token)), token);
        }
        QCOMPARE(Palette::assetName(ColorToken::TextPrimary), QStringLiteral("TextPrimary"));
        QVERIFY(Palette::color(ColorToken::Canvas, false).lightness() >
                Palette::color(ColorToken::Canvas, true).lightness());
        QVERIFY(Palette::color(ColorToken::TextPrimary, false).lightness() <
                Palette::color(ColorToken::TextPrimary, true).lightness());
    }

    void portalColorScheme_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<std::optional<bool>>("expected");
        const auto wrapped = [](const QVariant &value) {
            return QVariant::fromValue(QDBusVariant(value));
        };
        QTest::newRow("dark, as Read answers") << wrapped(wrapped(1u)) << std::optional(true);
        QTest::newRow("light, as SettingChanged says") << wrapped(2u) << std::optional(false);
        QTest::newRow("no preference") << wrapped(0u) << std::optional<bool>();
        QTest::newRow("not a number") << wrapped(QStringLiteral("dark")) << std::optional<bool>();
    }

    void portalColorScheme()
    {
        QFETCH(QVariant, value);
        QFETCH(std::optional<bool>, expected);
        QCOMPARE(PortalColorScheme::prefersDark(value), expected);
    }

    void buttonClicks_data()
    {
        QTest::addColumn<QPoint>("releasedAt");
        QTest::addColumn<int>("clicks");
        QTest::newRow("released on the button") << QPoint(20, 10) << 1;
        QTest::newRow("released away from it") << QPoint(150, 10) << 0;
    }

    void buttonClicks()
    {
        QFETCH(QPoint, releasedAt);
        QFETCH(int, clicks);
        QQuickWindow window;
        window.resize(200, 40);
        ButtonBase button(window.contentItem());
        button.setSize({100, 30});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy clicked(&button, &ButtonBase::clicked);

        QTest::mousePress(&window, Qt::LeftButton, {}, {10, 10});
        QVERIFY(button.isDown());
        QVERIFY(button.hasActiveFocus());
        QVERIFY(!button.hasVisualFocus());
        QTest::mouseRelease(&window, Qt::LeftButton, {}, releasedAt);
        QCOMPARE(clicked.count(), clicks);
        QVERIFY(!button.isDown());

        // Space clicks once however long it is held; Return is left to others.
        QTest::keyPress(&window, Qt::Key_Space);
        for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent repeat(type, Qt::Key_Space, {}, QStringLiteral(" "), true);
            QGuiApplication::sendEvent(&window, &repeat);
        }
        QVERIFY(button.isDown());
        QTest::keyRelease(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(clicked.count(), clicks + 1);

        button.setFocus(false);
        button.forceActiveFocus(Qt::TabFocusReason);
        QVERIFY(button.hasVisualFocus());
    }

    void pasteFiresOnceAndOnlyWhenTheTextChanged()
    {
        PasteTextView view;
        QSignalSpy pasted(&view, &PasteTextView::pasted);

        view.beginPaste();
        view.endPaste();
        QCOMPARE(pasted.count(), 0);

        // The platform runs a paste inside the paste: one report, at the end.
        view.beginPaste();
        view.beginPaste();
        view.noteEdit();
        view.endPaste();
        QCOMPARE(pasted.count(), 0);
        view.noteEdit();
        view.endPaste();
        QCOMPARE(pasted.count(), 1);
        QCOMPARE(view.pasteDepth(), 0);

        view.noteEdit();
        view.endPaste();
        QCOMPARE(pasted.count(), 1);
    }

    void instanceRequestsCrossTheSocketIntact()
    {
        using Action = InstanceRequest::Action;
        for (const Action action :
             {Action::Open, Action::OpenInBackground, Action::OpenSettings, Action::Quit,
              Action::TranslateClipboard, Action::ImproveClipboard}) {
            const InstanceRequest request{action, QStringLiteral("token_TIME123")};
            const QByteArray line = request.encoded();
            QVERIFY(line.endsWith('\n'));
            QCOMPARE(line.count('\n'), 1);
            QCOMPARE(InstanceRequest::decode(line), request);
        }
        for (const QByteArray &line : {QByteArray("open\n"), QByteArray(R"({"action":"reboot"})"),
                                       QByteArray(R"({"action":7})"),
                                       QByteArray(R"({"action":"open","activationToken":1})")}) {
            QCOMPARE(InstanceRequest::decode(line), std::nullopt);
        }
    }

    void historyContextText_data()
    {
        QTest::addColumn<HistoryEntry>("entry");
        QTest::addColumn<QString>("expected");
        const HistoryEntry translation = entry(1, HistoryKind::Translation);
        const auto translated = [&](std::optional<QString> from, std::optional<QString> to) {
            HistoryEntry changed = translation;
            changed.sourceLanguage = std::move(from);
            changed.targetLanguage = std::move(to);
            return changed;
        };
        QTest::newRow("target not in the catalogue")
            << translated("en", "pt-br") << "English → PT-BR";
        QTest::newRow("no source code") << translated({}, "es") << "Unknown language → Español";
        QTest::newRow("empty target code") << translated("en", "") << "English → Unknown language";
    }

    void historyContextText()
    {
        QFETCH(HistoryEntry, entry);
        QFETCH(QString, expected);
        QCOMPARE(HistoryListModel::contextText(entry, catalogue), expected);
    }

    void historyRowsCarryTheirDayAndTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("time");
        QTest::newRow("en_US, UTC") << "en_US"
                                    << "UTC" << QStringLiteral("3:07\u202fPM");
        QTest::newRow("de_DE, Berlin") << "de_DE"
                                       << "Europe/Berlin" << QStringLiteral("16:07");
    }

    void historyRowsCarryTheirDayAndTime()
    {
        QFETCH(QString, locale);
        QFETCH(QString, zone);
        QFETCH(QString, time);
        HistoryListModel model(QLocale(locale), QTimeZone(zone.toUtf8()));
        model.setContent(days({1, 2, 3}, {4}), catalogue);

        QCOMPARE(model.count(), 4);
        QCOMPARE(role(model, 0, HistoryListModel::TimeRole).toString(), time);
        const QList<std::tuple<QString, bool, bool>> expected{
            {QStringLiteral("Today"), true, false},
            {QStringLiteral("Today"), false, false},
            {QStringLiteral("Today"), false, true},
            {QStringLiteral("Yesterday"), true, true}};
        for (int row = 0; row < model.count(); ++row) {
            QCOMPARE(
                std::make_tuple(role(model, row, HistoryListModel::SectionTitleRole).toString(),
                                role(model, row, HistoryListModel::IsFirstInSectionRole).toBool(),
                                role(model, row, HistoryListModel::IsLastInSectionRole).toBool()),
                expected.at(row));
        }
    }

    void historyReplacesOnlyTheChangedRows()
    {
        HistoryListModel model(QLocale(QStringLiteral("en_US")), QTimeZone::utc());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setContent(days({1, 2}), catalogue);

        // The next page adds its rows after the loaded ones.
        model.setContent(days({1, 2, 3}, {4}), catalogue);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.last().at(1).toInt(), 2);
        QCOMPARE(inserted.last().at(2).toInt(), 3);
        QCOMPARE(role(model, 1, HistoryListModel::IsLastInSectionRole).toBool(), false);

        // A deleted entry leaves alone; its neighbour becomes the day's last.
        model.setContent(days({1, 2}, {4}), catalogue);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.last().at(1).toInt(), 2);
        QCOMPARE(removed.last().at(2).toInt(), 2);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(role(model, 1, HistoryListModel::IsLastInSectionRole).toBool(), true);

        // A new entry on top, after a reload.
        model.setContent(days({5, 1, 2}, {4}), catalogue);
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(inserted.last().at(1).toInt(), 0);

        model.setContent({}, catalogue);
        QCOMPARE(model.count(), 0);
        QCOMPARE(reset.size(), 0);
    }

    void pickerFilter_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("without the tilde") << "espan" << QStringList{"es"};
        QTest::newRow("upper case") << "ESPA" << QStringList{"es"};
        QTest::newRow("a code, and a name holding it") << "es" << QStringList{"es", "pt"};
        QTest::newRow("inside the name") << "ançai" << QStringList{"fr"};
        QTest::newRow("written with the accent") << "PORTUGUÉS" << QStringList{"pt"};
        QTest::newRow("blank keeps all in order")
            << " \n\t" << QStringList{"en", "es", "fr", "de", "ca", "pt"};
        QTest::newRow("trimmed") << "  deu  " << QStringList{"de"};
        QTest::newRow("nothing") << "klingon" << QStringList{};
    }

    void pickerFilter()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, codes);
        LanguagePicker picker;
        picker.setLanguages(catalogue);
        picker.setSearch(query);
        QCOMPARE(codesOf(picker.filteredLanguages()), codes);
    }

    void pickerRecentCodes_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("recent");
        const auto row = [](const char *name, const QStringList &chosen,
                            const QStringList &recent) { QTest::newRow(name) << chosen << recent; };
        row("most recent first", {"fr", "de"}, {"de", "fr"});
        row("a code chosen again moves to the front", {"fr", "de", "fr"}, {"fr", "de"});
        row("five in a row keep the last three", {"en", "es", "fr", "de", "ca"},
            {"ca", "de", "fr"});
        row("codes missing from the catalogue are skipped", {"en", "xx"}, {"en"});
    }

    void pickerRecentCodes()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, recent);
        LanguagePicker picker;
        picker.setLanguages(catalogue);
        for (const auto &code : chosen) {
            picker.remember(code);
        }
        QVERIFY(picker.recentCodes().size() <= LanguagePicker::maximumRecentCodes);
        QCOMPARE(codesOf(picker.recentLanguages()), recent);
    }

    void settingsAccountCard_data()
    {
        using Phase = AuthStore::Phase;
        using Action = SettingsContent::AccountAction;
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<bool>("isBusy");
        QTest::addColumn<bool>("hasSession");
        QTest::addColumn<QString>("title");
        QTest::addColumn<Action>("action");
        const auto row = [](const char *name, Phase phase, bool isBusy, bool hasSession,
                            const char *title, Action action) {
            QTest::newRow(name) << phase << isBusy << hasSession << QString::fromUtf8(title)
                                << action;
        };
        row("restoring", Phase::Restoring, false, false, "Restoring your session…", Action::None);
        row("signed out", Phase::SignedOut, false, false, "Sign in to translate and improve text",
            Action::SignIn);
        row("signed in", Phase::Authenticated, false, true, "Signed in", Action::SignOut);
        row("busy signing in", Phase::SignedOut, true, false, "Please wait…", Action::SignIn);
        row("recovery with a session", Phase::Recovery, false, true, "Account needs attention",
            Action::SignOut);
        row("recovery without one", Phase::Recovery, false, false, "Account needs attention",
            Action::None);
    }

    void settingsAccountCard()
    {
        QFETCH(AuthStore::Phase, phase);
        QFETCH(bool, isBusy);
        QFETCH(bool, hasSession);
        QFETCH(QString, title);
        QFETCH(SettingsContent::AccountAction, action);
        QCOMPARE(SettingsContent::accountTitle(phase, isBusy), title);
        QCOMPARE(SettingsContent::accountAction(phase, hasSession), action);
    }

    void settingsDoubleCopyStatus_data()
    {
        QTest::addColumn<bool>("isEnabled");
        QTest::addColumn<bool>("hasPermission");
        QTest::addColumn<bool>("isMonitoring");
        QTest::addColumn<QString>("title");
        QTest::newRow("off") << false << false << false << QString();
        QTest::newRow("running") << true << true << true << QString();
        QTest::newRow("failed to start")
            << true << true << false << QStringLiteral("The shortcut could not start");
    }

    void settingsDoubleCopyStatus()
    {
        QFETCH(bool, isEnabled);
        QFETCH(bool, hasPermission);
        QFETCH(bool, isMonitoring);
        QFETCH(QString, title);
        const auto status =
            SettingsContent::doubleCopyStatus(isEnabled, hasPermission, isMonitoring);
        QCOMPARE(status.isShown, !title.isEmpty());
        QCOMPARE(status.title, title);
        QCOMPARE(status.detail.isEmpty(), title.isEmpty());
    }
};

QTEST_MAIN(UIRulesTest)
#include "tst_uirules.moc"
