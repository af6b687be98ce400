#pragma once
// What the library tests share: generated setups and raw data files.

#include <cctype>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "TempProgramFolder.h"
#include "library/SetupImport.h"
#include "library/SetupLibrary.h"

namespace librarytest {

using vantrel::Setup;
using vantrel::SetupFieldCount;
using vantrel::SetupFieldKeys;
using vantrel::library::SetupEntry;

// Values a racer might type, and the awkward ones: quotes, commas, line
// breaks, accents, blanks at either end, empty fields.
inline std::string anyValue(std::mt19937& rng) {
    static const char* const kPool[] = {"",         "4 deg", "Zürich", "say \"hi\"", "a,b",  "line\r\nbreak",
                                        "only\nlf", "Łódź",  " pad ",  "\"",         "3",    "Long",
                                        "€ 12,50",  "x\ry",  "Ça va",  "1,\"2\"\n3", "Short"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPool) - 1);
    std::string v = kPool[pick(rng)];
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) v += std::to_string(rng() % 1000);
    return v;
}

// Values that come back unchanged through a raw data file: one line, no blanks
// at either end, no enclosing quotes, at most 254 bytes.
inline std::string profileValue(std::mt19937& rng) {
    static const char* const kPool[] = {"", "4 deg", "Zürich", "a,b", "3", "Long", "Short", "Ça va", "13.5T", "-1"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPool) - 1);
    std::string v = kPool[pick(rng)];
    if (std::uniform_int_distribution<int>(0, 1)(rng) == 0)
        v += (v.empty() ? "" : " ") + std::to_string(rng() % 100000);
    return v;
}

template <typename Gen>
Setup makeValues(std::mt19937& rng, Gen gen) {
    Setup values;
    for (auto& v : values) v = gen(rng);
    return values;
}

inline SetupEntry makeEntry(std::mt19937& rng, std::string created = "2026-05-01T10:00:00+02:00") {
    SetupEntry e;
    e.created = std::move(created);
    e.setupType = "RDX";
    e.sheet = "/sheets/Driver_RDX_" + std::to_string(rng()) + ".pdf";
    e.values = makeValues(rng, anyValue);
    return e;
}

// A raw data file as the pipeline writes it.
inline std::string rawDataFile(const Setup& values) { return values.rawDataText(); }

// The import's reader of raw data files, as the program's readers read them
// (the library sits below those): ".dat", ".ini" and ".txt" files in any
// letter case, recorded as setup type "RDX".
class RawDataTestReader : public vantrel::library::SetupFileReader {
public:
    bool claims(const std::filesystem::path& file) const override {
        std::string ext = file.extension().string();
        for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
        return ext == ".dat" || ext == ".ini" || ext == ".txt";
    }
    std::optional<SetupEntry> read(const std::filesystem::path& file) const override {
        return readBytes(file, testsupport::TempProgramFolder::readFile(file));
    }
    std::optional<SetupEntry> readBytes(const std::filesystem::path&, std::string bytes) const override {
        auto setup = Setup::fromRawData(bytes);
        if (!setup) return std::nullopt;
        return SetupEntry{{}, "RDX", {}, std::move(*setup)};
    }
};

}  // namespace librarytest
