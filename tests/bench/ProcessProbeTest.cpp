// ProcessProbe against this process: every figure it prints has to follow what
// the process really holds, under Wine as well, where the plain Windows counts
// are 0 and the probe falls back to what Wine keeps.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CHandle.h"
#include "ChildProcess.h"
#include "PanelTexts.h"

namespace kestrel::test {
namespace {

using Figures = std::map<std::string, long long>;

// Runs the probe on a process id and parses its key=value line.
Figures Probe(const std::wstring& arguments, DWORD* exitCode = nullptr) {
    ChildProcess probe;
    Figures figures;
    if (!probe.Start(L"ProcessProbe.exe", arguments, true)) return figures;
    probe.WaitForOutput("\n", 30000);
    const DWORD code = probe.Wait(30000);
    if (exitCode) *exitCode = code;
    std::istringstream words(probe.Output());
    std::string word;
    while (words >> word) {
        const size_t eq = word.find('=');
        if (eq != std::string::npos) figures[word.substr(0, eq)] = std::stoll(word.substr(eq + 1));
    }
    return figures;
}

Figures ProbeSelf() { return Probe(std::to_wstring(::GetCurrentProcessId())); }

TEST(ProcessProbe, FiguresFollowWhatTheProcessHolds) {
    const Figures before = ProbeSelf();
    ASSERT_EQ(before.at("pid"), static_cast<long long>(::GetCurrentProcessId()));
    EXPECT_GT(before.at("handles"), 0);
    EXPECT_GT(before.at("private_kb"), 0);
    EXPECT_GT(before.at("working_set_kb"), 0);
    EXPECT_EQ(before.at("rows"), -1) << "this process is no panel";

    std::vector<CHandle> events;
    for (int i = 0; i < 40; ++i) events.emplace_back(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 40; ++i) brushes.push_back(::CreateSolidBrush(RGB(i, 0, 0)));
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, window, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    constexpr size_t kBlock = 16u << 20;
    std::unique_ptr<char[]> block(new char[kBlock]);
    for (size_t i = 0; i < kBlock; i += 4096) block[i] = static_cast<char>(i);

    const Figures during = ProbeSelf();
    EXPECT_GE(during.at("handles") - before.at("handles"), 40);
    EXPECT_GE(during.at("private_kb") - before.at("private_kb"), 16 * 1024 - 512);
    EXPECT_GE(during.at("windows") - before.at("windows"), 2);
    if (before.at("gdi") > 0) {
        EXPECT_GE(during.at("gdi") - before.at("gdi"), 40);
        EXPECT_GE(during.at("user") - before.at("user"), 2);
    } else {
        EXPECT_GE(during.at("gdi_table") - before.at("gdi_table"), 40);
    }

    ::DestroyWindow(window);
    for (HBRUSH brush : brushes) ::DeleteObject(brush);
    events.clear();
    const Figures after = ProbeSelf();
    EXPECT_LE(after.at("handles"), during.at("handles") - 40);
    EXPECT_LE(after.at("windows"), during.at("windows") - 2);
    if (before.at("gdi") == 0) {
        EXPECT_LE(after.at("gdi_table"), during.at("gdi_table") - 40);
    }
}

TEST(ProcessProbe, MissingProcessAndNoPanelFail) {
    DWORD code = 0;
    EXPECT_TRUE(Probe(L"4000000000", &code).empty());
    EXPECT_EQ(code, 1u);
    if (::FindWindowW(kInstanceId, nullptr) == nullptr) {
        EXPECT_TRUE(Probe(L"", &code).empty());
        EXPECT_EQ(code, 1u);
    }
    EXPECT_TRUE(Probe(L"1 2", &code).empty());
    EXPECT_EQ(code, 2u);
}

}  // namespace
}  // namespace kestrel::test
