#include "pdfprinter/ToUnicodeLetters.h"

#include <gtest/gtest.h>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <string>

namespace {

// The character map a font of the job ends up with, after the letters are put in.
std::string mappedAs(const std::string& map)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Font >>"));
    font.replaceKey("/ToUnicode", QPDFObjectHandle::newStream(&pdf, map));
    pdf.getRoot().replaceKey("/F", font);
    MapPresentationFormsToLetters(pdf);
    const auto data = font.getKey("/ToUnicode").getStreamData(qpdf_dl_generalized);
    return {reinterpret_cast<const char*>(data->getBuffer()), data->getSize()};
}

// Maps of every shape the PDF engines here write: presentation forms name their letters, and
// nothing else changes — pairs of single codes are never read as ranges, a range that runs
// backwards is left alone (it once kept the printer busy for minutes).
TEST(ToUnicodeLettersTest, PresentationFormsNameTheirLettersAndNothingElseChanges)
{
    const struct
    {
        std::string map;
        std::string expected;
    } cases[] = {
        {"1 beginbfchar\n<0003> <FE8D>\nendbfchar", "1 beginbfchar\n<0003> <0627>\nendbfchar"},
        {"2 beginbfchar\n<0041> <0003>\n<0004> <0042>\nendbfchar",
         "2 beginbfchar\n<0041> <0003>\n<0004> <0042>\nendbfchar"},
        {"1 beginbfrange\n<0010> <0011> <FE8D>\nendbfrange",
         "1 beginbfrange\n<0010> <0011> [<0627> <0627> ]\nendbfrange"},
        {"1 beginbfrange\n<0010> <0011> [<0041> <FE8E>]\nendbfrange",
         "1 beginbfrange\n<0010> <0011> [<0041> <0627> ]\nendbfrange"},
        {"1 beginbfrange\n<0020> <0010> <FE8D>\nendbfrange",
         "1 beginbfrange\n<0020> <0010> <FE8D>\nendbfrange"},
        {"1 beginbfrange\n<0020> <0021> <0041>\nendbfrange",
         "1 beginbfrange\n<0020> <0021> <0041>\nendbfrange"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mappedAs(c.map), c.expected) << c.map;
}

} // namespace
