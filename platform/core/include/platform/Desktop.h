#pragma once
// An application menu entry for a program, as the desktop keeps one for its
// user: the entry file, its icon, and which application opens a file type.
// On Linux a Desktop Entry file and an SVG icon under $XDG_DATA_HOME (else
// ~/.local/share), the type's default through xdg-mime. On Windows a
// shortcut in the user's Start menu, whose description carries the marker.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::desktop {

struct MenuEntry {
    // Names the entry's files (<id>.desktop, the icon <id>.svg): letters,
    // digits, '-', '_' and '.' only.
    std::string id;
    std::string name;
    // Absolute native path of the program; the menu starts it with the one
    // file it is given ("Open with"), or none.
    std::string program;
    std::string iconSvg;
    // Further keys as plain text (GenericName, Comment, Categories ...),
    // written in this order; the writer escapes them.
    std::vector<std::pair<std::string, std::string>> details;
    // A key of the maker's own ("X-..."), by which it knows its entry again.
    std::string markerKey;
    std::string markerValue;
    // The program is offered for files of this type where another
    // application opens them, which stays their default; empty: none.
    std::string mimeType;
};

// What the racer calls the place the entry goes, for a sentence ("the
// desktop's application menu", "the Start menu"), and for a box's title.
std::string menuName();
std::string menuTitle();

// The program of that name in that folder, as the system names it (on
// Windows with its ".exe").
std::string programFile(const std::string& folder, const std::string& name);

// Why the entry cannot carry this path safely, as the rest of a sentence
// about the path ("holds a control character (\n), ..."): a control
// character, bytes that are not UTF-8, a "%", not a full path. Empty when it can.
std::string uncarriableReason(const std::string& nativePath);

// Writes the icon and then the entry, each whole. Answers the empty text, or
// what could not be written and why (uncarriableReason for the program).
std::string writeMenuEntry(const MenuEntry& entry);

struct ExistingEntry {
    bool present = false;
    // The marker key's value, unescaped; none in an entry of another maker.
    std::optional<std::string> marker;
};

// The user's entry of that id, if any, and its marker's value.
ExistingEntry readMenuEntry(const std::string& id, const std::string& markerKey);

// Where the entry and icon of that id are written; empty without a HOME.
std::string entryPath(const std::string& id);
std::string iconPath(const std::string& id);

// The text of a Desktop Entry file, for writeMenuEntry and its tests; empty
// when the program cannot be carried. offerMimeType: whether MimeType is set.
std::string entryText(const MenuEntry& entry, bool offerMimeType);

}  // namespace platform::desktop
