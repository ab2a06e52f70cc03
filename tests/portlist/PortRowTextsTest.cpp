// Cell texts, colours and row order of the port list, from row data alone.
#include <gtest/gtest.h>

#include "PortRowTexts.h"

using namespace kestrel;

namespace {

PortRowInfo ActiveRow() {
    PortRowInfo r;
    r.name = L"COM3";
    r.comPortActive = true;
    r.portLabel = L"COM3";
    r.rxChanged = true;
    r.serialNumber = L"SN-1";
    r.mode = kModePoct1A;
    r.status = kStatusNotConnected;
    r.connection = L"10.1.2.3:4000";
    return r;
}

}  // namespace

TEST(PortRowTexts, ModeAndStatusTexts) {
    EXPECT_STREQ(ModeText(0), L"POCT1-A");
    EXPECT_STREQ(ModeText(1), L"Serial");
    EXPECT_STREQ(ModeText(2), L"Velmora");
    EXPECT_STREQ(ModeText(7), L"???");
    EXPECT_STREQ(StatusText(0), L"Connected");
    EXPECT_STREQ(StatusText(1), L"Not connected");
    EXPECT_STREQ(StatusText(2), L"Not available");
    EXPECT_STREQ(StatusText(3), L"No device");
    EXPECT_STREQ(StatusText(9), L"Unknown");
    EXPECT_STREQ(StatusText(0xFFFFFFFFu), L"Unknown");
}

TEST(PortRowTexts, CellTextsFollowActivationAndMode) {
    PortRowInfo r = ActiveRow();
    const wchar_t* expected[kPortListColumnCount] = {
        L"", L"COM3", L"X", L"", L"SN-1", L"POCT1-A", L"Not connected", L"10.1.2.3:4000", L""};
    for (int c = 0; c < kPortListColumnCount; ++c) EXPECT_EQ(CellText(r, c), expected[c]) << c;
    EXPECT_EQ(CellText(r, 9), L"");
    EXPECT_EQ(CellText(r, -1), L"");

    r.connection.clear();
    EXPECT_EQ(CellText(r, kColumnConnection), L"Not configured");

    r.connection = L"host:1";
    r.comPortActive = false;
    EXPECT_EQ(CellText(r, kColumnStatus), L"-");
    EXPECT_EQ(CellText(r, kColumnConnection), L"Not configured");

    r.comPortActive = true;
    r.mode = kModeSerial;
    EXPECT_EQ(CellText(r, kColumnMode), L"Serial");
    EXPECT_EQ(CellText(r, kColumnStatus), L"-");
    EXPECT_EQ(CellText(r, kColumnConnection), L"-");

    r.mode = 7;
    r.status = 9;
    EXPECT_EQ(CellText(r, kColumnMode), L"???");
    EXPECT_EQ(CellText(r, kColumnStatus), L"Unknown");
}

TEST(PortRowTexts, CountersOnlyRowShowsOnlyMarks) {
    PortRowInfo r = ActiveRow();
    r.countersOnly = true;
    r.txChanged = true;
    for (int c = 0; c < kPortListColumnCount; ++c) {
        const bool mark = c == kColumnRx || c == kColumnTx;
        EXPECT_EQ(RowWritesColumn(r, c), mark) << c;
        EXPECT_EQ(CellText(r, c), mark ? L"X" : L"") << c;
    }
}

TEST(PortRowTexts, OrdinalComparisonOfCells) {
    PortRowInfo a = ActiveRow(), b = ActiveRow();
    auto cmp = [&](const wchar_t* x, const wchar_t* y) {
        a.portLabel = x;
        b.portLabel = y;
        return CompareRowCells(&a, &b, kColumnPort);
    };
    EXPECT_EQ(cmp(L"COM10", L"COM2"), -1);
    EXPECT_EQ(cmp(L"COM3", L"com3"), -1);
    EXPECT_EQ(cmp(L"com3", L"COM3"), 1);
    EXPECT_EQ(cmp(L"COM1", L"COM1"), 0);
    EXPECT_EQ(cmp(L"COM1", L"COM10"), -1);
    EXPECT_EQ(cmp(L"\xE000", L"z"), 1);  // code units compare unsigned
    EXPECT_EQ(cmp(L"", L"COM1"), -1);

    a.portLabel = L"";
    EXPECT_EQ(CompareRowCells(nullptr, &a, kColumnPort), 0);  // no data reads as empty
    EXPECT_EQ(CompareRowCells(&b, nullptr, kColumnPort), 1);
    EXPECT_EQ(CompareRowCells(nullptr, nullptr, kColumnStatus), 0);
}

TEST(PortRowTexts, TextColours) {
    PortRowInfo r = ActiveRow();
    EXPECT_EQ(CellTextColour(kColumnStatus, &r), CellColour::Red);
    r.comPortActive = false;  // the cell shows "-" and is still red
    EXPECT_EQ(CellTextColour(kColumnStatus, &r), CellColour::Red);
    r.status = kStatusConnected;
    EXPECT_EQ(CellTextColour(kColumnStatus, &r), CellColour::WindowText);
    r.status = kStatusNotConnected;
    EXPECT_EQ(CellTextColour(kColumnPort, &r), CellColour::WindowText);
    EXPECT_EQ(CellTextColour(kColumnButton, &r), CellColour::Unchanged);
    EXPECT_EQ(CellTextColour(kColumnStatus, nullptr), CellColour::Unchanged);
    EXPECT_EQ(CellTextColour(kColumnConnection, nullptr), CellColour::WindowText);
}
