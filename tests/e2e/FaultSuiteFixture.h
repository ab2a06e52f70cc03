// The built panel against the simulator through faults of the service and of
// the link, one at a time. After each: the panel still runs and answered
// window messages within the transport's time-outs, the list matches the
// service once the fault has ended, with no port twice and no button left
// over, and what the user applied was either taken by the service or read
// back from it and reported in one message box.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DialogDriver.h"
#include "Eventually.h"
#include "ExpectedTexts.h"
#include "PanelProcess.h"
#include "ServiceProtocol.h"
#include "TrayProbe.h"
#include "resource.h"

namespace kestrel::e2e {

constexpr DWORD kStartMs = 15000;
constexpr DWORD kSettleMs = 15000;
// A tick whose link fails fast blocks for a connect attempt at most; the
// bound leaves room for a loaded machine.
constexpr DWORD kQuickAnswerMs = 3000;

using test::SetText;
namespace texts = test::texts;
using Labels = std::vector<std::wstring>;
// Sorted as the list sorts its port column: by code unit.
const Labels kSeedLabels{L"COM10", L"COM3", L"COM4"};

class FaultSuite : public ::testing::Test {
protected:
    void TearDown() override {
        if (!panel) return;
        EXPECT_EQ(panel->Wait(0), STILL_ACTIVE) << "the panel kept running";
        ExpectSoundList();
        ChildProcess stopper;
        ASSERT_TRUE(stopper.Start(kPanelProgram, L"-exitall"));
        EXPECT_EQ(stopper.Wait(kStartMs), 0u);
        EXPECT_EQ(panel->Wait(kStartMs), 2u);
    }

    void StartService(Simulator& sim) {
        ASSERT_TRUE(sim.Start());
        ASSERT_TRUE(sim.Execute("defaults host=defaults.example dmsport=443 retry=3000 active=1"));
        ASSERT_TRUE(
            sim.Execute("port COM3 label=COM3 serial=SN-3 mode=0 status=0 default=0 "
                        "host=10.1.2.3 dmsport=4000 retry=30000 active=1"));
        ASSERT_TRUE(sim.Execute("port COM4 label=COM4 serial=SN-4 mode=2 status=1 default=1"));
        ASSERT_TRUE(sim.Execute("port COM10 label=COM10 serial=SN-10 mode=1 status=0"));
    }

    // Shown, so that the rows' buttons are placed over their rows.
    void StartPanel() {
        panel = std::make_unique<ChildProcess>();
        window = LaunchPanel(*panel, L"", kStartMs);
        ASSERT_NE(window, nullptr);
    }

    void StartBoth() {
        StartService(service);
        StartPanel();
        ASSERT_TRUE(Converges(kSeedLabels));
    }

    // Whether the title comes to read so; else what it read last.
    ::testing::AssertionResult TitleBecomes(const std::wstring& title) {
        std::wstring shown;
        if (test::Eventually([&] { return (shown = test::WindowText(window)) == title; }, kSettleMs,
                             50))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the title read " << ::testing::PrintToString(shown);
    }

    // Whether the list comes to show these ports; else what it showed last.
    ::testing::AssertionResult Converges(const Labels& labels, DWORD timeoutMs = kSettleMs) {
        Labels shown;
        if (test::Eventually([&] { return (shown = ColumnTexts(window, 1)) == labels; }, timeoutMs,
                             50))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "the list shows " << ::testing::PrintToString(shown) << " in " << RowCount(window)
               << " rows; the panel's title reads "
               << ::testing::PrintToString(test::WindowText(window))
               << "; the service: " << service.State();
    }

    std::wstring Cell(const std::wstring& label, int column) {
        const Labels labels = ColumnTexts(window, 1);
        const auto row = std::find(labels.begin(), labels.end(), label);
        if (row == labels.end()) return L"(no row)";
        const Labels cells = ColumnTexts(window, column);
        const size_t index = static_cast<size_t>(row - labels.begin());
        return index < cells.size() ? cells[index] : L"(no cell)";
    }

    // The cell's text once it holds the text wanted, or its last text.
    std::wstring CellBecomes(const std::wstring& label, int column, const std::wstring& text) {
        std::wstring cell;
        test::Eventually([&] { return (cell = Cell(label, column)) == text; }, kSettleMs, 50);
        return cell;
    }

    // No port twice, and one button for each row not in Serial mode.
    void ExpectSoundList() {
        const Labels labels = ColumnTexts(window, 1);
        EXPECT_EQ(std::set<std::wstring>(labels.begin(), labels.end()).size(), labels.size());
        const Labels modes = ColumnTexts(window, 5);
        const auto serial = std::count(modes.begin(), modes.end(), L"Serial");
        EXPECT_EQ(EditButtonCount(window), static_cast<int>(modes.size() - serial));
    }

    void ExpectAnswering(DWORD durationMs, DWORD boundMs) {
        EXPECT_LE(LongestWaitForAnswer(window, durationMs), boundMs);
        EXPECT_EQ(panel->Wait(0), STILL_ACTIVE);
    }

    HWND OpenPortDialog(const std::wstring& label) {
        const Labels labels = ColumnTexts(window, 1);
        const auto row = std::find(labels.begin(), labels.end(), label);
        if (row == labels.end()) return nullptr;
        HWND button = EditButtonOfRow(window, static_cast<int>(row - labels.begin()));
        if (!button) return nullptr;
        ::PostMessageW(button, BM_CLICK, 0, 0);
        return WaitForDialog(panel->Id(), texts::ConnectionCaption(label), kStartMs);
    }

    HWND OpenPreferences() {
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_PREFERENCES, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_PREFERENCES)));
        return WaitForDialog(panel->Id(), texts::kPreferencesCaption, kStartMs);
    }

    // Presses Apply, says Yes to a question about cutting communication, and
    // returns the text of the one message box that reports the outcome, empty
    // when none came; the box is closed with OK.
    std::wstring ApplyAndReadOutcome(HWND dialog, DWORD requestsMs = kSettleMs) {
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        const bool closed = test::Eventually(
            [&] {
                if (!::IsWindow(dialog) || !::IsWindowVisible(dialog)) return true;
                for (HWND box : DialogsOf(panel->Id(), texts::kProductName)) {
                    if (::GetWindow(box, GW_OWNER) == dialog)
                        ::PostMessageW(box, WM_COMMAND, IDYES, 0);
                }
                return false;
            },
            kSettleMs);
        if (!closed) return L"(dialog stayed)";
        // Run once the requests are done and a message loop runs again, which
        // is the box's own when there is one: it exists by then.
        WaitForPostedMessages(window, requestsMs);
        const std::vector<HWND> boxes = DialogsOf(panel->Id(), texts::kProductName);
        if (boxes.empty()) return std::wstring();
        EXPECT_EQ(boxes.size(), 1u);
        wchar_t text[512] = {};
        ::GetDlgItemTextW(boxes.front(), 0xFFFF, text, 512);
        ::PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
        test::Eventually(
            [&] { return !::IsWindow(boxes.front()) || !::IsWindowVisible(boxes.front()); },
            kSettleMs);
        WaitForPostedMessages(window, kSettleMs);
        EXPECT_TRUE(DialogsOf(panel->Id(), texts::kProductName).empty()) << "a second message";
        return text;
    }

    Simulator service;
    std::unique_ptr<ChildProcess> panel;
    HWND window = nullptr;
};

}  // namespace kestrel::e2e
