// vantrel-batch --history and --last, run as the shipped program in a
// program folder of its own whose library holds a season at two tracks.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "SetupFile.h"
#include "BatchProgramFolder.h"
#include "library/SetupLibrary.h"

namespace {

namespace fs = std::filesystem;
using vantrel::SetupField;
using namespace vantrel::library;
using batchtest::BatchRun;

class TrackFolder : public batchtest::BatchProgramFolder {
public:
    TrackFolder() {
        SetupLibrary library((path() / "Data" / "Library.sqlite").string());
        // Built out of order; the dates as the racer wrote them, day first.
        const std::vector<std::array<const char*, 6>> season = {
            // track, event, date, qualifying, finishing, front shock oil
            {"Zürich", "Round 2", "11 April 2026", "3", "2nd", "40"},
            {"Northtown", "Club Day", "2026-05-02", "1", "1", "35"},
            {"zurich", "Round 1", "14.3.2026", "6", "5th", "35"},
            {"Zurich", "Round 3", "", "2", "1st", "40"},  // no date: the day it was built
        };
        for (const auto& [track, event, date, qualifying, finishing, oil] : season) {
            SetupEntry e;
            e.created = std::string(event) == "Round 3" ? "2026-06-20T09:00:00+02:00" : "2026-07-01T09:00:00+02:00";
            e.setupType = "RDX";
            auto set = [&](SetupField f, const char* v) { e.values[std::size_t(f)] = v; };
            set(SetupField::DriverName, "Åsa Lind");
            set(SetupField::TrackCity, track);
            set(SetupField::EventName, event);
            set(SetupField::EventDate, date);
            set(SetupField::ResultsQualifyingPos, qualifying);
            set(SetupField::ResultsFinishPos, finishing);
            set(SetupField::FrontShockOil, oil);
            set(SetupField::RearShockOil, std::string(event) == "Round 3" ? "30" : "27.5");
            library.record(e);
        }
    }
};

}  // namespace

TEST(TrackBatch, HistoryAndLastOfATrackThroughTheProgram) {
    TrackFolder folder;
    const BatchRun history = folder.run("--history ZURICH --driver 'asa lind'");
    ASSERT_EQ(history.status, 0) << history.err;
    EXPECT_EQ(history.out,
              "2026-03-14\tÅsa Lind\tRound 1\t6\t5th\t\n"
              "2026-04-11\tÅsa Lind\tRound 2\t3\t2nd\tThicker Front Shocks Oil, 35 → 40\n"
              "2026-06-20\tÅsa Lind\tRound 3\t2\t1st\tThicker Rear Shocks Oil, 27.5 → 30\n");

    const fs::path out = folder.path() / "last.dat";
    const BatchRun last = folder.run("--last 'Zürich' last.dat");
    ASSERT_EQ(last.status, 0) << last.err;
    const auto values = vantrel::readSetupFile(out.string());
    EXPECT_EQ(values[std::size_t(SetupField::EventName)], "Round 3");
    EXPECT_EQ(values[std::size_t(SetupField::RearShockOil)], "30");

    // None there: an error, and the file named is left as it was.
    for (const char* args :
         {"--last Southport last.dat", "--last Zürich last.dat --driver Nobody", "--history Southport"}) {
        const BatchRun none = folder.run(args);
        EXPECT_EQ(none.status, 1) << args;
        EXPECT_THAT(none.err, ::testing::StartsWith("Error: ")) << args;
        EXPECT_THAT(none.err, ::testing::HasSubstr("has no setup at")) << args;
    }
    EXPECT_EQ(vantrel::readSetupFile(out.string()), values);
    EXPECT_EQ(folder.run("--last Zürich").status, 2) << "no output file";
}
