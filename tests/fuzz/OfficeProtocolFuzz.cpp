// The office worker's protocol lines, both ways: a line is a request (or an answer) or nothing,
// and what was read, written again, reads the same.
#include "office/OfficeProtocol.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<OfficeRequest> request = OfficeRequest::fromLine(line)) {
        const std::optional<OfficeRequest> again = OfficeRequest::fromLine(request->toLine());
        FUZZ_CHECK(again && again->route == request->route &&
                   again->document == request->document && again->pdf == request->pdf);
    }
    if (const std::optional<OfficeAnswer> answer = OfficeAnswer::fromLine(line)) {
        const std::optional<OfficeAnswer> again = OfficeAnswer::fromLine(answer->toLine());
        FUZZ_CHECK(again && again->failure == answer->failure && again->detail == answer->detail);
    }
    return 0;
}
