#include "historylistmodel.h"

#include "historystore.h"
#include "shorttimeformat.h"
#include "tolvanapp.h"
#include "translationstore.h"

namespace Tolvan {

namespace {

QString languageName(const std::optional<QString> &code,
                     const QList<TranslationLanguage> &languages)
{
    if (!code || code->isEmpty()) {
        return QStringLiteral("Unknown language");
    }
    for (const TranslationLanguage &language : languages) {
        if (language.code == *code) {
            return language.name;
        }
    }
    return code->toUpper();
}

} // namespace

HistoryListModel::HistoryListModel(QObject *parent)
    : HistoryListModel(QLocale(), QTimeZone::systemTimeZone(), parent)
{
    m_history = &TolvanApp::instance()->history();
    m_translation = &TolvanApp::instance()->translation();
    connect(m_history, &HistoryStore::entriesChanged, this, &HistoryListModel::follow);
    connect(m_translation, &TranslationStore::languagesChanged, this, &HistoryListModel::follow);
    follow();
}

HistoryListModel::HistoryListModel(QLocale locale, QTimeZone timeZone, QObject *parent)
    : QAbstractListModel(parent)
    , m_locale(std::move(locale))
    , m_timeZone(std::move(timeZone))
{
}

int HistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Row &row = m_rows.at(index.row());
    const bool isWriting = row.entry.type == HistoryKind::Writing;
    switch (role) {
    case EntryRole:
        return QVariant::fromValue(row.entry);
    case EntryIDRole:
        return row.entry.idText();
    case IsWritingRole:
        return isWriting;
    case ContextRole:
        return row.context;
    case TimeRole:
        return row.time;
    case SourceRole:
        return row.entry.source;
    case ResultRole:
        return row.entry.result;
    case RestoreTitleRole:
        return isWriting ? QStringLiteral("Restore in Write")
                         : QStringLiteral("Restore in Translate");
    case SectionTitleRole:
        return row.sectionTitle;
    case IsFirstInSectionRole:
        return row.isFirstInSection;
    case IsLastInSectionRole:
        return row.isLastInSection;
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryListModel::roleNames() const
{
    return {
        {EntryRole, "entry"},
        {EntryIDRole, "entryID"},
        {IsWritingRole, "isWriting"},
        {ContextRole, "context"},
        {TimeRole, "time"},
        {SourceRole, "source"},
        {ResultRole, "result"},
        {RestoreTitleRole, "restoreTitle"},
        {SectionTitleRole, "sectionTitle"},
        {IsFirstInSectionRole, "isFirstInSection"},
        {IsLastInSectionRole, "isLastInSection"},
    };
}

void HistoryListModel::setContent(const QList<HistorySection> &sections,
                                  const QList<TranslationLanguage> &languages)
{
    QList<Row> rows;
    for (const HistorySection &section : sections) {
        for (qsizetype index = 0; index < section.entries.size(); ++index) {
            const HistoryEntry &entry = section.entries.at(index);
            rows.append(Row{
                .entry = entry,
                .sectionTitle = section.title,
                .isFirstInSection = index == 0,
                .isLastInSection = index == section.entries.size() - 1,
                .context = contextText(entry, languages),
                .time = ShortTimeFormat::format(entry.insertedAt, m_locale, m_timeZone),
            });
        }
    }

    // Rows are the same entry when their ids are; only the run between the
    // common head and the common tail is replaced.
    const auto sameEntry = [](const Row &a, const Row &b) { return a.entry.id == b.entry.id; };
    qsizetype head = 0;
    while (head < m_rows.size() && head < rows.size() && sameEntry(m_rows[head], rows[head])) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < m_rows.size() - head && tail < rows.size() - head &&
           sameEntry(m_rows[m_rows.size() - 1 - tail], rows[rows.size() - 1 - tail])) {
        ++tail;
    }
    const qsizetype removed = m_rows.size() - head - tail;
    const qsizetype inserted = rows.size() - head - tail;
    if (removed > 0) {
        beginRemoveRows(QModelIndex(), int(head), int(head + removed - 1));
        m_rows.remove(head, removed);
        endRemoveRows();
    }
    if (inserted > 0) {
        beginInsertRows(QModelIndex(), int(head), int(head + inserted - 1));
        m_rows.insert(head, inserted, Row{});
        for (qsizetype index = head; index < head + inserted; ++index) {
            m_rows[index] = rows[index];
        }
        endInsertRows();
    }
    // The rows kept may have moved within their day or changed their texts.
    m_rows = rows;
    if (!m_rows.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1));
    }
    if (removed != inserted) {
        Q_EMIT countChanged();
    }
}

QString HistoryListModel::contextText(const HistoryEntry &entry,
                                      const QList<TranslationLanguage> &languages)
{
    if (entry.type == HistoryKind::Writing) {
        return QStringLiteral("Writing");
    }
    return languageName(entry.sourceLanguage, languages) + QStringLiteral(" → ") +
           languageName(entry.targetLanguage, languages);
}

void HistoryListModel::follow()
{
    if (m_history && m_translation) {
        setContent(m_history->sections(), m_translation->languages());
    }
}

} // namespace Tolvan
