// Decimal numbers of 32 bits in text, narrow or wide: the one reader of
// decimal digits that the dialogs' rules, the simulator's command language and
// its command line share. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrel {

struct DecimalDigits {
    uint32_t value = 0;     // UINT32_MAX when the digits overflow 32 bits
    size_t length = 0;      // digits read; 0 when the text starts with none
    bool overflow = false;  // the digits stand for more than UINT32_MAX
};

// The decimal digits at the start of the text, up to its first other character.
DecimalDigits ReadDecimalDigits(std::string_view text);
DecimalDigits ReadDecimalDigits(std::wstring_view text);

// The whole text as a number that fits 32 bits: one digit or more and nothing
// else (no sign, no blank). Leaves value alone when it refuses the text.
bool ParseDecimal(std::string_view text, uint32_t& value);
bool ParseDecimal(std::wstring_view text, uint32_t& value);

}  // namespace kestrel
