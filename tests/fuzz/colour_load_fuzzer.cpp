#include "tests/fuzz/fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) { return FuzzColourLoad(data, size); }
