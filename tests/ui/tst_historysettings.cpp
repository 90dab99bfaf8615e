#include "historylistmodel.h"
#include "settingscontent.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Tolvan;

namespace {

const QList<TranslationLanguage> catalogue{{QStringLiteral("en"), QStringLiteral("English")},
                                           {QStringLiteral("es"), QStringLiteral("Spanish")}};

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

HistorySection day(const QString &title, const QList<qint64> &ids)
{
    HistorySection section{.title = title};
    for (const qint64 id : ids) {
        section.entries.append(entry(id));
    }
    return section;
}

QVariant role(const HistoryListModel &model, int row, HistoryListModel::Role role)
{
    return model.data(model.index(row), role);
}

} // namespace

class HistorySettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void contextText_data()
    {
        QTest::addColumn<HistoryEntry>("entry");
        QTest::addColumn<QString>("expected");
        HistoryEntry translation = entry(1, HistoryKind::Translation);
        QTest::newRow("writing") << entry(1) << QStringLiteral("Writing");
        QTest::newRow("both in the catalogue")
            << translation << QStringLiteral("English → Spanish");
        HistoryEntry unknownTarget = translation;
        unknownTarget.targetLanguage = QStringLiteral("pt-br");
        QTest::newRow("target not in the catalogue")
            << unknownTarget << QStringLiteral("English → PT-BR");
        HistoryEntry noSource = translation;
        noSource.sourceLanguage.reset();
        QTest::newRow("no source code") << noSource << QStringLiteral("Unknown language → Spanish");
        HistoryEntry emptyTarget = translation;
        emptyTarget.targetLanguage = QString();
        QTest::newRow("empty target code")
            << emptyTarget << QStringLiteral("English → Unknown language");
    }

    void contextText()
    {
        QFETCH(HistoryEntry, entry);
        QFETCH(QString, expected);
        QCOMPARE(HistoryListModel::contextText(entry, catalogue), expected);
    }

    void rowsCarryTheirDayAndTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("time");
        QTest::newRow("en_US, UTC") << "en_US"
                                    << "UTC" << QStringLiteral("3:07\u202fPM");
        QTest::newRow("de_DE, Berlin") << "de_DE"
                                       << "Europe/Berlin" << QStringLiteral("16:07");
    }

    void rowsCarryTheirDayAndTime()
    {
        QFETCH(QString, locale);
        QFETCH(QString, zone);
        QFETCH(QString, time);
        HistoryListModel model(QLocale(locale), QTimeZone(zone.toUtf8()));
        model.setContent(
            {day(QStringLiteral("Today"), {1, 2, 3}), day(QStringLiteral("Yesterday"), {4})},
            catalogue);

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

    void onlyChangedRowsAreReplaced()
    {
        HistoryListModel model(QLocale(QStringLiteral("en_US")), QTimeZone::utc());
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setContent({day(QStringLiteral("Today"), {1, 2})}, catalogue);

        // The next page adds its rows after the loaded ones.
        model.setContent(
            {day(QStringLiteral("Today"), {1, 2, 3}), day(QStringLiteral("Yesterday"), {4})},
            catalogue);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.last().at(1).toInt(), 2);
        QCOMPARE(inserted.last().at(2).toInt(), 3);
        QCOMPARE(role(model, 1, HistoryListModel::IsLastInSectionRole).toBool(), false);

        // A deleted entry leaves alone; its neighbour becomes the day's last.
        model.setContent(
            {day(QStringLiteral("Today"), {1, 2}), day(QStringLiteral("Yesterday"), {4})},
            catalogue);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.last().at(1).toInt(), 2);
        QCOMPARE(removed.last().at(2).toInt(), 2);
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(role(model, 1, HistoryListModel::IsLastInSectionRole).toBool(), true);

        // A new entry on top, after a reload.
        model.setContent(
            {day(QStringLiteral("Today"), {5, 1, 2}), day(QStringLiteral("Yesterday"), {4})},
            catalogue);
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(inserted.last().at(1).toInt(), 0);

        model.setContent({}, catalogue);
        QCOMPARE(model.count(), 0);
        QCOMPARE(reset.size(), 0);
    }

    void accountCard_data()
    {
        using Phase = AuthStore::Phase;
        using Action = SettingsContent::AccountAction;
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<bool>("isBusy");
        QTest::addColumn<bool>("hasSession");
        QTest::addColumn<QString>("title");
        QTest::addColumn<Action>("action");
        QTest::newRow("restoring") << Phase::Restoring << false << false
                                   << QStringLiteral("Restoring your session…") << Action::None;
        QTest::newRow("signed out")
            << Phase::SignedOut << false << false
            << QStringLiteral("Sign in to translate and improve text") << Action::SignIn;
        QTest::newRow("signed in") << Phase::Authenticated << false << true
                                   << QStringLiteral("Signed in") << Action::SignOut;
        QTest::newRow("busy signing in") << Phase::SignedOut << true << false
                                         << QStringLiteral("Please wait…") << Action::SignIn;
        QTest::newRow("recovery with a session")
            << Phase::Recovery << false << true << QStringLiteral("Account needs attention")
            << Action::SignOut;
        QTest::newRow("recovery without one")
            << Phase::Recovery << false << false << QStringLiteral("Account needs attention")
            << Action::None;
    }

    void accountCard()
    {
        QFETCH(AuthStore::Phase, phase);
        QFETCH(bool, isBusy);
        QFETCH(bool, hasSession);
        QFETCH(QString, title);
        QFETCH(SettingsContent::AccountAction, action);
        QCOMPARE(SettingsContent::accountTitle(phase, isBusy), title);
        QCOMPARE(SettingsContent::accountAction(phase, hasSession), action);
    }

    void doubleCopyStatus_data()
    {
        QTest::addColumn<bool>("isEnabled");
        QTest::addColumn<bool>("hasPermission");
        QTest::addColumn<bool>("isMonitoring");
        QTest::addColumn<QString>("title");
        QTest::newRow("off") << false << false << false << QString();
        QTest::newRow("running") << true << true << true << QString();
        QTest::newRow("failed to start")
            << true << true << false << QStringLiteral("The shortcut could not start");
        QTest::newRow("no keyboard watch in this session")
            << true << false << false
            << QStringLiteral("The shortcut is not available in this session");
    }

    void doubleCopyStatus()
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

QTEST_GUILESS_MAIN(HistorySettingsTest)
#include "tst_historysettings.moc"
