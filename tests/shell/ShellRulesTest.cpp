// Command-line recognition, the stopper's repeat rule and the dump file name.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>

#include "CrashDump.h"
#include "StartOption.h"
#include "StopperRepeatRule.h"

namespace kestrel {
namespace {

TEST(StartOption, OptionsAreMatchedWholeInAnyCase) {
    EXPECT_EQ(ParseStartOption(L"-hide"), StartOption::Hide);
    EXPECT_EQ(ParseStartOption(L"-HIDE"), StartOption::Hide);
    EXPECT_EQ(ParseStartOption(L"-hIdE"), StartOption::Hide);
    EXPECT_EQ(ParseStartOption(L"-exitall"), StartOption::ExitAll);
    EXPECT_EQ(ParseStartOption(L"-ExitAll"), StartOption::ExitAll);
}

TEST(StartOption, AnythingMoreOrLessIsNoOption) {
    for (const wchar_t* text : {L"-hide ", L" -hide", L"-hide -exitall", L"-hid", L"hide", L"/hide",
                                L"-exitall ", L"-exitallx", L"\"-hide\"", L""}) {
        EXPECT_EQ(ParseStartOption(text), StartOption::None) << std::wstring(text).size();
    }
    EXPECT_EQ(ParseStartOption(nullptr), StartOption::None);
}

TEST(StopperRepeatRule, GivesUpOnTheSameWindowAfterTwentyOneRequests) {
    StopperRepeatRule rule;
    int a = 0;
    int requests = 0;
    while (!rule.GiveUp(&a)) ++requests;
    EXPECT_EQ(requests, 21);
}

TEST(StopperRepeatRule, EachDifferentWindowRestartsTheCount) {
    StopperRepeatRule rule;
    int a = 0, b = 0;
    for (int i = 0; i < 15; ++i) ASSERT_FALSE(rule.GiveUp(&a));
    int requests = 0;
    while (!rule.GiveUp(&b)) ++requests;
    EXPECT_EQ(requests, 21) << "the new window gets its own 21 requests";

    StopperRepeatRule alternating;
    for (int i = 0; i < 100; ++i) ASSERT_FALSE(alternating.GiveUp(i % 2 ? &a : &b));
}

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::wstring CrashDumpPath(const wchar_t* tempFolder, const std::tm& localTime) {
    wchar_t path[kDumpPathChars];
    FormatDumpPath(path, tempFolder, localTime);
    return path;
}

TEST(CrashDumpPath, NamesTheDumpAfterProgramAndLocalTime) {
    EXPECT_EQ(CrashDumpPath(L"C:\\Temp", LocalTime(2013, 11, 5, 9, 30, 7)),
              L"C:\\Temp\\KestrelCpl_20131105093007.dmp");
    EXPECT_EQ(CrashDumpPath(L"D:\\t", LocalTime(2024, 1, 2, 0, 0, 0)),
              L"D:\\t\\KestrelCpl_20240102000000.dmp");
    EXPECT_EQ(CrashDumpPath(L"%TEMP%", LocalTime(1999, 12, 31, 23, 59, 59)),
              L"%TEMP%\\KestrelCpl_19991231235959.dmp");
}

TEST(CrashDumpPath, IsCutToTheSystemPathLimit) {
    const std::wstring folder = L"C:\\" + std::wstring(250, L'f');
    const std::wstring path = CrashDumpPath(folder.c_str(), LocalTime(2013, 11, 5, 9, 30, 7));
    ASSERT_EQ(path.size(), kDumpPathChars - 1);
    EXPECT_EQ(path, (folder + L"\\KestrelCpl_20131105093007.dmp").substr(0, kDumpPathChars - 1));
}

// A folder that does not fit leaves no usable path, so no dump is attempted.
TEST(CrashDumpPath, TempFolderMustFitItsBuffer) {
    wchar_t saved[MAX_PATH] = {};
    const bool hadTemp = ::GetEnvironmentVariableW(L"TEMP", saved, MAX_PATH) != 0;
    wchar_t folder[MAX_PATH];

    ASSERT_TRUE(::SetEnvironmentVariableW(L"TEMP", L"C:\\Dumps"));
    ASSERT_TRUE(ExpandTempFolder(folder));
    EXPECT_STREQ(folder, L"C:\\Dumps");

    const std::wstring longest = L"C:\\" + std::wstring(MAX_PATH - 4, L'd');
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TEMP", longest.c_str()));
    EXPECT_TRUE(ExpandTempFolder(folder)) << "exactly fills the buffer";

    const std::wstring tooLong = longest + L"d";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TEMP", tooLong.c_str()));
    EXPECT_FALSE(ExpandTempFolder(folder));

    ASSERT_TRUE(::SetEnvironmentVariableW(L"TEMP", nullptr));
    ASSERT_TRUE(ExpandTempFolder(folder));
    EXPECT_STREQ(folder, L"%TEMP%");

    ::SetEnvironmentVariableW(L"TEMP", hadTemp ? saved : nullptr);
}

}  // namespace
}  // namespace kestrel
