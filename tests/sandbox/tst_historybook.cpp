#include "historybook.h"
#include "manualclock.h"
#include "sandboxdatabase.h"

#include <QTest>

using namespace Tolvan;
using namespace std::chrono_literals;

class HistoryBookTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_clock = std::make_unique<Test::ManualClock>();
        m_database = std::make_unique<SandboxDatabase>(QStringLiteral(":memory:"));
        QString error;
        QVERIFY2(m_database->open(&error), qPrintable(error));
        m_history = std::make_unique<HistoryBook>(m_database->connection(), *m_clock);
    }

    void cleanup()
    {
        m_history.reset();
        m_database.reset();
    }

    void pagination_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("onPage");
        QTest::addColumn<int>("totalPages");

        QTest::newRow("empty") << 0 << 1 << 20 << 0 << 0;
        QTest::newRow("one") << 1 << 1 << 20 << 1 << 1;
        QTest::newRow("exactly one page") << 20 << 1 << 20 << 20 << 1;
        QTest::newRow("one more than a page") << 21 << 1 << 20 << 20 << 2;
        QTest::newRow("the remainder") << 21 << 2 << 20 << 1 << 2;
        QTest::newRow("past the end") << 21 << 3 << 20 << 0 << 2;
        QTest::newRow("another page size") << 45 << 3 << 10 << 10 << 5;
        QTest::newRow("its last page") << 45 << 5 << 10 << 5 << 5;
    }

    void pagination()
    {
        QFETCH(int, entries);
        QFETCH(int, page);
        QFETCH(int, pageSize);
        QFETCH(int, onPage);
        QFETCH(int, totalPages);

        for (int i = 0; i < entries; ++i) {
            addWriting(account, QStringLiteral("draft %1").arg(i));
        }
        addWriting(otherAccount, QStringLiteral("not counted"));
        const auto found = m_history->page(account, {.page = page, .pageSize = pageSize});
        QCOMPARE(found.entries.size(), onPage);
        QCOMPARE(found.pagination.page, page);
        QCOMPARE(found.pagination.pageSize, pageSize);
        QCOMPARE(found.pagination.totalCount, entries);
        QCOMPARE(found.pagination.totalPages, totalPages);
    }

    void newestFirstAcrossPages()
    {
        // Entries of the same millisecond keep the order they were made in.
        for (int i = 0; i < 25; ++i) {
            addWriting(account, QString::number(i));
            if (i % 2 == 0) {
                m_clock->advance(1s);
            }
        }
        QStringList sources;
        for (qint64 page = 1; page <= 2; ++page) {
            for (const HistoryEntry &entry : m_history->page(account, {.page = page}).entries) {
                sources.append(entry.source);
            }
        }
        QStringList expected;
        for (int i = 24; i >= 0; --i) {
            expected.append(QString::number(i));
        }
        QCOMPARE(sources, expected);
    }

    void filterAndSearch_data()
    {
        QTest::addColumn<std::optional<HistoryKind>>("type");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("expected");

        const std::optional<HistoryKind> any;
        QTest::newRow("everything") << any << QString() << QStringList{"w2", "t2", "w1", "t1"};
        QTest::newRow("translations")
            << std::optional(HistoryKind::Translation) << QString() << QStringList{"t2", "t1"};
        QTest::newRow("writing") << std::optional(HistoryKind::Writing) << QString()
                                 << QStringList{"w2", "w1"};
        QTest::newRow("in the source, other case") << any << "HELLO" << QStringList{"t1"};
        QTest::newRow("in the result") << any << "mundo" << QStringList{"t1"};
        QTest::newRow("beyond ASCII") << any << "ÉTÉ" << QStringList{"w1"};
        QTest::newRow("surrounding spaces ignored") << any << "  hola \n" << QStringList{"t1"};
        QTest::newRow("filter and search")
            << std::optional(HistoryKind::Writing) << "the" << QStringList{"w2"};
        QTest::newRow("percent is no wildcard") << any << "is%sure" << QStringList{};
        QTest::newRow("underscore is no wildcard") << any << "c_t" << QStringList{};
        QTest::newRow("no match") << any << "zebra" << QStringList{};
    }

    void filterAndSearch()
    {
        QFETCH(std::optional<HistoryKind>, type);
        QFETCH(QString, search);
        QFETCH(QStringList, expected);

        add(HistoryKind::Translation, "t1", "Hello world", "Hola Mundo");
        add(HistoryKind::Writing, "w1", "un été chaud", "Un été chaud.");
        add(HistoryKind::Translation, "t2", "Bonjour", "Buenos días");
        add(HistoryKind::Writing, "w2", "the cat is 100% sure", "The cat is 100% sure.");
        m_history->add(otherAccount, HistoryKind::Translation, QStringLiteral("Hello"),
                       QStringLiteral("Hola"));

        const auto found = m_history->page(account, {.type = type, .search = search});
        QStringList tags;
        for (const HistoryEntry &entry : found.entries) {
            tags.append(m_tags.value(entry.id));
        }
        QCOMPARE(tags, expected);
        QCOMPARE(found.pagination.totalCount, expected.size());
    }

    void entriesKeepTheirFields()
    {
        m_clock->setNow(QDateTime(QDate(2025, 3, 1), QTime(12, 30, 45, 123), Qt::UTC));
        const HistoryEntry made =
            m_history->add(account, HistoryKind::Translation, QStringLiteral("Hello"),
                           QStringLiteral("Hola"), QStringLiteral("en"), QStringLiteral("es"));
        const auto read = m_history->entry(account, made.id);
        QVERIFY(read);
        QCOMPARE(*read, made);
        QCOMPARE(read->insertedAt, m_clock->now());
        QCOMPARE(read->sourceLanguage, QStringLiteral("en"));
        QCOMPARE(m_history->entry(otherAccount, made.id), std::nullopt);
    }

    void removeAndClearStayWithinTheAccount()
    {
        const HistoryEntry first = addWriting(account, QStringLiteral("one"));
        addWriting(account, QStringLiteral("two"));
        const HistoryEntry others = addWriting(otherAccount, QStringLiteral("theirs"));

        QVERIFY(!m_history->remove(account, others.id));
        QVERIFY(m_history->remove(account, first.id));
        QVERIFY(!m_history->remove(account, first.id));
        QCOMPARE(m_history->page(account, {}).pagination.totalCount, 1);

        m_history->clear(account);
        QCOMPARE(m_history->page(account, {}).pagination.totalCount, 0);
        QCOMPARE(m_history->page(otherAccount, {}).pagination.totalCount, 1);
    }

private:
    static constexpr qint64 account = (qint64(1) << 60) + 1;
    static constexpr qint64 otherAccount = (qint64(1) << 60) + 2;

    HistoryEntry addWriting(qint64 owner, const QString &source)
    {
        return m_history->add(owner, HistoryKind::Writing, source, source + QLatin1Char('.'));
    }

    void add(HistoryKind type, const char *tag, const QString &source, const QString &result)
    {
        const HistoryEntry entry = m_history->add(account, type, source, result);
        m_tags.insert(entry.id, QString::fromLatin1(tag));
        m_clock->advance(1s);
    }

    std::unique_ptr<Test::ManualClock> m_clock;
    std::unique_ptr<SandboxDatabase> m_database;
    std::unique_ptr<HistoryBook> m_history;
    QHash<qint64, QString> m_tags;
};

QTEST_GUILESS_MAIN(HistoryBookTest)
#include "tst_historybook.moc"
