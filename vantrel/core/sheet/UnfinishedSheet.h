#pragma once
// A sheet while it is being built: filled in the run's work folder, beside the
// data files, and given its name in the target folder only when it is whole
// (filled, carrying its setup, saved). A run that fails or is killed leaves
// no file at a sheet's name and nothing in the target folder; what a killed
// run left in the work folder goes at the start of the next run.

#include <string>

namespace vantrel {

class UnfinishedSheet {
public:
    // workFolder: the work folder (native), made when missing and emptied of
    // what an earlier run left. Only one run of an installation works there
    // at a time: the caller holds the run lock. sheetName: the file name the
    // sheet is to have.
    UnfinishedSheet(const std::string& workFolder, const std::string& sheetName);
    // Removes the work file unless it was given its name.
    ~UnfinishedSheet();
    UnfinishedSheet(const UnfinishedSheet&) = delete;
    UnfinishedSheet& operator=(const UnfinishedSheet&) = delete;

    // Where the sheet is built (native).
    const std::string& path() const { return m_path; }

    // Gives the finished sheet the name `sheet` (a system path), or the first
    // free one of "-2", "-3", ... before ".pdf" when a file is there already,
    // or one whose name differs only in letter case (one file on Windows):
    // a file at the name, whoever made it, is never replaced. Answers the
    // name given (a system path); raises naming the sheet and the reason.
    std::string publish(const std::string& sheet);

private:
    std::string m_path;
    bool m_published = false;
};

// The run's work folder in the data folder dataFolder (native).
std::string workFolderIn(const std::string& dataFolder);

}  // namespace vantrel
