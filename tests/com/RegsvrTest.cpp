// The registration tool as the build runs it.

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "TempProgramFolder.h"
#include "TestComponent.h"
#include "platform/Profile.h"

namespace {

struct ToolRun {
    int exitCode;
    std::string output;
};

ToolRun regsvr(const std::string& arguments) {
    const std::string command = std::string("'") + VANTREL_REGSVR_PROGRAM + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe)) output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(Regsvr, RegistersUnregistersAndReportsFailures) {
    testsupport::TempProgramFolder folder;
    const std::string registry = (folder.path() / "reg" / "Registry.ini").string();
    const std::string clsidSection = "CLSID\\" + testcomponent::CLSID_CWidget.toString();
    const std::string args = "--registry '" + registry + "' ";

    ToolRun run = regsvr(args + VANTREL_TESTCOMPONENT_LIBRARY);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Registered"), std::string::npos) << run.output;
    EXPECT_NE(platform::profile::readEntry(registry, clsidSection, "InprocServer32", {}, 4096), "");

    // One library that fails spoils the exit status, not the others' work.
    run = regsvr("/u /s " + args + "'" + VANTREL_NOTACOMPONENT_LIBRARY + "' " + VANTREL_TESTCOMPONENT_LIBRARY);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("has no DllUnregisterServer"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Unregistered"), std::string::npos) << "silent on success";
    EXPECT_EQ(platform::profile::readEntry(registry, clsidSection, "InprocServer32"), "");

    EXPECT_EQ(regsvr(args).exitCode, 1);
    EXPECT_EQ(regsvr("--bogus x.so").exitCode, 1);
}

}  // namespace
