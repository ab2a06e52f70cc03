// TListCtrl on a real list-view control: header notifications, destruction,
// scrolling, sorting, custom-draw dispatch and item changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "ListHost.h"
#include "TListCtrl.h"
#include "resource.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// Records the hooks; rows compare by their item data.
class ProbeList : public TListCtrl {
public:
    using TListCtrl::CompareCallback;

    bool DeleteAllItems() override {
        ++deleteAllCalls;
        return TListCtrl::DeleteAllItems();
    }
    int CompareItems(LPARAM a, LPARAM b, int) override { return a < b ? -1 : a > b ? 1 : 0; }
    // Each hook call is recorded as hook number, item, sub-item and item data.
    bool OnPrePaint(HDC) override { return Hook(1); }
    bool OnSubItemPrePaint(HDC, DWORD_PTR item, int subItem, UINT, LPARAM data, COLORREF& text,
                           COLORREF& back) override {
        text = RGB(1, 2, 3);
        back = RGB(4, 5, 6);
        return Hook(5, item, subItem, data);
    }
    bool Hook(int hook, DWORD_PTR item = 0, int subItem = -1, LPARAM data = 0) {
        hooks.push_back({hook, static_cast<int>(item), subItem, static_cast<int>(data)});
        return skip;
    }
    int PrePaints() const {
        return static_cast<int>(
            std::count_if(hooks.begin(), hooks.end(), [](const auto& h) { return h[0] == 1; }));
    }

    int deleteAllCalls = 0;
    bool skip = false;
    std::vector<std::array<int, 4>> hooks;
};

void AddItems(HWND list, std::initializer_list<LPARAM> data) {
    for (LPARAM d : data) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = ItemCount(list);
        item.pszText = const_cast<wchar_t*>(L"row");
        item.lParam = d;
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

// The rows' item data, top to bottom.
std::vector<LPARAM> DataInOrder(HWND list) {
    std::vector<LPARAM> data;
    for (int i = 0; i < ItemCount(list); ++i) data.push_back(ItemData(list, i));
    return data;
}

class TListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = host.AddList(IDC_PORT_LIST);
        ASSERT_TRUE(list);
        RecordPreviousProc(list);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        for (int i = 0; i < 3; ++i)
            ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        ASSERT_TRUE(host.Attach(list, probe));
    }

    ListHost host;
    ProbeList probe;
    HWND list = nullptr;
};

}  // namespace

TEST_F(TListCtrlTest, HeaderTrackingAndDoubleClickSorting) {
    AddItems(list, {30, 10, 20});

    // Dragging a divider: refused while the columns are fixed, passed on otherwise.
    probe.fixedColumns = true;
    EXPECT_EQ(SendHeaderNotify(list, HDN_BEGINTRACKW, 1), 1);
    EXPECT_EQ(SendHeaderNotify(list, HDN_BEGINTRACKA, 1), 1);
    EXPECT_FALSE(ArrivedNotify(HDN_BEGINTRACKW));
    EXPECT_FALSE(ArrivedNotify(HDN_BEGINTRACKA));
    SendHeaderNotify(list, HDN_ENDTRACKW, 1);
    SendHeaderNotify(list, HDN_ITEMCLICKW, 1);
    EXPECT_TRUE(ArrivedNotify(HDN_ENDTRACKW));
    EXPECT_TRUE(ArrivedNotify(HDN_ITEMCLICKW));
    probe.fixedColumns = false;
    SendHeaderNotify(list, HDN_BEGINTRACKW, 1);
    EXPECT_TRUE(ArrivedNotify(HDN_BEGINTRACKW));

    // Double clicks: ascending, then descending on the same column; another
    // column starts ascending again. The list itself never sees them.
    EXPECT_EQ(SendHeaderNotify(list, HDN_ITEMDBLCLICKW, 2), 1);
    EXPECT_EQ(probe.sortColumn, 2);
    EXPECT_FALSE(probe.sortDescending);
    EXPECT_EQ(DataInOrder(list), (std::vector<LPARAM>{10, 20, 30}));
    SendHeaderNotify(list, HDN_ITEMDBLCLICKW, 2);
    EXPECT_TRUE(probe.sortDescending);
    EXPECT_EQ(DataInOrder(list), (std::vector<LPARAM>{30, 20, 10}));
    SendHeaderNotify(list, HDN_ITEMDBLCLICKW, 1);
    EXPECT_EQ(probe.sortColumn, 1);
    EXPECT_FALSE(probe.sortDescending);
    EXPECT_FALSE(ArrivedNotify(HDN_ITEMDBLCLICKW));
}

