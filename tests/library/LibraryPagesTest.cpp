// The library a page at a time: the pages of a query, one after another,
// are exactly the setups the store's search keeps, newest first, whatever
// the query, the page size and the setups' origins; the count agrees.

#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <set>

#include "LibraryTestSupport.h"
#include "library/LibraryPages.h"
#include "library/TeamRecords.h"

namespace {

using namespace vantrel::library;
using namespace librarytest;

std::string libraryIn(const testsupport::TempProgramFolder& folder) {
    return (folder.path() / "Library.sqlite").string();
}

TEST(LibraryPages, PagesAfterPagesAreTheSearchNewestFirst) {
    testsupport::TempProgramFolder folder;
    std::mt19937 rng(11);
    SetupLibrary library(libraryIn(folder));
    std::set<std::int64_t> team;
    const char* const drivers[] = {"Åsa Lind", "Jürgen Bär", "Mara Keel"};
    for (int i = 0; i < 700; ++i) {
        // Many setups of one instant: the page's end is by instant and id.
        char created[32];
        std::snprintf(created, sizeof created, "2026-03-%02dT%02d:15:00+01:00", 1 + int(rng() % 3), int(rng() % 2));
        SetupEntry e = makeEntry(rng, created);
        e.values[std::size_t(vantrel::SetupField::DriverName)] = drivers[rng() % 3];
        e.values[std::size_t(vantrel::SetupField::Comments)] = "round " + std::to_string(i);
        if (i % 5 == 0) {
            e.sheet = folder.path().string() + "/Team/Mara/Sheet_" + std::to_string(i) + ".pdf";
            ASSERT_TRUE(TeamRecords(library).take(e, "Sheet_" + std::to_string(i) + ".pdf", "Mara",
                                                  folder.path().string() + "/Team"));
        } else {
            library.record(e);
        }
    }
    for (const auto& [id, origin] : TeamRecords(library).teamOrigins()) team.insert(id);
    ASSERT_EQ(team.size(), 140u);

    LibraryPages pages(library);
    const char* const queries[] = {"", "asa", "BAR", "round 1", "round 69", "lind round", "nothing like it", "1"};
    for (const char* q : queries)
        for (const auto origin : {PageQuery::Origin::All, PageQuery::Origin::Mine, PageQuery::Origin::Team})
            for (std::size_t size : {1u, 7u, 256u}) {
                std::vector<std::int64_t> expected;
                for (std::int64_t id : library.matchingIds(q))
                    if (origin == PageQuery::Origin::All || team.count(id) == (origin == PageQuery::Origin::Team))
                        expected.push_back(id);
                const PageQuery query{q, origin};
                std::vector<std::int64_t> paged;
                std::vector<SetupSummary> page = pages.page(query, nullptr, size);
                while (!page.empty()) {
                    for (const SetupSummary& row : page) {
                        paged.push_back(row.id);
                        EXPECT_EQ(row.teamDriver.has_value(), team.count(row.id) > 0);
                        EXPECT_EQ(row.eventDate.size(), 10u) << row.eventDate;
                    }
                    if (page.size() < size || (size == 1 && paged.size() > 40)) break;
                    const SetupSummary last = page.back();
                    page = pages.page(query, &last, size);
                }
                if (size == 1 && paged.size() > 40) expected.resize(paged.size());
                EXPECT_EQ(paged, expected) << "\"" << q << "\", page of " << size;
                const std::vector<std::int64_t> all = library.matchingIds(q);
                const auto kept = std::count_if(all.begin(), all.end(), [&](std::int64_t id) {
                    return origin == PageQuery::Origin::All || team.count(id) == (origin == PageQuery::Origin::Team);
                });
                EXPECT_EQ(pages.count(query), std::size_t(kept)) << q;
            }
}

}  // namespace
