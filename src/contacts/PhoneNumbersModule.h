#pragma once

// The one function of the phone number module, looked up by name: the number in the
// international form ("+79161234567") written to `out` with a terminating zero, for a text
// in UTF-8 read as dialled in `region` (two capital letters). Returns the length written,
// 0 when the rules find no valid number in the text, and -1 when `out` is too small.
extern "C" {
using InternationalNumberFunction = int (*)(const char* text, const char* region, char* out,
                                            int outSize);
}

inline constexpr const char* kInternationalNumberSymbol = "varnelo_international_number";
inline constexpr const char* kPhoneNumbersModuleFile = "varnelo_phonenumbers.so";
