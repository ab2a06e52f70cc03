#include "PortListColumns.h"

#include <commctrl.h>

#include "CAppModule.h"
#include "Dpi.h"
#include "PortRowTexts.h"
#include "resource.h"

namespace kestrel {

namespace {

struct ColumnLayout {
    UINT headerId;
    int format;
    int width;  // at 96 DPI
};

const ColumnLayout kColumns[kPortListColumnCount] = {
    {IDS_COLUMN_CHECK, LVCFMT_LEFT, 0},  // zero width hides the check box
    {IDS_COLUMN_COMPORT, LVCFMT_CENTER, 70},
    {IDS_COLUMN_RX, LVCFMT_CENTER, 35},
    {IDS_COLUMN_TX, LVCFMT_CENTER, 35},
    {IDS_COLUMN_SERIAL, LVCFMT_CENTER, 130},
    {IDS_COLUMN_MODE, LVCFMT_CENTER, 80},
    {IDS_COLUMN_STATUS, LVCFMT_CENTER, 100},
    {IDS_COLUMN_CONNECTION, LVCFMT_CENTER, 150},
    {IDS_COLUMN_BUTTON, LVCFMT_CENTER, 50},  // then widened to fill the list
};

}  // namespace

bool InsertPortListColumns(HWND list) {
    const UINT dpi = WindowDpi(list);
    for (int i = 0; i < kPortListColumnCount; ++i) {
        wchar_t header[64] = {};
        ::LoadStringW(appModule.Instance(), kColumns[i].headerId, header, 64);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.fmt = kColumns[i].format;
        column.cx = ScaleForDpi(kColumns[i].width, dpi);
        column.pszText = header;
        if (::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(&column)) != i) {
            return false;
        }
    }
    return true;
}

void ScalePortListColumns(HWND list) {
    const UINT dpi = WindowDpi(list);
    for (int i = 0; i < kPortListColumnCount; ++i) {
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                       MAKELPARAM(ScaleForDpi(kColumns[i].width, dpi), 0));
    }
    FillLastColumn(list);
}

void FillLastColumn(HWND list) {
    const auto header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    const auto count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    if (count > 0) {
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(count - 1),
                       MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    }
}

std::wstring PortListColumnTitle(HWND list, int column) {
    wchar_t title[64] = {};
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT;
    header.pszText = title;
    header.cchTextMax = 64;
    ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&header));
    return title;
}

}  // namespace kestrel
