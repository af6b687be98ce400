#include "LibraryModel.h"

#include <QRegularExpression>
#include <optional>
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

void LibraryModel::setQuery(SetupLibrary& library, const PageQuery& query) {
    std::vector<SetupSummary> first = LibraryPages(library).page(query, nullptr, PageRows);
    beginResetModel();
    m_library = &library;
    m_query = query;
    m_more = first.size() == PageRows;
    m_rows = std::move(first);
    endResetModel();
}

void LibraryModel::reload(SetupLibrary& library) {
    const std::size_t had = m_rows.size();
    setQuery(library, m_query);
    // The rows the view had stay there, so a reload keeps the place scrolled to.
    while (m_rows.size() < had && fetch(PageRows)) {
    }
}

bool LibraryModel::fetch(std::size_t rows) {
    if (!m_library || !m_more) return false;
    std::vector<SetupSummary> page =
        LibraryPages(*m_library).page(m_query, m_rows.empty() ? nullptr : &m_rows.back(), rows);
    m_more = page.size() == rows;
    if (page.empty()) return false;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(page.begin()), std::make_move_iterator(page.end()));
    endInsertRows();
    return true;
}

bool LibraryModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_more; }

void LibraryModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    try {
        fetch(PageRows);
    } catch (const std::exception&) {
        // The view asks again as it scrolls; the window tells of a library it cannot read.
        m_more = false;
    }
}

void LibraryModel::fetchAll() {
    // Big pages: one insertion into the view a few thousand rows.
    while (fetch(16 * PageRows)) {
    }
}

int LibraryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int LibraryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size())) return {};
    const SetupSummary& row = m_rows[std::size_t(index.row())];
    if (role == IdRole) return QVariant::fromValue<qint64>(row.id);
    if (role == SortRole && index.column() == Created) return QVariant::fromValue<qint64>(row.createdUtc);
    if (role == Qt::ToolTipRole && !row.sheet.empty()) return fromStd(row.sheet);
    if (role != Qt::DisplayRole && role != SortRole) return {};
    switch (index.column()) {
    case Created: return shownTime(row.created);
    case Driver: return fromStd(row.driver);
    case Track: return fromStd(row.track);
    case Event: return fromStd(row.event);
    case EventDate: return fromStd(row.eventDate);
    case SetupType: return fromStd(row.setupType);
    case Main: return fromStd(row.resultsMain);
    case Qualifying: return fromStd(row.qualifying);
    case Finishing: return fromStd(row.finishing);
    case From: return row.teamDriver ? fromStd(*row.teamDriver) + " (team)" : QString("mine");
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
