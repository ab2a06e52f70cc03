// The port list's nine columns: header texts from the string table, their
// alignment, and widths in pixels at 96 DPI that are scaled to the list's
// DPI. The first column is hidden (width 0); the last fills what the others
// leave of the list's width.
#pragma once

#include <windows.h>

#include <string>

namespace kestrel {

// Inserts the columns in order; false when one could not be inserted where it
// belongs, and the columns inserted so far stay.
bool InsertPortListColumns(HWND list);

// Sets the widths again for the list's DPI now (after a DPI change) and fills
// the last column.
void ScalePortListColumns(HWND list);

// Sizes the last column to the rest of the list's width.
void FillLastColumn(HWND list);

// The header text of a column as the list shows it.
std::wstring PortListColumnTitle(HWND list, int column);

}  // namespace kestrel
