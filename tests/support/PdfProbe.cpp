#include "tests/support/PdfProbe.h"

#include <QFile>
#include <QProcess>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace {

using Handle = QPDFObjectHandle;

QByteArray toBytes(const std::shared_ptr<Buffer>& buffer)
{
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()),
                      qsizetype(buffer->getSize()));
}

std::vector<Handle> contentStreams(QPDF& pdf)
{
    std::vector<Handle> streams;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages())
        for (const Handle& content : page.getPageContents())
            streams.push_back(content);
    return streams;
}

} // namespace

PdfProbe::PdfProbe(const QString& file, const QString& password)
    : m_file(file), m_password(password), m_pdf(std::make_unique<QPDF>())
{
    try {
        m_pdf->setSuppressWarnings(true);
        m_pdf->processFile(QFile::encodeName(file).constData(),
                           password.isEmpty() ? nullptr : password.toUtf8().constData());
        m_open = true;
    } catch (const std::exception& e) {
        m_error = QString::fromUtf8(e.what());
    }
}

PdfProbe::~PdfProbe() = default;

QString PdfProbe::pdfVersion() const
{
    return m_open ? QString::fromStdString(m_pdf->getPDFVersion()) : QString();
}

int PdfProbe::pageCount() const
{
    return m_open ? int(QPDFPageDocumentHelper(*m_pdf).getAllPages().size()) : 0;
}

QList<QSizeF> PdfProbe::pageSizes() const
{
    QList<QSizeF> sizes;
    if (!m_open)
        return sizes;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*m_pdf).getAllPages()) {
        const Handle::Rectangle box = page.getMediaBox().getArrayAsRectangle();
        sizes.append(QSizeF(box.urx - box.llx, box.ury - box.lly));
    }
    return sizes;
}

bool PdfProbe::isEncrypted() const
{
    return m_open && m_pdf->isEncrypted();
}

int PdfProbe::encryptionRevision() const
{
    int r = 0;
    int p = 0;
    return m_open && m_pdf->isEncrypted(r, p) ? r : 0;
}

bool PdfProbe::usesAes256() const
{
    int r = 0, p = 0, v = 0;
    QPDF::encryption_method_e streams{}, strings{}, files{};
    return m_open && m_pdf->isEncrypted(r, p, v, streams, strings, files) && v == 5 && r == 6 &&
           streams == QPDF::e_aesv3 && strings == QPDF::e_aesv3;
}

bool PdfProbe::openedAsOwner() const
{
    return m_open && m_pdf->ownerPasswordMatched();
}

bool PdfProbe::allowsPrint() const
{
    return m_open && m_pdf->allowPrintHighRes();
}
bool PdfProbe::allowsModify() const
{
    return m_open && m_pdf->allowModifyAll();
}
bool PdfProbe::allowsExtract() const
{
    return m_open && m_pdf->allowExtractAll();
}

QString PdfProbe::infoText(const char* key) const
{
    if (!m_open)
        return {};
    Handle info = m_pdf->getTrailer().getKey("/Info");
    if (!info.isDictionary() || !info.getKey(key).isString())
        return {};
    return QString::fromStdString(info.getKey(key).getUTF8Value());
}

QString PdfProbe::infoTitle() const
{
    return infoText("/Title");
}
QString PdfProbe::infoSubject() const
{
    return infoText("/Subject");
}
QString PdfProbe::infoProducer() const
{
    return infoText("/Producer");
}

bool PdfProbe::contentCompressed() const
{
    if (!m_open)
        return false;
    const auto streams = contentStreams(*m_pdf);
    return !streams.empty() && std::all_of(streams.begin(), streams.end(), [](Handle s) {
        return !s.getDict().getKey("/Filter").isNull();
    });
}

bool PdfProbe::contentUncompressed() const
{
    if (!m_open)
        return false;
    const auto streams = contentStreams(*m_pdf);
    return !streams.empty() && std::all_of(streams.begin(), streams.end(), [](Handle s) {
        return s.getDict().getKey("/Filter").isNull();
    });
}

QList<PdfProbe::Image> PdfProbe::images() const
{
    QList<Image> found;
    if (!m_open)
        return found;
    int pageIndex = 0;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*m_pdf).getAllPages()) {
        for (auto& [name, xobject] : page.getImages()) {
            Handle dict = xobject.getDict();
            Image image;
            image.page = pageIndex;
            Handle filter = dict.getKey("/Filter");
            if (filter.isName())
                image.filter = QString::fromStdString(filter.getName());
            image.width = dict.getKey("/Width").getIntValueAsInt();
            image.height = dict.getKey("/Height").getIntValueAsInt();
            Handle space = dict.getKey("/ColorSpace");
            if (space.isName())
                image.colorSpace = QString::fromStdString(space.getName());
            else if (space.isArray() && space.getArrayNItems() > 0)
                image.colorSpace = QString::fromStdString(space.getArrayItem(0).getName());
            image.bitsPerComponent = dict.getKey("/BitsPerComponent").getIntValueAsInt();
            if (dict.hasKey("/DecodeParms"))
                image.decodeParms =
                    QByteArray::fromStdString(dict.getKey("/DecodeParms").unparse());
            if (dict.hasKey("/Decode"))
                image.decode = QByteArray::fromStdString(dict.getKey("/Decode").unparse());
            image.raw = toBytes(xobject.getRawStreamData());
            if (image.filter != QLatin1String("/DCTDecode"))
                image.decoded = toBytes(xobject.getStreamData(qpdf_dl_generalized));
            Handle mask = dict.getKey("/SMask");
            image.hasSoftMask = mask.isStream();
            if (image.hasSoftMask)
                image.softMask = toBytes(mask.getStreamData(qpdf_dl_generalized));
            found.append(image);
        }
        ++pageIndex;
    }
    return found;
}

QStringList PdfProbe::pageTexts() const
{
    QStringList arguments{QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (!m_password.isEmpty())
        arguments << QStringLiteral("-upw") << m_password; // tests only
    arguments << m_file << QStringLiteral("-");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QChar('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast(); // pdftotext ends every page with a form feed
    return pages;
}
