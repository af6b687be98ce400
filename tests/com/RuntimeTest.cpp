// Registration, creation by class id and program identifier, the ways
// creation fails, errors crossing the library boundary, and unloading.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "TestComponent.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Runtime.h"
#include "Components.h"
#include "TempProgramFolder.h"

namespace {

using namespace testcomponent;
using testsupport::ComponentRegistry;
using testsupport::TempProgramFolder;

std::string componentPath() {
    return std::filesystem::absolute(VANTREL_TESTCOMPONENT_LIBRARY).lexically_normal().string();
}

std::string entry(const std::string& registry, const std::string& section, const std::string& key) {
    return platform::profile::readEntry(registry, section, key, {}, 4096);
}

// The error that create<> raises, as the caller sees it.
platform::Error creationError(const com::Guid& clsid, const com::Guid& iid) {
    try {
        com::create<com::IUnknown>(clsid, iid);
    } catch (const platform::Error& e) {
        return e;
    }
    ADD_FAILURE() << "creation of " << clsid.toString() << " succeeded";
    return platform::Error(0, {}, "none");
}

// Calls the library's own DllCanUnloadNow without loading it again.
com::HRESULT canUnloadNow() {
    void* handle = dlopen(componentPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return -1;
    auto fn = reinterpret_cast<com::DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    com::HRESULT hr = fn ? fn() : -2;
    dlclose(handle);
    return hr;
}

bool componentLoaded() {
    void* handle = dlopen(componentPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

TEST(Registration, WritesTheLibrarysEntriesAndUnregisteringRemovesOnlyThose) {
    TempProgramFolder folder;
    // Another library's registration, which must survive ours coming and going.
    folder.write("bin/Registry.ini",
                 "[CLSID\\{11111111-2222-3333-4444-555555555555}]\r\nInprocServer32=/opt/Other.so\r\n"
                 "[ProgID\\Other.App]\r\nCLSID={11111111-2222-3333-4444-555555555555}\r\n");
    ComponentRegistry reg(folder, {VANTREL_TESTCOMPONENT_LIBRARY});
    const std::string file = reg.path();
    EXPECT_EQ(com::registryPath(), file);

    const std::string widget = "CLSID\\" + CLSID_CWidget.toString();
    EXPECT_EQ(entry(file, widget, "InprocServer32"), componentPath());
    EXPECT_EQ(entry(file, widget, "ThreadingModel"), "Apartment");
    EXPECT_EQ(entry(file, widget, "ProgID"), ProgIdWidget);
    EXPECT_EQ(entry(file, widget, "TypeLib"), LIBID_TestComponent.toString());
    EXPECT_EQ(entry(file, std::string("ProgID\\") + ProgIdWidget, "CLSID"), CLSID_CWidget.toString());
    EXPECT_EQ(entry(file, "Interface\\" + IID_CWidget.toString(), "Name"), "_CWidget");
    EXPECT_EQ(entry(file, "Interface\\" + IID_CWidgetList.toString(), "TypeLib"), LIBID_TestComponent.toString());
    const std::string lib = "TypeLib\\" + LIBID_TestComponent.toString();
    EXPECT_EQ(entry(file, lib, "Name"), "VantrelTestComponent");
    EXPECT_EQ(entry(file, lib, "Version"), "1.2");
    EXPECT_EQ(entry(file, lib, "Path"), componentPath());
    // A class only its library creates is not registered for creation.
    EXPECT_EQ(entry(file, "CLSID\\" + CLSID_CWidgetList.toString(), "InprocServer32"), "");

    reg.remove(VANTREL_TESTCOMPONENT_LIBRARY);
    for (const std::string& section :
         {widget, std::string("ProgID\\") + ProgIdWidget, lib, "Interface\\" + IID_CWidget.toString()}) {
        std::string text = folder.read("bin/Registry.ini");
        EXPECT_EQ(text.find(section), std::string::npos) << section << " left in\n" << text;
    }
    EXPECT_EQ(entry(file, "CLSID\\{11111111-2222-3333-4444-555555555555}", "InprocServer32"), "/opt/Other.so");
    EXPECT_EQ(entry(file, "ProgID\\Other.App", "CLSID"), "{11111111-2222-3333-4444-555555555555}");

    platform::Error e = creationError(CLSID_CWidget, IID_CWidget);
    EXPECT_EQ(e.number(), 429);
    EXPECT_EQ(e.description(),
              "ActiveX component can't create object: class " + CLSID_CWidget.toString() + " is not registered");
}

TEST(Registration, RegistryPathDefaultsToTheProgramFolder) {
    TempProgramFolder folder;
    com::setRegistryPath({});
    EXPECT_EQ(platform::paths::toNative(com::registryPath()), (folder.path() / "bin" / "Registry.ini").string());
}

TEST(Registration, ALibraryWithoutEntryPointsIsRefusedWithItsReason) {
    TempProgramFolder folder;
    com::setRegistryPath((folder.path() / "bin" / "Registry.ini").string());
    EXPECT_TRUE(com::failed(com::registerLibrary(VANTREL_NOTACOMPONENT_LIBRARY)));
    EXPECT_NE(com::lastFailureReason().find("has no DllRegisterServer"), std::string::npos) << com::lastFailureReason();
    EXPECT_TRUE(com::failed(com::registerLibrary((folder.path() / "Missing.so").string())));
    EXPECT_NE(com::lastFailureReason().find("could not be loaded"), std::string::npos) << com::lastFailureReason();
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "bin" / "Registry.ini"));
    com::setRegistryPath({});
}

TEST(Creation, ByClassIdAndByProgramIdentifier) {
    TempProgramFolder folder;
    ComponentRegistry reg(folder, {VANTREL_TESTCOMPONENT_LIBRARY});

    auto widget = com::create<ICWidget>(CLSID_CWidget, IID_CWidget);
    ASSERT_TRUE(widget);
    com::check(widget->put_Text("set through the slot"));
    std::string text;
    com::check(widget->get_Text(&text));
    EXPECT_EQ(text, "set through the slot");

    EXPECT_EQ(com::classIdOfProgId(ProgIdWidget), CLSID_CWidget);
    EXPECT_EQ(com::classIdOfProgId("VantrelTest.Nothing"), std::nullopt);
    auto late = com::createObject(ProgIdWidget);
    ASSERT_TRUE(late);
    EXPECT_EQ(com::invoke(late.get(), "Add", com::DISPATCH_METHOD, {int16_t(2), int16_t(3)}).toInt32(), 5);
    // Each creation is an object of its own.
    EXPECT_EQ(com::invoke(late.get(), "Text", com::DISPATCH_PROPERTYGET).toString(), "");

    try {
        com::createObject("VantrelTest.Nothing");
        FAIL() << "created an unregistered program identifier";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_NE(e.description().find("VantrelTest.Nothing"), std::string::npos);
    }
}

TEST(Creation, EveryWayToFailIsError429NamingTheClass) {
    const com::Guid stranger = com::Guid::of("{0D15EA5E-0000-4000-8000-00000000BEEF}");
    struct Case {
        const char* what;
        std::string library;  // registered as the class's library; empty: not registered
        com::Guid clsid;
        com::Guid iid;
        std::string reason;
    };
    TempProgramFolder folder;
    const std::string fake = folder.write("Fake.so", "this is no shared library").string();
    const Case cases[] = {
        {"not registered", "", CLSID_CWidget, IID_CWidget, "is not registered"},
        {"missing library", (folder.path() / "Missing.so").string(), CLSID_CWidget, IID_CWidget, "could not be loaded"},
        {"no shared library", fake, CLSID_CWidget, IID_CWidget, "could not be loaded"},
        {"no component", VANTREL_NOTACOMPONENT_LIBRARY, CLSID_CWidget, IID_CWidget, "has no DllGetClassObject"},
        {"class not in library", componentPath(), stranger, IID_CWidget, "is not available from library"},
        {"class not creatable", componentPath(), CLSID_CWidgetList, IID_CWidgetList, "is not available from library"},
        {"interface not supported", componentPath(), CLSID_CWidget, IID_CWidgetList,
         "does not support interface " + IID_CWidgetList.toString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempProgramFolder own;
        const std::string file = (own.path() / "bin" / "Registry.ini").string();
        com::setRegistryPath(file);
        if (!c.library.empty())
            platform::profile::writeEntry(file, "CLSID\\" + c.clsid.toString(), "InprocServer32", c.library);

        void* raw = reinterpret_cast<void*>(1);
        EXPECT_TRUE(com::failed(com::createInstance(c.clsid, c.iid, &raw)));
        EXPECT_EQ(raw, nullptr);

        platform::Error e = creationError(c.clsid, c.iid);
        EXPECT_EQ(e.number(), 429);
        const std::string start = "ActiveX component can't create object: class " + c.clsid.toString() + " ";
        EXPECT_EQ(e.description().substr(0, start.size()), start) << e.description();
        EXPECT_NE(e.description().find(c.reason), std::string::npos) << e.description();
        com::setRegistryPath({});
    }
    com::freeUnusedLibraries();
}

TEST(Errors, AComponentsErrorReachesTheCallerIntactThroughSlotAndDispatch) {
    struct Case {
        int32_t number;
        std::string source, description, expectedDescription;
    };
    const Case cases[] = {
        {1234, "CWidget::Fail-", "went wrong", "went wrong"},
        {5, "", "", "Invalid procedure call or argument"},
        {-2147220991, "Object", "object-defined", "object-defined"},  // 0x80040201
        {70000, "Big", "beyond sixteen bits", "beyond sixteen bits"},
    };
    TempProgramFolder folder;
    ComponentRegistry reg(folder, {VANTREL_TESTCOMPONENT_LIBRARY});
    auto widget = com::create<ICWidget>(CLSID_CWidget, IID_CWidget);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        for (bool late : {false, true}) {
            try {
                if (late) com::invoke(widget.get(), "fail", com::DISPATCH_METHOD, {c.number, c.source, c.description});
                else com::check(widget->Fail(c.number, c.source, c.description));
                ADD_FAILURE() << "no error";
            } catch (const platform::Error& e) {
                EXPECT_EQ(e.number(), c.number);
                EXPECT_EQ(e.source(), c.source);
                EXPECT_EQ(e.description(), c.expectedDescription);
            }
        }
    }
}

TEST(Lifetime, TheLibraryStaysWhileAnObjectLivesAndUnloadsAfter) {
    TempProgramFolder folder;
    ComponentRegistry reg(folder, {VANTREL_TESTCOMPONENT_LIBRARY});
    {
        auto widget = com::create<ICWidget>(CLSID_CWidget, IID_CWidget);
        com::ComPtr<com::IDispatch> list;
        com::check(widget->MakeList(2, list.put()));
        EXPECT_EQ(canUnloadNow(), com::S_FALSE);
        widget.reset();
        EXPECT_EQ(canUnloadNow(), com::S_FALSE) << "the list still lives";

        com::freeUnusedLibraries();
        ASSERT_TRUE(componentLoaded());
        EXPECT_EQ(com::invoke(list.get(), com::DISPID_VALUE, com::DISPATCH_PROPERTYGET, {2}).toString(), "item2");
    }
    EXPECT_EQ(canUnloadNow(), com::S_OK);
    com::freeUnusedLibraries();
    EXPECT_FALSE(componentLoaded());

    // Loaded again on demand.
    auto again = com::create<ICWidget>(CLSID_CWidget, IID_CWidget);
    EXPECT_TRUE(again);
}

}  // namespace
