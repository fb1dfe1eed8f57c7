// The web worker's protocol lines, both ways: a line is a request (or an answer) or nothing,
// and what was read, written again, reads the same.
#include "tests/fuzz/FuzzSupport.h"
#include "web/WebProtocol.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<WebRequest> request = WebRequest::fromLine(line)) {
        const std::optional<WebRequest> again = WebRequest::fromLine(request->toLine());
        FUZZ_CHECK(again && again->command == request->command &&
                   again->content == request->content && again->document == request->document &&
                   again->bytes == request->bytes && again->pdf == request->pdf);
    }
    if (const std::optional<WebAnswer> answer = WebAnswer::fromLine(line)) {
        const std::optional<WebAnswer> again = WebAnswer::fromLine(answer->toLine());
        FUZZ_CHECK(again && again->failure == answer->failure && again->detail == answer->detail);
    }
    return 0;
}