TEST_F(TListCtrlTest, ComparisonDirectionAndFailedSort) {
    const LPARAM self = reinterpret_cast<LPARAM>(&probe);
    probe.sortDescending = true;
    EXPECT_EQ(ProbeList::CompareCallback(5, 5, self), 1);  // equal rows are never "equal"
    EXPECT_EQ(ProbeList::CompareCallback(4, 5, self), 1);
    EXPECT_EQ(ProbeList::CompareCallback(5, 4, self), -1);
    probe.sortDescending = false;
    EXPECT_EQ(ProbeList::CompareCallback(5, 5, self), 0);
    EXPECT_EQ(ProbeList::CompareCallback(4, 5, self), -1);

    // An owner-data list cannot sort: the state falls back to none, ascending.
    ProbeList other;
    const HWND ownerData = host.AddList(IDC_PORT_LIST + 1, kListStyle | LVS_OWNERDATA);
    ASSERT_TRUE(host.Attach(ownerData, other));
    EXPECT_FALSE(other.SortItems(3, kSortDescending));
    EXPECT_EQ(other.sortColumn, -1);
    EXPECT_FALSE(other.sortDescending);
}

TEST_F(TListCtrlTest, DestroyDeletesThroughTheOverrideAndUnbinds) {
    AddItems(list, {1, 2});
    probe.SortItems(0, kSortDescending);
    ::DestroyWindow(list);
    EXPECT_EQ(probe.deleteAllCalls, 1);
    EXPECT_TRUE(Arrived(WM_DESTROY, 0));  // then the previous procedure
    EXPECT_EQ(probe.sortColumn, -1);
    EXPECT_EQ(probe.Handle(), nullptr);
}

TEST_F(TListCtrlTest, VerticalScrollRepaintsAtOnce) {
    probe.customDraw = true;
    for (int i = 0; i < 12; ++i) AddItems(list, {i});
    ::UpdateWindow(list);
    const int paintsBefore = probe.PrePaints();
    ::SendMessageW(list, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_TRUE(Arrived(WM_VSCROLL, SB_LINEDOWN));
    EXPECT_EQ(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 1);
    EXPECT_GT(probe.PrePaints(), paintsBefore);  // painted inside the message
    EXPECT_FALSE(::GetUpdateRect(list, nullptr, FALSE));
}

TEST_F(TListCtrlTest, CustomDrawStagesAndHooks) {
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.hdr.hwndFrom = list;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.dwItemSpec = 7;
    cd.nmcd.lItemlParam = 0x1234;
    cd.iSubItem = 4;
    const DWORD stages[] = {CDDS_PREPAINT,
                            CDDS_POSTPAINT,
                            CDDS_ITEMPREPAINT,
                            CDDS_ITEMPOSTPAINT,
                            CDDS_ITEMPREPAINT | CDDS_SUBITEM,
                            CDDS_ITEMPOSTPAINT | CDDS_SUBITEM,
                            CDDS_PREERASE};
    const LRESULT results[] = {0x30, 0, 0x30, 0, 0x10, 0, 0};
    for (DWORD stage : stages) {  // off: every stage draws by default, no hook runs
        cd.nmcd.dwDrawStage = stage;
        EXPECT_EQ(probe.OnCustomDraw(cd), CDRF_DODEFAULT);
    }
    EXPECT_TRUE(probe.hooks.empty());

    probe.customDraw = true;
    for (bool skip : {false, true}) {
        probe.skip = skip;
        probe.hooks.clear();
        for (int i = 0; i < 7; ++i) {
            cd.nmcd.dwDrawStage = stages[i];
            // Only the stages with a hook can skip; a row's pre-paint has none.
            const bool hooked = results[i] != 0 && stages[i] != CDDS_ITEMPREPAINT;
            const LRESULT expected = results[i] | (skip && hooked ? CDRF_SKIPDEFAULT : 0);
            EXPECT_EQ(probe.OnCustomDraw(cd), expected) << std::hex << stages[i];
        }
        const std::vector<std::array<int, 4>> expected = {{1, 0, -1, 0}, {5, 7, 4, 0x1234}};
        EXPECT_EQ(probe.hooks, expected);
    }
    EXPECT_EQ(cd.clrText, RGB(1, 2, 3));  // the cell's hook owns the colours
    EXPECT_EQ(cd.clrTextBk, RGB(4, 5, 6));
}

TEST_F(TListCtrlTest, ItemChangesAndCheckNotification) {
    NMLISTVIEW nm{};
    nm.iItem = 3;
    nm.uOldState = 0;
    nm.uNewState = LVIS_SELECTED;
    EXPECT_FALSE(probe.OnItemChanged(nm));

    nm.uOldState = INDEXTOSTATEIMAGEMASK(1);
    nm.uNewState = INDEXTOSTATEIMAGEMASK(2);
    EXPECT_TRUE(probe.OnItemChanged(nm));
    nm.uOldState = INDEXTOSTATEIMAGEMASK(2);
    nm.uNewState = INDEXTOSTATEIMAGEMASK(1);
    EXPECT_TRUE(probe.OnItemChanged(nm));
}
