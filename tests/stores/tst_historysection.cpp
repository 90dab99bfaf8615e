#include "historysection.h"

#include <QTest>

using namespace Tolvan;

namespace {

// 2025-03-01T12:00:00Z.
const QDateTime now(QDate(2025, 3, 1), QTime(12, 0), QTimeZone::utc());

HistoryEntry entry(qint64 id, const QDateTime &insertedAt)
{
    return HistoryEntry{.id = id, .insertedAt = insertedAt};
}

QDateTime utc(int day, int month, int hour, int minute = 0)
{
    return QDateTime(QDate(2025, month, day), QTime(hour, minute), QTimeZone::utc());
}

} // namespace

class HistorySectionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void sections_data()
    {
        QTest::addColumn<QList<HistoryEntry>>("entries");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<QList<qint64>>>("ids");

        QTest::newRow("today, yesterday, three days ago")
            << QList{entry(1, utc(26, 2, 9)), entry(2, utc(1, 3, 8)), entry(3, utc(28, 2, 22))}
            << QByteArray("UTC")
            << QStringList{QStringLiteral("Today"), QStringLiteral("Yesterday"),
                           QStringLiteral("Feb 26, 2025")}
            << QList<QList<qint64>>{{2}, {3}, {1}};
        QTest::newRow("one day keeps the list order")
            << QList{entry(5, utc(1, 3, 1)), entry(4, utc(1, 3, 11)), entry(6, utc(1, 3, 6))}
            << QByteArray("UTC") << QStringList{QStringLiteral("Today")}
            << QList<QList<qint64>>{{5, 4, 6}};
        // 23:30 UTC on the 28th is already the 1st two hours east.
        QTest::newRow("days begin in the given zone")
            << QList{entry(7, utc(28, 2, 23, 30)), entry(8, utc(28, 2, 21, 0))}
            << QByteArray("UTC+02:00")
            << QStringList{QStringLiteral("Today"), QStringLiteral("Yesterday")}
            << QList<QList<qint64>>{{7}, {8}};
        QTest::newRow("nothing") << QList<HistoryEntry>() << QByteArray("UTC") << QStringList()
                                 << QList<QList<qint64>>();
    }

    void sections()
    {
        QFETCH(QList<HistoryEntry>, entries);
        QFETCH(QByteArray, zone);
        QFETCH(QStringList, titles);
        QFETCH(QList<QList<qint64>>, ids);
        const QTimeZone timeZone(zone);
        QVERIFY(timeZone.isValid());

        const auto sections = HistorySection::sections(entries, now, timeZone);

        QStringList actualTitles;
        QList<QList<qint64>> actualIds;
        for (const HistorySection &section : sections) {
            actualTitles.append(section.title);
            QList<qint64> sectionIds;
            for (const HistoryEntry &loaded : section.entries) {
                sectionIds.append(loaded.id);
            }
            actualIds.append(sectionIds);
            QCOMPARE(section.date.toTimeZone(timeZone).time(), QTime(0, 0));
        }
        QCOMPARE(actualTitles, titles);
        QCOMPARE(actualIds, ids);
    }
};

QTEST_GUILESS_MAIN(HistorySectionTest)
#include "tst_historysection.moc"
