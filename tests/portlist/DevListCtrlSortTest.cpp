// The port list's sorting, and what destroying it leaves.
#include <map>

#include "DevListCtrlFixture.h"

using namespace kestrel;
using namespace kestrel::test;

TEST_F(DevListCtrlTest, SortingByCellText) {
    for (const wchar_t* name : {L"com3", L"COM2", L"COM10", L"COM3", L"COM1"}) Add(FullRow(name));
    arrivals.clear();
    ports.SortItems(kColumnPortLabel, kSortAscending);
    // Comparisons read the row data, not the cells: the sort costs the list
    // one message however many rows it has.
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals.front().msg, static_cast<UINT>(LVM_SORTITEMS));
    const std::vector<std::wstring> ascending{L"COM1", L"COM10", L"COM2", L"COM3", L"com3"};
    EXPECT_EQ(Column(kColumnPortLabel), ascending);
    ports.SortItems(kColumnPortLabel, kSortDescending);
    EXPECT_EQ(Column(kColumnPortLabel),
              (std::vector<std::wstring>{L"com3", L"COM3", L"COM2", L"COM10", L"COM1"}));
    // The end of a refresh pass puts the rows back in order of their labels.
    ports.PassEnded();
    EXPECT_EQ(Column(kColumnPortLabel), ascending);
}

namespace {

// Sorts by the texts read back from the cells (LVM_GETITEMTEXTW), captured
// before each sort; the port list sorts from its row data instead.
class CellTextList : public DevListCtrl {
public:
    bool SortItems(int column, int sortType) override {
        texts.clear();
        for (int i = 0; i < ItemCount(); ++i)
            texts[test::ItemData(Handle(), i)] = test::ItemText(Handle(), i, column);
        return DevListCtrl::SortItems(column, sortType);
    }
    int CompareItems(LPARAM a, LPARAM b, int) override {
        return CompareOrdinal(texts[a], texts[b]);
    }
    std::map<LPARAM, std::wstring> texts;
};

std::vector<PortRowInfo> MixedRows() {
    std::vector<PortRowInfo> rows;
    const wchar_t* labels[] = {L"COM2", L"COM10", L"com2", L"COM2", L"", L"COM1"};
    const wchar_t* connections[] = {L"h:1", L"", L"h:1", L"a:9", L"h:10"};
    for (int i = 0; i < 24; ++i) {
        PortRowInfo row = FullRow(L"N" + std::to_wstring(i), static_cast<uint32_t>(i % 4),
                                  static_cast<uint32_t>(i % 5 == 3 ? 9 : i % 3), i % 3 != 1);
        row.portLabel = labels[i % 6];
        row.serialNumber = i % 4 ? L"S" + std::to_wstring(i % 7) : L"";
        row.connection = connections[i % 5];
        row.rxChanged = i % 2 == 0;
        row.txChanged = i % 5 < 2;
        row.countersOnly = i % 11 == 5;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST_F(DevListCtrlTest, SortFromRowDataMatchesSortFromCellTexts) {
    CellTextList reference;
    const HWND other = host.AddList(IDC_PORT_LIST + 1);
    ASSERT_TRUE(host.Attach(other, reference));
    for (HWND w : {list, other}) ::SendMessageW(w, WM_SETREDRAW, FALSE, 0);  // not painted
    for (const PortRowInfo& row : MixedRows()) {
        EXPECT_TRUE(ports.UpdatePort(row));
        EXPECT_TRUE(reference.UpdatePort(row));
    }
    ASSERT_EQ(ItemCount(list), 24);
    auto names = [](DevListCtrl& l, HWND w) {
        std::vector<std::wstring> n;
        for (int i = 0; i < ItemCount(w); ++i) n.push_back(l.RowInfo(i)->name);
        return n;
    };
    for (int column = 0; column < kPortListColumnCount; ++column) {
        for (int type : {kSortAscending, kSortDescending, kSortToggle, kSortToggle}) {
            SCOPED_TRACE(testing::Message() << "column " << column << " type " << type);
            ASSERT_TRUE(ports.SortItems(column, type));
            ASSERT_TRUE(reference.SortItems(column, type));
            EXPECT_EQ(names(ports, list), names(reference, other));
            const std::vector<std::wstring> texts = Column(column);
            for (size_t i = 1; i < texts.size(); ++i) {
                const int order = CompareOrdinal(texts[i - 1], texts[i]);
                EXPECT_TRUE(ports.sortDescending ? order >= 0 : order <= 0) << i;
            }
        }
    }
}

TEST_F(DevListCtrlTest, DestroyingTheListLeavesNothing) {
    Add(FullRow(L"COM1"));
    Add(FullRow(L"COM2", kModeSerial));
    Add(FullRow(L"COM3"));
    const HWND buttons[] = {ButtonOf(0), ButtonOf(2)};
    ports.SortItems(kColumnPortLabel, kSortDescending);
    ::DestroyWindow(list);
    for (HWND b : buttons) EXPECT_FALSE(::IsWindow(b));
    EXPECT_TRUE(ports.ButtonIds().IsEmpty());
    EXPECT_EQ(ports.Handle(), nullptr);
    EXPECT_EQ(ports.sortColumn, -1);

    // The same when the whole host goes, as at the end of the program.
    DevListCtrl second;
    const HWND other = host.AddList(IDC_PORT_LIST + 1);
    ASSERT_TRUE(host.Attach(other, second));
    EXPECT_TRUE(second.UpdatePort(FullRow(L"COM4")));
    const HWND button = second.RowButton(0);
    ::DestroyWindow(host.Window());
    EXPECT_FALSE(::IsWindow(button));
    EXPECT_TRUE(second.ButtonIds().IsEmpty());
    EXPECT_EQ(second.Handle(), nullptr);
}
