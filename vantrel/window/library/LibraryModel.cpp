#include "LibraryModel.h"

#include <QRegularExpression>
#include <optional>
#include "library/TrackHistory.h"
#include "Utf8Text.h"

namespace vantrel::library {

namespace {

// "2026-12-08T05:03:44+01:00" as the racer reads it: "2026-12-08 05:03".
QString shownTime(const std::string& created) {
    QString text = fromStd(created);
    if (text.size() >= 16 && text[10] == 'T') return text.left(10) + ' ' + text.mid(11, 5);
    return text;
}

// The first number in a position ("4th" 4, "P3" 3), none in "DNF".
std::optional<double> positionNumber(const QString& text) {
    static const QRegularExpression kNumber("\\d+(\\.\\d+)?");
    const QRegularExpressionMatch match = kNumber.match(text);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured().toDouble();
}

}  // namespace

LibraryModel::LibraryModel(QObject* parent) : QAbstractTableModel(parent) {}

void LibraryModel::reload(SetupLibrary& library) {
    std::vector<SetupSummary> rows = library.summaries();
    auto origins = TeamRecords(library).teamOrigins();
    const auto dates = eventDates(library);
    beginResetModel();
    m_rows = std::move(rows);
    m_origins = std::move(origins);
    m_instants.clear();
    m_instants.reserve(m_rows.size());
    for (const SetupSummary& row : m_rows) m_instants.push_back(parseTimestamp(row.created).value_or(0));
    m_eventDates.clear();
    m_eventDates.reserve(m_rows.size());
    for (const SetupSummary& row : m_rows)
        m_eventDates.push_back(dates.count(row.id) ? fromStd(dates.at(row.id)) : QString());
    endResetModel();
}

int LibraryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int LibraryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size())) return {};
    const SetupSummary& row = m_rows[std::size_t(index.row())];
    if (role == IdRole) return QVariant::fromValue<qint64>(row.id);
    if (role == SortRole && index.column() == Created)
        return QVariant::fromValue<qint64>(m_instants[std::size_t(index.row())]);
    if (role == Qt::ToolTipRole && !row.sheet.empty()) return fromStd(row.sheet);
    if (role != Qt::DisplayRole && role != SortRole) return {};
    switch (index.column()) {
    case Created: return shownTime(row.created);
    case Driver: return fromStd(row.driver);
    case Track: return fromStd(row.track);
    case Event: return fromStd(row.event);
    case EventDate: return m_eventDates[std::size_t(index.row())];
    case SetupType: return fromStd(row.setupType);
    case Main: return fromStd(row.resultsMain);
    case Qualifying: return fromStd(row.qualifying);
    case Finishing: return fromStd(row.finishing);
    case From: {
        const auto origin = m_origins.find(row.id);
        return origin == m_origins.end() ? QString("mine") : fromStd(origin->second.driver) + " (team)";
    }
    default: return {};
    }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kTitles[ColumnCount] = {"Date and Time", "Driver",     "Track / City", "Event",
                                                     "Event Date",    "Setup Type", "Main",         "Qualifying",
                                                     "Finishing",     "From"};
    return section >= 0 && section < ColumnCount ? QString(kTitles[section]) : QVariant();
}

LibraryFilter::LibraryFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(LibraryModel::SortRole);
    // "2" before "10", "a" beside "À".
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void LibraryFilter::keepOnly(const std::vector<std::int64_t>& ids) {
    m_ids = std::unordered_set<std::int64_t>(ids.begin(), ids.end());
    m_filtered = true;
    // One new layout rather than a removal signal per run of rows left out.
    invalidate();
}

void LibraryFilter::clearFilter() {
    if (!m_filtered) return;
    m_filtered = false;
    m_ids.clear();
    // One new layout rather than a removal signal per run of rows left out.
    invalidate();
}

void LibraryFilter::setOrigin(Origin origin) {
    if (origin == m_origin) return;
    m_origin = origin;
    invalidate();
}

bool LibraryFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const LibraryModel*>(sourceModel());
    if (m_origin != Origin::All && model->fromTeam(sourceRow) != (m_origin == Origin::Team)) return false;
    if (!m_filtered) return true;
    return m_ids.count(model->summary(sourceRow).id) > 0;
}

bool LibraryFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto* model = static_cast<const LibraryModel*>(sourceModel());
    if (left.column() == LibraryModel::Created) {
        // Straight from the model: a search re-sorts every row it keeps.
        const qint64 x = model->instant(left.row()), y = model->instant(right.row());
        // Alike instants: the later recorded (the lower row) is the newer.
        return x != y ? x < y : left.row() > right.row();
    }
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    if (left.column() == LibraryModel::Qualifying || left.column() == LibraryModel::Finishing) {
        // A position by its number, whatever is written around it: "3rd", "P4", "10".
        const std::optional<double> x = positionNumber(a.toString()), y = positionNumber(b.toString());
        if (x && y && *x != *y) return *x < *y;
        if (x.has_value() != y.has_value()) return x.has_value();
    }
    // Positions and numbers as numbers ("2" before "10"), text by the collator.
    bool leftNumber = false, rightNumber = false;
    const double x = a.toString().trimmed().toDouble(&leftNumber), y = b.toString().trimmed().toDouble(&rightNumber);
    if (leftNumber && rightNumber && x != y) return x < y;
    if (leftNumber != rightNumber) return leftNumber;
    const int order = m_collator.compare(a.toString(), b.toString());
    return order != 0 ? order < 0 : left.row() > right.row();
}

}  // namespace vantrel::library
