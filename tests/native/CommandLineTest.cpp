#include "base/CommandLine.h"

#include <gtest/gtest.h>

using namespace nelvo;

namespace {
constexpr unsigned kSetup = kSwitchSilent | kSwitchFolder | kSwitchLog | kSwitchForceRestart | kSwitchNoRestart;
constexpr unsigned kUninstall = kSwitchSilent | kSwitchLog;
} // namespace

TEST(CommandLine, ReadsSwitchesTheWayDeploymentToolsWriteThem) {
    EXPECT_EQ(argumentsOf(u"\"C:\\My Downloads\\setup.exe\" /S"), u" /S");
    EXPECT_EQ(argumentsOf(u"setup.exe"), u"");
    EXPECT_EQ(argumentsOf(u"C:\\x\\setup.exe\t/s"), u"\t/s");

    ParsedRunOptions p = parseRunOptions(u"", kSetup);
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.options.silent);
    EXPECT_FALSE(p.options.folderGiven);
    EXPECT_TRUE(p.options.logPath.empty());

    // Case-insensitive, quotes around a value or the whole switch, /D= last
    // with its spaces and without quotes.
    p = parseRunOptions(u" /s \"/LOG=C:\\my logs\\a.log\"  /forcerestart /D=C:\\Program Files (x86)\\My Nelvo  ", kSetup);
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.options.silent);
    EXPECT_TRUE(p.options.forceRestart);
    EXPECT_EQ(p.options.logPath, u"C:\\my logs\\a.log");
    EXPECT_TRUE(p.options.folderGiven);
    EXPECT_EQ(p.options.folder, u"C:\\Program Files (x86)\\My Nelvo");

    p = parseRunOptions(u"/Log=\"D:\\x y.txt\" /NORESTART /d=\"E:\\Q\"", kSetup);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.logPath, u"D:\\x y.txt");
    EXPECT_FALSE(p.options.forceRestart);
    EXPECT_EQ(p.options.folder, u"E:\\Q");
}

TEST(CommandLine, RefusesWhatItDoesNotUnderstand) {
    struct Case {
        const char16_t* line;
        unsigned accepted;
        const char16_t* refused;
    } cases[] = {
        {u"/S /SILENT", kSetup, u"/SILENT"},
        {u"/S /D=", kSetup, u"/D="},
        {u"/LOG=", kSetup, u"/LOG="},
        {u"/LOG=\"C:\\open", kSetup, u"/LOG=\"C:\\open"},
        {u"setup.exe", kSetup, u"setup.exe"},
        {u"/S/D=C:\\x", kSetup, u"/S/D=C:\\x"},
        {u"/S /D=C:\\x", kUninstall, u"/D=C:\\x"},
        {u"/FORCERESTART", kUninstall, u"/FORCERESTART"},
        {u"/Sx", kSetup, u"/Sx"},
    };
    for (const Case& c : cases) {
        const ParsedRunOptions p = parseRunOptions(c.line, c.accepted);
        EXPECT_FALSE(p.ok) << std::string(c.line, c.line + std::char_traits<char16_t>::length(c.line));
        EXPECT_EQ(p.refused, c.refused);
    }
}
