#pragma once

#include "historyentry.h"
#include "historysection.h"
#include "translationlanguage.h"

#include <QAbstractListModel>
#include <QList>
#include <QLocale>
#include <QPointer>
#include <QTimeZone>
#include <QtQml/qqmlregistration.h>

namespace Tolvan {

class HistoryStore;
class TranslationStore;

// The History list as rows for a list view: every loaded entry with its day
// section, its place in that day's card and the texts of its row. A new page,
// a deletion or a reload changes only the rows that differ, so the view keeps
// its place and builds only the rows on screen.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        EntryRole = Qt::UserRole + 1,
        EntryIDRole,
        IsWritingRole,
        ContextRole,
        TimeRole,
        SourceRole,
        ResultRole,
        RestoreTitleRole,
        SectionTitleRole,
        IsFirstInSectionRole,
        IsLastInSectionRole,
    };
    Q_ENUM(Role)

    // Follows the running app's history and language catalogue.
    explicit HistoryListModel(QObject *parent = nullptr);
    // Rows only from setContent(), for tests.
    HistoryListModel(QLocale locale, QTimeZone timeZone, QObject *parent = nullptr);

    int count() const { return int(m_rows.size()); }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces the rows, telling views only of the rows that differ.
    void setContent(const QList<HistorySection> &sections,
                    const QList<TranslationLanguage> &languages);

    // "Writing", or the source and target language names joined by " → ";
    // a code missing from `languages` shows in capitals, a missing code as
    // "Unknown language".
    static QString contextText(const HistoryEntry &entry,
                               const QList<TranslationLanguage> &languages);

Q_SIGNALS:
    void countChanged();

private:
    struct Row {
        HistoryEntry entry;
        QString sectionTitle;
        bool isFirstInSection = false;
        bool isLastInSection = false;
        QString context;
        QString time;
    };

    void follow();

    QLocale m_locale;
    QTimeZone m_timeZone;
    QPointer<HistoryStore> m_history;
    QPointer<TranslationStore> m_translation;
    QList<Row> m_rows;
};

} // namespace Tolvan
