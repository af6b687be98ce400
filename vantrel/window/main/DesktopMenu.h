#pragma once
// A program folder unpacked from a release is in no application menu. Its
// window's first start offers to put it there (the desktop entry, icon and
// PDF association an install writes, pointing at this folder); a folder that
// was moved puts its entry right on its next start, without asking. An entry
// of another program folder that is still there is left alone, and a "No" is
// remembered for the user. A folder whose path a menu entry cannot carry
// safely (a control character, bytes that are not UTF-8, a "%") gets none.

#include <string>

class QWidget;

namespace vantrel {

class DesktopMenu {
public:
    enum class Outcome {
        NotARelease,      // an install or a build: the install writes the entry
        AlreadyThere,     // the entry starts this folder's vantrel
        Added,            // asked, and added
        Declined,         // asked (now or before), and not added
        Moved,            // the entry's folder is gone: it now starts this one
        OtherFolderKept,  // the entry starts another folder's vantrel, still there
        NotCarried,       // the folder's path cannot be in an entry; the box said why
        Failed            // a file could not be written; the box said why
    };

    // programFolder: native, as the system names it (bytes, which need not
    // be UTF-8), without a trailing separator. The entry and icon go under
    // $XDG_DATA_HOME (else ~/.local/share).
    static Outcome offer(QWidget* parent, const std::string& programFolder);

    // The file whose presence marks a program folder made by the release.
    static std::string releaseMark(const std::string& programFolder);
};

}  // namespace vantrel
