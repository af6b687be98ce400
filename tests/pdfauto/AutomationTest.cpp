// The automation objects through the component runtime, as the program and
// the form handler reach them: by program identifier, dispatch number and
// the forms interfaces.
#include "FormPdfBuilder.h"
#include "FormReader.h"
#include "pdfauto/Viewer.h"
#include "pdfauto/Acrobat.h"

#include "Components.h"
#include "EnvOverride.h"
#include "TempProgramFolder.h"
#include "platform/Error.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"

#include <gtest/gtest.h>

#include <qpdf/QPDFWriter.hh>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace pdfautotest;
using com::ComPtr;
using com::Variant;
using pdfauto::IAFormApp;
using pdfauto::IField;
using pdfauto::IFields;

constexpr uint16_t Method = com::DISPATCH_METHOD;

using testsupport::EnvOverride;

class AutomationTest : public ::testing::Test {
protected:
    std::string make(const std::string& file, const FormSpec& layout) {
        const std::string path = (folder.path() / file).string();
        writeForm(path, layout);
        return path;
    }
    static ComPtr<com::IDispatch> createView() { return com::createObject(pdfauto::ProgIdAVDoc); }
    static bool open(const ComPtr<com::IDispatch>& view, const std::string& path) {
        return com::invoke(view.get(), pdfauto::avdoc::Open, Method, {path, "AdobeFormHandler"}).toInt32() != 0;
    }
    static ComPtr<IFields> frontFields() {
        auto app = com::createObject(pdfauto::ProgIdFormApp).as<IAFormApp>(pdfauto::IID_IAFormApp);
        EXPECT_TRUE(app);
        ComPtr<com::IDispatch> fields;
        com::check(app->get_Fields(fields.put()));
        return fields.as<IFields>(pdfauto::IID_IFields);
    }
    static ComPtr<IField> item(const ComPtr<IFields>& fields, const std::string& name) {
        ComPtr<IField> field;
        com::check(fields->get_Item(name, field.put()));
        return field;
    }
    static void closeView(const ComPtr<com::IDispatch>& view) {
        com::invoke(view.get(), pdfauto::avdoc::Close, Method, {int32_t{0}});
    }

    testsupport::TempProgramFolder folder;
    testsupport::ComponentRegistry registry{folder, {VANTREL_PDFAUTOMATION_LIBRARY}};
};

TEST_F(AutomationTest, FillsAndSavesAFormTheWayTheHandlerDoes) {
    const std::string path = make("sheet.pdf", FormSpec{.fields = {{.name = "fldA"}, {.name = "fldB"}}});
    std::string systemPath = path;  // the system writes its paths with backslashes
    std::replace(systemPath.begin(), systemPath.end(), '/', '\\');
    {
        auto view = createView();
        ASSERT_TRUE(open(view, systemPath));
        auto fields = frontFields();
        ComPtr<IField> a = item(fields, "fldA");
        com::check(a->put_Value("Grüße"));
        std::string name, value;
        com::check(a->get_Name(&name));
        com::check(a->get_Value(&value));
        EXPECT_EQ(name, "fldA");
        EXPECT_EQ(value, "Grüße");

        ComPtr<IField> missing;
        const com::HRESULT hr = fields->get_Item("fldNoSuchField", missing.put());
        EXPECT_TRUE(com::failed(hr));
        auto error = com::takeErrorInfo();
        ASSERT_TRUE(error);
        EXPECT_NE(error->description.find("fldNoSuchField"), std::string::npos);

        // Late-bound too: the default member is the look-up, Value a property.
        auto b = com::invoke(fields.get(), com::DISPID_VALUE, com::DISPATCH_PROPERTYGET, {"fldB"}).toDispatch();
        com::invoke(b.get(), "Value", com::DISPATCH_PROPERTYPUT, {"late"});

        auto document = com::invoke(view.get(), pdfauto::avdoc::GetPDDoc, Method).toDispatch();
        ASSERT_TRUE(document.as<com::IUnknown>(pdfauto::IID_CAcroPDDoc));
        EXPECT_TRUE(com::invoke(document.get(), pdfauto::pddoc::Save, Method, {int16_t{1}, systemPath}).toBool());
        closeView(view);
        EXPECT_FALSE(com::invoke(view.get(), pdfauto::avdoc::IsValid, Method).toBool());
    }
    FormReader reader(path);
    EXPECT_EQ(reader.value("fldA"), "Grüße");
    EXPECT_EQ(reader.value("fldB"), "late");
}

