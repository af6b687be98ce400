// How the run driver shows a finished sheet: late-bound calls on the viewer's
// application and document objects, seen by the recording stand-in.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "CSetupManager.h"
#include "ShellTestFolder.h"

using namespace shelltest;

namespace {

// The recorded member calls from the last document open on.
std::vector<std::string> callsFromLastOpen(const std::vector<std::string>& calls) {
    auto last = std::find_if(calls.rbegin(), calls.rend(),
                             [](const std::string& line) { return line.rfind("AVDoc.Open(", 0) == 0; });
    if (last == calls.rend()) return {};
    return {std::prev(last.base()), calls.end()};
}

// Position of the last occurrence of line, -1 when there is none.
std::ptrdiff_t lastIndexOf(const std::vector<std::string>& lines, const std::string& line) {
    auto it = std::find(lines.rbegin(), lines.rend(), line);
    return it == lines.rend() ? -1 : std::distance(lines.begin(), std::prev(it.base()));
}

}  // namespace

TEST(ShowReport, OpensTheSheetThenCallsTheApplicationIn24_25_21Order) {
    ShellTestFolder folder(Acrobat::Recording);
    std::string sheet;
    {
        vantrel::CSetupManager manager;
        manager.setRawDataFile(folder.rawDataFile());
        manager.setSetupName("RDX");
        manager.setTargetPDFDirectory(folder.sheetsFolder());
        manager.BuildSetupSheet();
        sheet = manager.TargetPDFFile();

        EXPECT_EQ(callsFromLastOpen(folder.recording().memberCalls()),
                  (std::vector<std::string>{"AVDoc.Open(" + sheet + ", )", "App.Show24(1)", "App.Show25(1)",
                                            "App.Show21(1)"}));
        // The document object is let go at once; the application stays with the manager.
        const auto calls = folder.recording().calls();
        EXPECT_GT(lastIndexOf(calls, "delete AcroExch.AVDoc"), lastIndexOf(calls, "App.Show21(1)"));
        EXPECT_EQ(lastIndexOf(calls, "delete AcroExch.App"), -1);
    }
    EXPECT_GT(lastIndexOf(folder.recording().calls(), "delete AcroExch.App"), 0);
    EXPECT_EQ(folder.logLines().size(), 1u);
}

TEST(ShowReport, ASheetThatDoesNotOpenIsLoggedAndTheRunStillSucceeds) {
    ShellTestFolder folder(Acrobat::Recording);
    // The run's open of the new sheet and the form filler's succeed; the viewer's does not.
    folder.recording().setOpenResults({true, true, false});
    vantrel::CSetupManager manager;
    manager.setRawDataFile(folder.rawDataFile());
    manager.setSetupName("RDX");
    manager.setTargetPDFDirectory(folder.sheetsFolder());
    manager.BuildSetupSheet();

    const std::string sheet = folder.sheetsFolder() + "\\" + ShellTestFolder::sheetName("Driver A", "RDX");
    EXPECT_EQ(manager.TargetPDFFile(), sheet);
    EXPECT_EQ(callsFromLastOpen(folder.recording().memberCalls()),
              std::vector<std::string>{"AVDoc.Open(" + sheet + ", )"});
    EXPECT_EQ(folder.logLines(),
              (std::vector<std::string>{"6/12/2026 09:05:07 AM: CSetupManager::BuildSetupSheet-START PROCESSING",
                                        "6/12/2026 09:05:07 AM: CSetupManager::Failed to Open Report: " + sheet}));
}
