// File names as text: whatever their bytes, the text shown stays on one line and reads as it
// is (no control character survives), and a text said to name the file does.
#include "common/NativeNames.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QFile>
#include <cstddef>
#include <cstdint>

namespace {

// The characters the escaping promises to write as escapes: C0, DEL, C1, line and paragraph
// separators, and the controls of the text's direction.
bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool readsAsItIs(const QString& text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray native(reinterpret_cast<const char*>(data), qsizetype(size));
    bool exact = false;
    const QString shown = TextOfFileName(native, &exact);
    FUZZ_CHECK(readsAsItIs(shown));
    if (exact)
        FUZZ_CHECK(QFile::encodeName(shown) == native);

    // The same bytes as UTF-16, lone surrogates and all, as a text from elsewhere may hold them.
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    FUZZ_CHECK(readsAsItIs(EscapeControlCharacters(text)));
    return 0;
}