TEST_F(AutomationTest, OpenAnswersFalseForWhatCannotBeLoaded) {
    const std::string locked = (folder.path() / "locked.pdf").string();
    {
        QPDF pdf;
        buildForm(pdf, FormSpec{});
        QPDFWriter w(pdf, locked.c_str());
        w.setR6EncryptionParameters("user", "owner", true, true, true, true, true, true, qpdf_r3p_full, true);
        w.write();
    }
    const std::string text = folder.write("text.pdf", "plain text").string();
    for (const std::string& path : {(folder.path() / "missing.pdf").string(), text, locked, std::string()}) {
        SCOPED_TRACE(path);
        auto view = createView();
        EXPECT_FALSE(open(view, path));
        EXPECT_FALSE(com::invoke(view.get(), pdfauto::avdoc::IsValid, Method).toBool());
        EXPECT_THROW(com::invoke(view.get(), pdfauto::avdoc::GetPDDoc, Method), platform::Error);
    }
}

TEST_F(AutomationTest, TheDocumentInFrontIsTheLastOneOpenedUntilClosed) {
    const std::string first = make("first.pdf", FormSpec{.fields = {{.name = "fldFirst"}}});
    const std::string second = make("second.pdf", FormSpec{.fields = {{.name = "fldSecond"}, {.name = "fldMore"}}});
    auto viewA = createView();
    auto viewB = createView();
    ASSERT_TRUE(open(viewA, first));
    EXPECT_EQ(com::invoke(frontFields().get(), "Count", com::DISPATCH_PROPERTYGET).toInt32(), 1);
    ASSERT_TRUE(open(viewB, second));
    EXPECT_EQ(com::invoke(frontFields().get(), "Count", com::DISPATCH_PROPERTYGET).toInt32(), 2);

    closeView(viewA);  // not the one in front
    EXPECT_EQ(com::invoke(frontFields().get(), "Count", com::DISPATCH_PROPERTYGET).toInt32(), 2);
    closeView(viewB);
    auto app = com::createObject(pdfauto::ProgIdFormApp).as<IAFormApp>(pdfauto::IID_IAFormApp);
    ComPtr<com::IDispatch> fields;
    EXPECT_TRUE(com::failed(app->get_Fields(fields.put()))) << "nothing in front";
    com::takeErrorInfo();
}

TEST_F(AutomationTest, ViewsOfOneFileShareItsDocumentUntilTheFileIsReplaced) {
    const std::string path = make("sheet.pdf", FormSpec{.pages = 2, .fields = {{.name = "fldA"}}});
    auto outer = createView();
    ASSERT_TRUE(open(outer, path));
    {
        // A second view of the same file adds a field and saves it, as page numbering does per page.
        auto inner = createView();
        ASSERT_TRUE(open(inner, path));
        ComPtr<IField> added;
        com::check(frontFields()->Add("fldPageNumber1", "text", 0, 10.0f, 30.0f, 100.0f, 10.0f, added.put()));
        com::check(added->put_Value("Page 1 of 2"));
        auto document = com::invoke(inner.get(), pdfauto::avdoc::GetPDDoc, Method).toDispatch();
        com::invoke(document.get(), pdfauto::pddoc::Save, Method, {int16_t{1}, path});
        closeView(inner);
    }
    EXPECT_EQ(com::invoke(frontFields().get(), "Count", com::DISPATCH_PROPERTYGET).toInt32(), 2)
        << "the outer view still has the document in front";
    auto document = com::invoke(outer.get(), pdfauto::avdoc::GetPDDoc, Method).toDispatch();
    com::invoke(document.get(), pdfauto::pddoc::Save, Method, {int16_t{1}, path});
    EXPECT_EQ(FormReader(path).value("fldPageNumber1"), "Page 1 of 2") << "the outer save keeps the added field";

    writeForm(path, FormSpec{.fields = {{.name = "fldOther"}}});  // someone replaces the file
    auto fresh = createView();
    ASSERT_TRUE(open(fresh, path));
    auto fields = frontFields();
    EXPECT_EQ(com::invoke(fields.get(), "Count", com::DISPATCH_PROPERTYGET).toInt32(), 1);
    EXPECT_TRUE(item(fields, "fldOther"));
}

TEST_F(AutomationTest, EnumerationFollowsDocumentOrder) {
    const std::string path = make(
        "tree.pdf", FormSpec{.fields = {{.name = "fldZ"}, {.name = "grp.b"}, {.name = "grp.a"}, {.name = "fldA"}}});
    auto view = createView();
    ASSERT_TRUE(open(view, path));
    auto fields = frontFields();
    int32_t count = 0;
    com::check(fields->get_Count(&count));
    EXPECT_EQ(count, 4);
    std::vector<std::string> names;
    for (const auto& v : com::collectItems(fields.get())) {
        auto field = v.toDispatch().as<IField>(pdfauto::IID_IField);
        ASSERT_TRUE(field);
        std::string name;
        com::check(field->get_Name(&name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"fldZ", "grp.b", "grp.a", "fldA"}));
}

