#pragma once
// The library's setups as a table for the library window: one row per setup,
// newest first, read a page at a time as the view scrolls (LibraryPages), so
// opening the window and a search read what shows, not the whole library.

#include <QAbstractTableModel>
#include <QCollator>
#include <QSortFilterProxyModel>
#include <vector>

#include "library/LibraryPages.h"
#include "library/SetupLibrary.h"

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

    // The setups of the query, newest first: its first page now, the rest as
    // the view asks (fetchMore). Throws platform::Error.
    void setQuery(SetupLibrary& library, const PageQuery& query);
    // The same query again, with at least as many rows as were there.
    void reload(SetupLibrary& library);
    const PageQuery& query() const { return m_query; }
    // Every row of the query (sorting by another column than the time needs them all).
    void fetchAll();
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const SetupSummary& summary(int row) const { return m_rows[std::size_t(row)]; }
    // When the setup was made, seconds since 1970 UTC (0 when unknown).
    qint64 instant(int row) const { return summary(row).createdUtc; }
    // Whether the setup came from a team mate through the team folder.
    bool fromTeam(int row) const { return summary(row).teamDriver.has_value(); }

    // The rows a page holds.
    static constexpr std::size_t PageRows = 256;

private:
    // Appends up to `rows` rows; false when there were none more.
    bool fetch(std::size_t rows);

    SetupLibrary* m_library = nullptr;
    PageQuery m_query;
    std::vector<SetupSummary> m_rows;
    bool m_more = false;  // the last page was full: there may be more
};

// The sorting over a LibraryModel: the rows it has, in the racer's order.
class LibraryFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit LibraryFilter(QObject* parent = nullptr);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QCollator m_collator;
};

}  // namespace vantrel::library
