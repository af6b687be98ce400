#pragma once
// Which form field of a racer's own PDF shows which sheet field, guessed
// from words rather than spellings: a form field named as the sheet names
// it ("fldFrontShockOil", "Front Shock Oil") is taken at once; any other goes
// to the one sheet field whose words explain all of its own best: the
// sheet field's name split into words, the caption of the window's control
// it comes from with the tab and frame around it, racing synonyms and
// spellings folded together ("tire" is "tyre", "sway bar" an anti-roll bar).
// Where two sheet fields explain a name equally well ("Oil" with a front and
// a rear shock, "Toe" with toe-in and toe-out) the name goes nowhere.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "CDataBuilder.h"

namespace vantrel::matcher {

struct FormField {
    std::string name;
    bool text = true;  // a text field; a mark ("l", "_") can only go to one
};

// The words of a name as the matcher compares them: split at blanks,
// punctuation, letter case and digits, lower case, synonyms and plurals
// folded, noise ("fld", "setup", units) left out.
std::vector<std::string> wordsOf(std::string_view name);

// For each sheet field in record order, the index in formFields of the form
// field pre-chosen for it, -1 for none. A form field is chosen at most once.
std::array<int, SheetFieldCount> suggest(const std::vector<FormField>& formFields);

}  // namespace vantrel::matcher
