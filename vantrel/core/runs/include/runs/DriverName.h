#pragma once
// Whether two spellings name one driver, as lap tables, folder names and
// setups spell them: "Jo Smith", "SMITH Jo", "Smith, Jo", "J. Smith" and
// "Jö Smith" are one driver; "Jo Smith" and "Jane Smith" are two.

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::runs {

// The words of a name, folded as the library's search folds (no case, no
// accents), without the commas, dots and hyphens between them.
std::vector<std::string> driverNameWords(std::string_view name);

// The same words in either order (every order for a name of up to five
// words), each pair equal or one of them a one-letter initial of the other,
// and at least one word written out in both. Empty names match nothing.
bool sameDriver(std::string_view a, std::string_view b);

}  // namespace vantrel::runs
