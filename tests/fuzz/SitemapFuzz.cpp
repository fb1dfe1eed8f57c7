// A help file's table of contents or index: whatever the HTML, the entries that could be read,
// in a tree no deeper than the help window walks.
#include "helpviewer/Sitemap.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

namespace {

// The parser puts deeper entries at this depth.
constexpr int kDeepest = 32;

int depth(const QList<SitemapEntry>& entries)
{
    int deepest = 0;
    for (const SitemapEntry& entry : entries)
        deepest = std::max(deepest, 1 + depth(entry.children));
    return deepest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray html(reinterpret_cast<const char*>(data), qsizetype(size));
    FUZZ_CHECK(depth(ParseSitemap(html)) <= kDeepest);
    return 0;
}
