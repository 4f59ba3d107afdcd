// UTF-16 text and its conversions. Inside the program text is UTF-16; the
// "ANSI code page" at the edges is UTF-8, with Windows-1252 for 8-bit text
// that is not valid UTF-8 so files from older systems still read correctly.
#pragma once

#include <string>
#include <string_view>

using CString = std::u16string;

std::string ToUtf8(std::u16string_view text);        // lone surrogates become U+FFFD
std::u16string FromUtf8(std::string_view bytes);     // invalid sequences become U+FFFD
bool IsValidUtf8(std::string_view bytes);

std::u16string FromAnsi(std::string_view bytes);     // UTF-8 if valid, else Windows-1252
std::string ToAnsi(std::u16string_view text);        // UTF-8
std::u16string FromCp1252(std::string_view bytes);

char16_t FoldCase(char16_t c);                        // simple upper-case mapping
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix);

std::u16string ToU16(long long value);
std::u16string U16(std::string_view utf8);            // shorthand for FromUtf8
