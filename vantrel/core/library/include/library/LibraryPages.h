#pragma once
// The library's setups a page at a time, newest first, for a window that
// shows a few dozen of 100,000: each page is read by the created index from
// where the last one ended, so its cost is the rows it holds (and, with a
// search, the rows passed over to find them), never the whole library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "library/SetupLibrary.h"

namespace vantrel::library {

struct PageQuery {
    std::string search;  // every word in a field or the setup type, as SetupLibrary::summaries
    enum class Origin { All, Mine, Team } origin = Origin::All;
    bool operator==(const PageQuery&) const = default;
};

class LibraryPages {
public:
    explicit LibraryPages(SetupLibrary& library);

    // Up to `limit` setups after `after` (the last row of the page before;
    // nullptr for the first page). Raises platform::Error naming the file.
    std::vector<SetupSummary> page(const PageQuery& query, const SetupSummary* after, std::size_t limit);
    // How many setups the query keeps: a scan of the library where it
    // searches (a caller beside the window runs it on a connection of its own).
    std::size_t count(const PageQuery& query);

private:
    SetupLibrary& m_library;
};

}  // namespace vantrel::library
