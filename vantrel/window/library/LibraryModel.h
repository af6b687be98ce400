#pragma once
// The library's setups as a table for the library window: one row per setup,
// newest first, read once from the store; a search keeps the rows whose ids
// the store's search answers, so a keystroke reads only ids.

#include <QAbstractTableModel>
#include <QCollator>
#include <QSortFilterProxyModel>
#include <unordered_set>
#include <vector>

#include "library/SetupLibrary.h"
#include "library/TeamRecords.h"

namespace vantrel::library {

class LibraryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Created, Driver, Track, Event, EventDate, SetupType, Main, Qualifying, Finishing, From, ColumnCount };
    // The setup's id, on every cell.
    static constexpr int IdRole = Qt::UserRole + 1;
    // What a column sorts by: for the date the instant, else the text.
    static constexpr int SortRole = Qt::UserRole + 2;

    explicit LibraryModel(QObject* parent = nullptr);

    // Every setup of the library, newest first. Throws platform::Error.
    void reload(SetupLibrary& library);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const SetupSummary& summary(int row) const { return m_rows[std::size_t(row)]; }
    // When the setup was made, seconds since 1970 UTC (0 when unknown).
    qint64 instant(int row) const { return m_instants[std::size_t(row)]; }
    // Whether the setup came from a team mate through the team folder.
    bool fromTeam(int row) const { return m_origins.count(summary(row).id) > 0; }

private:
    std::vector<SetupSummary> m_rows;
    std::vector<qint64> m_instants;     // seconds since 1970 UTC, per row
    std::vector<QString> m_eventDates;  // "YYYY-MM-DD", per row (TrackHistory.h)
    // The setups that came from the team, by id.
    std::unordered_map<std::int64_t, SetupOrigin> m_origins;
};

// The search and the sorting over a LibraryModel.
class LibraryFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit LibraryFilter(QObject* parent = nullptr);
    // Keeps only the setups with these ids; clearFilter keeps all.
    void keepOnly(const std::vector<std::int64_t>& ids);
    void clearFilter();
    // Only the racer's own setups, only the team's, or all.
    enum class Origin { All, Mine, Team };
    void setOrigin(Origin origin);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    bool m_filtered = false;
    Origin m_origin = Origin::All;
    std::unordered_set<std::int64_t> m_ids;
    QCollator m_collator;
};

}  // namespace vantrel::library
