// Plain text decoded with the encoding detector the program uses.
#include "platform/text/UchardetDetector.h"
#include "tests/fuzz/ChunkedText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodeInChunks(data, size, &kUchardetDetector);
    return 0;
}