TEST_F(AutomationTest, AddedFieldTakesFontSizeAndMark) {
    const std::string path = make("sheet.pdf", FormSpec{.pages = 2});
    {
        auto view = createView();
        ASSERT_TRUE(open(view, path));
        auto fields = frontFields();
        ComPtr<IField> added;
        com::check(fields->Add("fldHole3", "text", 1, 100.0f, 220.0f, 112.0f, 208.0f, added.put()));
        com::check(added->put_TextFont("ZapfDingbats"));
        com::check(added->put_TextSize(0));
        com::check(added->put_Value("l"));
        std::string font, type;
        int16_t size = -1;
        com::check(added->get_TextFont(&font));
        com::check(added->get_TextSize(&size));
        com::check(added->get_Type(&type));
        EXPECT_EQ(font, "ZapfDingbats");
        EXPECT_EQ(size, 0);
        EXPECT_EQ(type, "text");

        ComPtr<IField> refused;
        EXPECT_TRUE(com::failed(fields->Add("fldBox", "checkbox", 0, 0, 10, 10, 0, refused.put())));
        EXPECT_TRUE(com::failed(fields->Add("fldFar", "text", 7, 0, 10, 10, 0, refused.put())));
        EXPECT_TRUE(com::failed(fields->Add("fldHole3", "text", 0, 0, 10, 10, 0, refused.put())));
        com::takeErrorInfo();

        auto document = com::invoke(view.get(), pdfauto::avdoc::GetPDDoc, Method).toDispatch();
        EXPECT_EQ(com::invoke(document.get(), pdfauto::pddoc::GetNumPages, Method).toInt32(), 2);
        auto page = com::invoke(document.get(), pdfauto::pddoc::AcquirePage, Method, {int32_t{1}}).toDispatch();
        EXPECT_TRUE(page.as<com::IUnknown>(pdfauto::IID_CAcroPDPage));
        EXPECT_THROW(com::invoke(document.get(), pdfauto::pddoc::AcquirePage, Method, {int32_t{2}}), platform::Error);
        com::invoke(document.get(), pdfauto::pddoc::Save, Method, {int16_t{1}, path});
        closeView(view);
    }
    FormReader reader(path);
    EXPECT_EQ(reader.value("fldHole3"), "l");
    const std::string ap = reader.appearance("fldHole3");
    EXPECT_NE(ap.find("/ZaDb "), std::string::npos) << ap;
    EXPECT_NE(ap.find("(l) Tj"), std::string::npos) << ap;
    EXPECT_TRUE(QPDFObjectHandle(reader.pdf().getAllPages()[1])
                    .getKey("/Annots")
                    .getArrayItem(0)
                    .isSameObjectAs(reader.widget("fldHole3")));
}

TEST_F(AutomationTest, AFailedSaveReachesTheCallerAsAnError) {
    const std::string path = make("sheet.pdf", FormSpec{.fields = {{.name = "fldA"}}});
    folder.write("blocker", "");
    auto view = createView();
    ASSERT_TRUE(open(view, path));
    item(frontFields(), "fldA")->put_Value("x");
    auto document = com::invoke(view.get(), pdfauto::avdoc::GetPDDoc, Method).toDispatch();
    const std::string target = (folder.path() / "blocker" / "sheet.pdf").string();
    try {
        com::invoke(document.get(), pdfauto::pddoc::Save, Method, {int16_t{1}, target});
        ADD_FAILURE() << "saved";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::ErrPathAccess);
        EXPECT_EQ(e.description().rfind("Cannot save " + target, 0), 0u);
    }
}

// A stand-in for the desktop's xdg-open: waits until the test lets it go
// (so a caller that waited for it would hang), then records its arguments.
std::string writeFakeViewer(const testsupport::TempProgramFolder& folder) {
    const auto script = folder.write("fakebin/xdg-open",
                                     "#!/bin/sh\n"
                                     "n=0\n"
                                     "while [ ! -f \"" +
                                         (folder.path() / "go").string() +
                                         "\" ] && [ $n -lt 200 ]; do\n"
                                         "  sleep 0.05; n=$((n+1))\n"
                                         "done\n"
                                         "echo \"$@\" >> \"" +
                                         (folder.path() / "viewer.log").string() + "\"\n");
    ::chmod(script.c_str(), 0755);
    return script.parent_path().string();
}

