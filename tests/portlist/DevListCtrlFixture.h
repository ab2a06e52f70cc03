// The port list on a real list-view control in a host that routes its
// notifications like the main window, and what its tests read from it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DevListCtrl.h"
#include "DialogDriver.h"
#include "ExpectedTexts.h"
#include "ListHost.h"
#include "PortRowTexts.h"
#include "WindowsEnvironment.h"
#include "resource.h"

namespace kestrel::test {

class DevListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = host.AddList(IDC_PORT_LIST);
        ASSERT_TRUE(list);
        RecordPreviousProc(list);
        ASSERT_TRUE(host.Attach(list, ports));
        // A run at another DPI (run_at_dpi.sh) says which one the list must see.
        if (const char* dpi = std::getenv("KESTREL_EXPECT_DPI")) {
            ASSERT_EQ(WindowDpi(list), static_cast<UINT>(std::atoi(dpi)));
        }
    }

    bool Add(const PortRowInfo& row) {
        const int before = ItemCount(list);
        return ports.UpdatePort(row) && ItemCount(list) == before + 1;
    }
    int RowOf(const std::wstring& name) {
        for (int i = 0; i < ItemCount(list); ++i)
            if (ports.RowInfo(i) && ports.RowInfo(i)->name == name) return i;
        return -1;
    }
    HWND ButtonOf(int row) { return ports.RowButton(row); }
    // A POCT1-A port that is not connected, with RX news and an address.
    static PortRowInfo NotConnectedCom3() {
        PortRowInfo row = FullRow(L"COM3");
        row.status = kStatusNotConnected;
        row.rxChanged = true;
        row.connection = L"10.1.2.3:4000";
        return row;
    }
    // Counters-only news of a port: TX changed, RX not.
    static PortRowInfo CountersOnly(const std::wstring& name) {
        PortRowInfo counters;
        counters.name = name;
        counters.countersOnly = true;
        counters.txChanged = true;
        return counters;
    }
    std::vector<std::wstring> Column(int column) {
        std::vector<std::wstring> texts;
        for (int i = 0; i < ItemCount(list); ++i) texts.push_back(ItemText(list, i, column));
        return texts;
    }
    // Every button of a row in view sits exactly over its column-8 cell; the
    // others are hidden.
    void ExpectButtonsOverTheirCells() {
        ::UpdateWindow(list);
        const int top = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
        const int perPage = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
        for (int i = 0; i < ItemCount(list); ++i) {
            const HWND button = ButtonOf(i);
            if (!button) continue;
            SCOPED_TRACE(i);
            if (i >= top && i < top + perPage) {
                const RECT cell = CellRect(list, i, kColumnButton);
                const RECT at = ChildRect(button);
                EXPECT_TRUE(::EqualRect(&cell, &at));
                EXPECT_TRUE(::IsWindowVisible(button));
            } else if (i < top) {
                EXPECT_FALSE(::IsWindowVisible(button));
            }
        }
    }
    LRESULT SubItemPaint(int row, int column, COLORREF& text) {
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.hdr.hwndFrom = list;
        cd.nmcd.hdr.idFrom = IDC_PORT_LIST;
        cd.nmcd.hdr.code = NM_CUSTOMDRAW;
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        cd.nmcd.lItemlParam = row >= 0 ? ItemData(list, row) : 0;
        cd.iSubItem = column;
        cd.clrText = text;
        cd.clrTextBk = RGB(9, 9, 9);
        const LRESULT result = ports.OnCustomDraw(cd);
        text = cd.clrText;
        EXPECT_EQ(cd.clrTextBk, RGB(9, 9, 9));
        return result;
    }

    // A navigation or editing key as the list receives it; the row focused after.
    int Press(WPARAM key) {
        ::SendMessageW(list, WM_KEYDOWN, key, 0);
        PumpMessages();
        return ports.FocusedItem();
    }
    int ColumnWidth(int column) {
        return static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    }
    // The widths of the columns before the last, written out for each DPI the
    // tests run at; the last fills what they leave of the list.
    void ExpectColumnWidthsForTheDpi() {
        const UINT dpi = WindowDpi(list);
        const std::vector<int> widths = dpi == 144
                                            ? std::vector<int>{0, 105, 53, 53, 195, 120, 150, 225}
                                            : std::vector<int>{0, 70, 35, 35, 130, 80, 100, 150};
        ASSERT_TRUE(dpi == 96 || dpi == 144) << dpi;
        int used = 0;
        for (int i = 0; i < kColumnButton; ++i) {
            EXPECT_EQ(ColumnWidth(i), widths[i]) << "column " << i;
            used += ColumnWidth(i);
        }
        RECT client;
        ::GetClientRect(list, &client);
        EXPECT_EQ(ColumnWidth(kColumnButton), client.right - used);
    }

    ListHost host;
    DevListCtrl ports;
    HWND list = nullptr;
};

}  // namespace kestrel::test
