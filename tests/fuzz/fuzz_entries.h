// The fuzz targets' bodies, shared by the libFuzzer programs and by the corpus
// replay that every build runs. Each returns 0 and aborts on a broken promise.
#pragma once

#include <cstddef>
#include <cstdint>

// Any bytes as a diary file: the records read must write out and read back
// unchanged and undamaged.
int FuzzDiaryLoad(const std::uint8_t* data, size_t size);
// Any bytes as a colour file: whole values only, and a full file writes back
// as its first 16 bytes.
int FuzzColourLoad(const std::uint8_t* data, size_t size);
