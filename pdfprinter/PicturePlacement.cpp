#include "pdfprinter/PicturePlacement.h"

#include "pdfprinter/PdfImageObjects.h"
#include "pdfprinter/PdfPrinterLog.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace {

using Handle = QPDFObjectHandle;

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 4);
}

// The page's own XObject dictionary, which this page may extend without touching another.
Handle pageXObjects(QPDFPageObjectHelper& page)
{
    Handle resources = page.getAttribute("/Resources", true);
    if (!resources.isDictionary()) {
        resources = Handle::newDictionary();
        page.getObjectHandle().replaceKey("/Resources", resources);
    }
    Handle xobjects = resources.getKey("/XObject");
    xobjects = xobjects.isDictionary() ? xobjects.shallowCopy() : Handle::newDictionary();
    resources.replaceKey("/XObject", xobjects);
    return xobjects;
}

bool placeOnPage(QPDF& pdf, QPDFPageObjectHelper& page, const QList<PlacedPicture>& pictures)
{
    bool deep = false;
    Handle xobjects = pageXObjects(page);
    const QPDFObjectHandle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
    QByteArray content;
    int index = 0;
    for (const PlacedPicture& picture : pictures) {
        Handle image = MakeImageXObject(pdf, picture.sourceFile, picture.decoded);
        if (image.isNull())
            continue;
        deep = deep || image.getDict().getKey("/BitsPerComponent").getIntValue() == 16;
        std::string name;
        do
            name = "/CvImg" + std::to_string(index++);
        while (xobjects.hasKey(name));
        xobjects.replaceKey(name, image);
        // The canvas counts from the top left corner, PDF from the bottom left.
        const QRectF& r = picture.target;
        content += "q " + number(r.width()) + " 0 0 " + number(r.height()) + ' ' +
                   number(box.llx + r.x()) + ' ' + number(box.ury - r.y() - r.height()) + " cm " +
                   QByteArray::fromStdString(name) + " Do Q\n";
    }
    if (!content.isEmpty())
        page.addPageContents(pdf.newStream(content.toStdString()), true);
    return deep;
}

} // namespace

bool PlacePictures(QPDF& pdf, const QList<PlacedPicture>& pictures)
{
    if (pictures.isEmpty())
        return false;
    bool deep = false;
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    for (int i = 0; i < int(pages.size()); ++i) {
        QList<PlacedPicture> onPage;
        for (const PlacedPicture& picture : pictures)
            if (picture.page == i)
                onPage.append(picture);
        if (!onPage.isEmpty() && placeOnPage(pdf, pages[size_t(i)], onPage))
            deep = true;
    }
    for (const PlacedPicture& picture : pictures)
        if (picture.page >= int(pages.size()))
            qCWarning(lcPdfPrinter) << "picture on a missing page" << picture.page;
    return deep;
}
