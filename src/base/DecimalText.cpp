#include "DecimalText.h"

namespace kestrel {

namespace {

template <class Char>
DecimalDigits ReadDigits(std::basic_string_view<Char> text) {
    DecimalDigits digits;
    for (; digits.length < text.size(); ++digits.length) {
        const Char c = text[digits.length];
        if (c < Char('0') || c > Char('9')) break;
        const auto digit = static_cast<uint32_t>(c - Char('0'));
        if (digits.value > (UINT32_MAX - digit) / 10) digits.overflow = true;
        digits.value = digits.value * 10 + digit;
    }
    if (digits.overflow) digits.value = UINT32_MAX;
    return digits;
}

template <class Char>
bool ParseWhole(std::basic_string_view<Char> text, uint32_t& value) {
    const DecimalDigits digits = ReadDigits(text);
    if (digits.length == 0 || digits.length != text.size() || digits.overflow) return false;
    value = digits.value;
    return true;
}

}  // namespace

DecimalDigits ReadDecimalDigits(std::string_view text) { return ReadDigits(text); }

DecimalDigits ReadDecimalDigits(std::wstring_view text) { return ReadDigits(text); }

bool ParseDecimal(std::string_view text, uint32_t& value) { return ParseWhole(text, value); }

bool ParseDecimal(std::wstring_view text, uint32_t& value) { return ParseWhole(text, value); }

}  // namespace kestrel
