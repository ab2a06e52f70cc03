// What each cell of a port row shows, its text colour, and the row order the
// cells give. Portable: no windows.h; the list writes these same texts into its
// cells, so rows can be compared from their data without reading the cells back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "PortListColumn.h"
#include "PortRowInfo.h"

namespace kestrel {

const wchar_t* ModeText(uint32_t mode);
const wchar_t* StatusText(uint32_t status);

// Whether writing the row's texts touches this column: a row made from a
// counters-only record carries nothing but its RX and TX marks.
bool RowWritesColumn(const PortRowInfo& row, int column);

// The text the cell of a stored row shows (empty where nothing is written).
// It is a whole, terminated text in the row or a constant, so sorting
// allocates nothing.
std::wstring_view CellText(const PortRowInfo& row, int column);

// Ordinal order of two texts: UTF-16 code units as unsigned numbers,
// case-sensitive, a prefix first. Result -1, 0 or 1.
int CompareOrdinal(std::wstring_view a, std::wstring_view b);

// Order of two rows by the text of one column; a missing row (null) compares
// as empty text.
int CompareRowCells(const PortRowInfo* a, const PortRowInfo* b, int column);

// The table as plain text for the clipboard: one line per row, the header
// first, cells separated by tabs and lines ended by CR LF.
std::wstring TableText(const std::vector<std::vector<std::wstring>>& lines);

// The texts of the list's context menu.
inline constexpr wchar_t kMenuEditText[] = L"&Edit...";
inline constexpr wchar_t kMenuCopyText[] = L"&Copy";

enum class CellColour { Unchanged, Red, WindowText };

// Text colour of a cell: red Status for "Not connected" even where the cell
// shows "-"; the button column keeps the control's colours.
CellColour CellTextColour(int column, const PortRowInfo* row);

}  // namespace kestrel
