#pragma once
// The one open of a file from outside, as every system answers it: the cases
// both systems share (a file, a name in UTF-8, at and past its bound, a
// sparse file, a folder, nothing there) and the check of each. Each system's
// test adds its own (pipes, devices, links).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace userfiles {

namespace fs = std::filesystem;
using platform::files::Links;
using platform::files::OpenStatus;

// Paths from UTF-8 and back, whatever the code page.
inline fs::path pathOf(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }
inline std::string textOf(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

struct Case {
    const char* name;
    std::function<std::string()> make;  // makes the file, gives its path
    Links links;
    OpenStatus status;
    std::string reason;  // a part of it
    std::string bytes;
};

// Writes a file in the folder and gives its path.
inline std::string file(const fs::path& dir, const std::string& name, const std::string& bytes) {
    std::ofstream(dir / pathOf(name), std::ios::binary) << bytes;
    return textOf(dir / pathOf(name));
}

// The cases of both systems, read with a bound of 64 bytes.
inline std::vector<Case> sharedCases(const fs::path& dir) {
    return {
        {"a file", [=] { return file(dir, "a.pdf", "%PDF-1.7"); }, Links::Refused, OpenStatus::Opened, "", "%PDF-1.7"},
        {"a name in UTF-8", [=] { return file(dir, "Zo\u00eb \u00c5ngstr\u00f6m.pdf", "%PDF"); }, Links::Refused,
         OpenStatus::Opened, "", "%PDF"},
        {"a file at its bound", [=] { return file(dir, "b.pdf", std::string(64, 'x')); }, Links::Followed,
         OpenStatus::Opened, "", std::string(64, 'x')},
        {"a file past its bound", [=] { return file(dir, "c.pdf", std::string(65, 'x')); }, Links::Followed,
         OpenStatus::Refused, "it is larger than 64 bytes (65 bytes)", ""},
        {"a sparse file of 5 GB",
         [=] {
             const std::string p = file(dir, "d.pdf", "%PDF");
             fs::resize_file(pathOf(p), 5'000'000'000);
             return p;
         },
         Links::Refused, OpenStatus::Refused, "it is larger than 64 bytes", ""},
        {"a folder",
         [=] {
             fs::create_directory(dir / "f.pdf");
             return textOf(dir / "f.pdf");
         },
         Links::Refused, OpenStatus::Refused, "it is a folder", ""},
        {"nothing there", [=] { return textOf(dir / "none.pdf"); }, Links::Refused, OpenStatus::Missing, "", ""},
        {"no such folder", [=] { return textOf(dir / "gone" / "none.pdf"); }, Links::Refused, OpenStatus::Missing, "",
         ""},
    };
}

// Each case read once: its status, its reason, its bytes or none, no handle left.
inline void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = "left over";
        const auto read = platform::files::readUserFile(c.make(), bytes, 64, c.links);
        EXPECT_EQ(read.status, c.status);
        EXPECT_NE(read.reason.find(c.reason), std::string::npos) << read.reason;
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_EQ(read.fd, -1);
        if (read.status == OpenStatus::Opened) {
            EXPECT_EQ(read.size, std::int64_t(c.bytes.size()));
        }
    }
}

}  // namespace userfiles
