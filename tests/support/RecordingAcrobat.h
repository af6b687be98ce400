#pragma once
// A recording stand-in for the PDF automation objects, for tests that need to
// see exactly which calls the program or Quorrel makes.
//
// The library RecordingAcrobat.so (path: VANTREL_RECORDINGACROBAT_LIBRARY; link the
// CMake target recording_acrobat_support) registers itself under the program
// identifiers "AcroExch.App", "AcroExch.AVDoc" and "AFormAut.App" and the
// interface ids of pdfauto/Acrobat.h. It keeps its files in the folder of the
// process's component registry (com::registryPath()), so each test's
// temporary program folder has its own:
//
//   RecordingAcrobat.log     one line per call, appended as it happens:
//       new AcroExch.App / new AcroExch.AVDoc / new AFormAut.App   (creation)
//       delete AcroExch.App / ...                                   (last release)
//       App.Show24(1)  App.Show25(1)  App.Show21(1)   (other numbers: App.<n>(<arguments>))
//       AVDoc.Open(<path>, <title>)  AVDoc.GetPDDoc()  AVDoc.Close(0)  AVDoc.IsValid()
//       PDDoc.GetNumPages()  PDDoc.AcquirePage(<i>)  PDDoc.Save(1, <path>)
//       FormApp.Fields  Fields.Item(<name>)  Fields.Count  Fields.NewEnum
//       Fields.Add(<name>, text, <page>, <left>, <top>, <right>, <bottom>)
//       Field[<name>].Value=<value>   Field[<name>].Value   Field[<name>].Name
//       Field[<name>].TextFont=<font>   Field[<name>].TextSize=<size>
//     The late-bound members take the types Acrobat declares (Open: two
//     strings; Close: 32-bit; Save: 16-bit flags and a string; App calls:
//     32-bit). Other types fail with Type mismatch and the line ends " !type".
//   RecordingAcrobat.fields  optional: the form's fields, one per line, "name"
//     or "name=value"; a leading "!" makes a field refuse every value (the
//     line then ends " !refused"). Without the file every name asked for exists.
//   RecordingAcrobat.cfg     optional, "key=value" lines: open=false makes every
//     open answer false, open=true,false answers successive opens in turn (the
//     last answer holds for the rest); pages=<n> sets the page count (default 1).
//
// Open answers true only for an existing file whose path does not contain
// "fail-open". IsValid answers true while the view holds an open document.
// Nothing is ever written to a PDF.
//
//   testsupport::TempProgramFolder folder;
//   testsupport::ComponentRegistry registry(folder, {});
//   testsupport::RecordingAcrobat acrobat(registry);
//   ... run the code ...
//   EXPECT_EQ(acrobat.calls(), (std::vector<std::string>{...}));

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "Components.h"
#include "platform/Paths.h"
#include "platform/com/Runtime.h"

namespace testsupport {

class RecordingAcrobat {
public:
    explicit RecordingAcrobat(ComponentRegistry& registry) { registry.add(VANTREL_RECORDINGACROBAT_LIBRARY); }

    // The folder of the registry, where the log and the settings live.
    static std::filesystem::path folder() {
        return std::filesystem::path(platform::paths::toNative(com::registryPath())).parent_path();
    }
    static std::filesystem::path logFile() { return folder() / "RecordingAcrobat.log"; }

    // Every recorded line, in order; empty when nothing was called.
    std::vector<std::string> calls() const {
        std::vector<std::string> lines;
        std::ifstream in(logFile(), std::ios::binary);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The recorded lines without creations and releases ("new ...", "delete ...").
    std::vector<std::string> memberCalls() const {
        std::vector<std::string> lines;
        for (auto& line : calls())
            if (line.rfind("new ", 0) != 0 && line.rfind("delete ", 0) != 0) lines.push_back(line);
        return lines;
    }
    void clear() const {
        std::error_code ec;
        std::filesystem::remove(logFile(), ec);
    }

    void setFields(std::initializer_list<std::string> lines) const { setFields(std::vector<std::string>(lines)); }
    void setFields(const std::vector<std::string>& lines) const {
        std::ofstream out(folder() / "RecordingAcrobat.fields", std::ios::binary | std::ios::trunc);
        for (const auto& line : lines) out << line << '\n';
    }
    void setOpenResult(bool opens) const { setConfig("open", opens ? "true" : "false"); }
    // The answers of successive opens, in turn; the last holds for the rest.
    void setOpenResults(std::initializer_list<bool> answers) const {
        std::string value;
        for (bool a : answers) value += std::string(value.empty() ? "" : ",") + (a ? "true" : "false");
        setConfig("open", value);
    }
    void setPageCount(int pages) const { setConfig("pages", std::to_string(pages)); }

private:
    void setConfig(const std::string& key, const std::string& value) const {
        const auto file = folder() / "RecordingAcrobat.cfg";
        std::vector<std::string> kept;
        {
            std::ifstream in(file, std::ios::binary);
            for (std::string line; std::getline(in, line);)
                if (line.rfind(key + "=", 0) != 0) kept.push_back(line);
        }
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        for (const auto& line : kept) out << line << '\n';
        out << key << '=' << value << '\n';
    }
};

}  // namespace testsupport
