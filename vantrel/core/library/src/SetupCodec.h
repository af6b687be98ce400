#pragma once
// How a setup's 73 values go into the library's rows and come out again: as
// the value columns of table setup (bound and read in record order), or
// packed into one column (a run's setup), each value as its length, ':' and
// its bytes.

#include <optional>
#include <string>
#include <string_view>

#include "CAppSettings.h"
#include "Sqlite.h"

namespace vantrel::library::codec {

void bindValues(sqlite::Statement& s, int firstIndex, const Setup& values);
Setup readValues(const sqlite::Statement& s, int firstColumn);

std::string packValues(const Setup& values);
// Nothing for text that is no packed setup.
std::optional<Setup> unpackValues(std::string_view text);

}  // namespace vantrel::library::codec