std::string waitForFile(const fs::path& p) {
    for (int k = 0; k < 200 && !fs::exists(p); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let a second, wrong launch show up too
    return testsupport::TempProgramFolder::readFile(p);
}

TEST_F(AutomationTest, TheApplicationShowsTheSheetOnceWithoutWaitingForTheViewer) {
    const std::string fakeBin = writeFakeViewer(folder);
    EnvOverride path("PATH", (fakeBin + ":/usr/bin:/bin").c_str());
    EnvOverride display("DISPLAY", ":77");

    const std::string sheet = make("sheet.pdf", FormSpec{});
    auto app = com::createObject(pdfauto::ProgIdApp);
    auto view = createView();
    ASSERT_TRUE(open(view, sheet));
    for (com::DISPID d : {pdfauto::app::Show24, pdfauto::app::Show25, pdfauto::app::Show21})
        com::invoke(app.get(), d, Method, {int32_t{1}});
    EXPECT_FALSE(fs::exists(folder.path() / "viewer.log")) << "the viewer is still waiting, and so did nobody else";
    folder.write("go", "");
    EXPECT_EQ(waitForFile(folder.path() / "viewer.log"), sheet + "\n");

    // Calls the stand-in has no use for are answered harmlessly.
    EXPECT_NO_THROW(com::invoke(app.get(), 31, Method, {int32_t{0}}));
}

TEST(ViewerLauncherTest, NothingStartsWithoutADisplayOrAViewer) {
    testsupport::TempProgramFolder folder;
    const std::string fakeBin = writeFakeViewer(folder);
    folder.write("go", "");
    {
        EnvOverride path("PATH", (fakeBin + ":/usr/bin:/bin").c_str());
        EnvOverride display("DISPLAY", nullptr);
        EnvOverride wayland("WAYLAND_DISPLAY", "");
        EXPECT_FALSE(pdfauto::showInViewer("/tmp/sheet.pdf"));
    }
    {
        EnvOverride path("PATH", (folder.path() / "bin").c_str());
        EnvOverride display("DISPLAY", ":77");
        EXPECT_EQ(pdfauto::findViewerLauncher(), "");
        EXPECT_FALSE(pdfauto::showInViewer("/tmp/sheet.pdf"));
    }
    {
        EnvOverride path("PATH", (fakeBin + ":/usr/bin:/bin").c_str());
        EnvOverride display("DISPLAY", nullptr);
        EnvOverride wayland("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_EQ(pdfauto::findViewerLauncher(), fakeBin + "/xdg-open");
        EXPECT_TRUE(pdfauto::showInViewer("/tmp/with blank.pdf"));
        EXPECT_EQ(waitForFile(folder.path() / "viewer.log"), "/tmp/with blank.pdf\n");
    }
}

// xdg-open reads a name beginning with '-' as an option: the launcher gets
// every name as a full path, a relative one from the current folder.
TEST(ViewerLauncherTest, ANameReachesTheLauncherAsAFullPathNeverAsAnOption) {
    testsupport::TempProgramFolder folder;
    const std::string fakeBin = writeFakeViewer(folder);
    folder.write("go", "");
    EnvOverride path("PATH", (fakeBin + ":/usr/bin:/bin").c_str());
    EnvOverride display("DISPLAY", ":77");
    const fs::path startedIn = fs::current_path();
    fs::current_path(folder.path());
    const std::string shown = pdfauto::launchViewer("--help.pdf");
    fs::current_path(startedIn);
    EXPECT_EQ(shown, "");
    EXPECT_EQ(waitForFile(folder.path() / "viewer.log"), (fs::canonical(folder.path()) / "--help.pdf").string() + "\n");
}

TEST(ViewerLauncherTest, ALauncherThatEndsInFailureIsReportedOneThatStaysWithItsViewerIsNot) {
    const struct {
        const char* launcher;  // the stand-in xdg-open's body
        const char* failure;   // what the report holds, "" for shown
    } cases[] = {
        {"exit 0", ""},
        {"exit 3", "no method available"},
        {"exit 4", "action failed"},
        {"exit 9", "status 9"},
        {"kill -9 $$", "ended abnormally"},
        {"exec sleep 3", ""},  // the viewer itself, open for a while
    };
    for (const auto& c : cases) {
        testsupport::TempProgramFolder folder;
        const auto script = folder.write("fakebin/xdg-open", std::string("#!/bin/sh\n") + c.launcher + "\n");
        ::chmod(script.c_str(), 0755);
        EnvOverride path("PATH", (script.parent_path().string() + ":/usr/bin:/bin").c_str());
        EnvOverride display("DISPLAY", ":77");
        const std::string report = pdfauto::launchViewer("/tmp/sheet.pdf");
        if (*c.failure == 0) EXPECT_EQ(report, "") << c.launcher;
        else EXPECT_NE(report.find(c.failure), std::string::npos) << c.launcher << ": " << report;
        EXPECT_EQ(pdfauto::showInViewer("/tmp/sheet.pdf"), *c.failure == 0) << c.launcher;
    }
}

}  // namespace
