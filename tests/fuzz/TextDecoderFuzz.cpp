// Plain text decoded without an encoding detector.
#include "tests/fuzz/ChunkedText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodeInChunks(data, size, nullptr);
    return 0;
}
