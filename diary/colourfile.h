// The bytes of "DiaryColor.tmp": the four state colours as little-endian
// COLORREF values, in the order on Schedule, behind Schedule, ahead of
// Schedule, Cancellation. Exactly 16 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/base/types.h"

constexpr int kStateCount = 4;
constexpr size_t kColourFileBytes = 4 * kStateCount;

extern const char16_t* const kStateNames[kStateCount];
extern const COLORREF kDefaultStateColours[kStateCount];

using StateColours = std::array<COLORREF, kStateCount>;

// How many whole colours `bytes` holds, at most four, read into `colours` in
// file order. Bytes after the sixteenth are never looked at.
int DecodeColours(std::string_view bytes, StateColours& colours);
std::string EncodeColours(const StateColours& colours);
