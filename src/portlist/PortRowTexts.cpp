#include "PortRowTexts.h"

namespace kestrel {

namespace {

const wchar_t kDash[] = L"-";
const wchar_t kMark[] = L"X";
const wchar_t kNotConfigured[] = L"Not configured";

}  // namespace

const wchar_t* ModeText(uint32_t mode) {
    switch (mode) {
    case kModePoct1A: return L"POCT1-A";
    case kModeSerial: return L"Serial";
    case kModeVelmora: return L"Velmora";
    default: return L"???";
    }
}

const wchar_t* StatusText(uint32_t status) {
    switch (status) {
    case kStatusConnected: return L"Connected";
    case kStatusNotConnected: return L"Not connected";
    case kStatusNotAvailable: return L"Not available";
    case kStatusNoDevice: return L"No device";
    default: return L"Unknown";
    }
}

bool RowWritesColumn(const PortRowInfo& row, int column) {
    if (column == kColumnRx || column == kColumnTx) return true;
    return !row.countersOnly && column >= kColumnPort && column <= kColumnConnection;
}

std::wstring CellText(const PortRowInfo& row, int column) {
    if (!RowWritesColumn(row, column)) return std::wstring();
    const bool serial = row.mode == kModeSerial;
    switch (column) {
    case kColumnPort: return row.portLabel;
    case kColumnRx: return row.rxChanged ? kMark : L"";
    case kColumnTx: return row.txChanged ? kMark : L"";
    case kColumnSerial: return row.serialNumber;
    case kColumnMode: return ModeText(row.mode);
    case kColumnStatus: return row.comPortActive && !serial ? StatusText(row.status) : kDash;
    case kColumnConnection:
        if (serial) return kDash;
        return row.comPortActive && !row.connection.empty() ? row.connection : kNotConfigured;
    default: return std::wstring();
    }
}

int CompareRowCells(const PortRowInfo* a, const PortRowInfo* b, int column) {
    const std::wstring textA = a ? CellText(*a, column) : std::wstring();
    const std::wstring textB = b ? CellText(*b, column) : std::wstring();
    const PortNameLess less;
    if (less(textA, textB)) return -1;
    return less(textB, textA) ? 1 : 0;
}

CellColour CellTextColour(int column, const PortRowInfo* row) {
    if (column == kColumnButton) return CellColour::Unchanged;
    if (column != kColumnStatus) return CellColour::WindowText;
    if (!row) return CellColour::Unchanged;
    return row->status == kStatusNotConnected ? CellColour::Red : CellColour::WindowText;
}

}  // namespace kestrel
