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
    return !row.countersOnly && column >= kColumnPortLabel && column <= kColumnConnection;
}

std::wstring_view CellText(const PortRowInfo& row, int column) {
    if (!RowWritesColumn(row, column)) return {};
    const bool serial = row.mode == kModeSerial;
    switch (column) {
    case kColumnPortLabel: return row.portLabel;
    case kColumnRx: return row.rxChanged ? kMark : L"";
    case kColumnTx: return row.txChanged ? kMark : L"";
    case kColumnSerial: return row.serialNumber;
    case kColumnMode: return ModeText(row.mode);
    case kColumnStatus: return row.comPortActive && !serial ? StatusText(row.status) : kDash;
    case kColumnConnection:
        if (serial) return kDash;
        if (row.comPortActive && !row.connection.empty()) return row.connection;
        return kNotConfigured;
    default: return {};
    }
}

int CompareOrdinal(std::wstring_view a, std::wstring_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto ua = static_cast<uint16_t>(a[i]);
        const auto ub = static_cast<uint16_t>(b[i]);
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareRowCells(const PortRowInfo* a, const PortRowInfo* b, int column) {
    return CompareOrdinal(a ? CellText(*a, column) : std::wstring_view(),
                          b ? CellText(*b, column) : std::wstring_view());
}

CellColour CellTextColour(int column, const PortRowInfo* row) {
    if (column == kColumnButton) return CellColour::Unchanged;
    if (column != kColumnStatus) return CellColour::WindowText;
    if (!row) return CellColour::Unchanged;
    return row->status == kStatusNotConnected ? CellColour::Red : CellColour::WindowText;
}

std::wstring TableText(const std::vector<std::vector<std::wstring>>& lines) {
    std::wstring text;
    for (const auto& cells : lines) {
        for (size_t i = 0; i < cells.size(); ++i) {
            if (i != 0) text += L'\t';
            text += cells[i];
        }
        text += L"\r\n";
    }
    return text;
}

}  // namespace kestrel
