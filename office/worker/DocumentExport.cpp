#include "office/worker/DocumentExport.h"

#include "office/worker/ImportFilter.h"
#include "office/worker/LinkedPictures.h"
#include "office/worker/OwnFileName.h"
#include "office/worker/PageSetup.h"
#include "office/worker/RefusingInteraction.h"
#include "office/worker/TextContent.h"
#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"
#include "office/worker/XlsActiveSheet.h"

#include <QUrl>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <rtl/ref.hxx>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using rtl::OUString;

namespace {

css::beans::PropertyValue property(const char* name, const css::uno::Any& value)
{
    css::beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

template <std::size_t N>
css::uno::Sequence<css::beans::PropertyValue>
propertiesOf(const css::beans::PropertyValue (&list)[N])
{
    return css::uno::Sequence<css::beans::PropertyValue>(list, sal_Int32(N));
}

OUString fileUrl(const QString& path)
{
    return toUno(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
}

// The PDF export of each kind of document the office loads.
OUString pdfFilterFor(const Reference<css::lang::XComponent>& document)
{
    static const std::pair<const char*, const char*> kFilters[] = {
        {"com.sun.star.sheet.SpreadsheetDocument", "calc_pdf_Export"},
        {"com.sun.star.presentation.PresentationDocument", "impress_pdf_Export"},
        {"com.sun.star.drawing.DrawingDocument", "draw_pdf_Export"},
        {"com.sun.star.text.WebDocument", "writer_web_pdf_Export"},
        {"com.sun.star.text.TextDocument", "writer_pdf_Export"},
    };
    const Reference<css::lang::XServiceInfo> info(document, UNO_QUERY);
    if (!info.is())
        return {};
    for (const auto& [service, filter] : kFilters) {
        if (info->supportsService(OUString::createFromAscii(service)))
            return OUString::createFromAscii(filter);
    }
    return {};
}

bool isWorkbook(const Reference<css::lang::XComponent>& document)
{
    const Reference<css::lang::XServiceInfo> info(document, UNO_QUERY);
    return info.is() && info->supportsService("com.sun.star.sheet.SpreadsheetDocument");
}

// Closes the loaded document without saving, however the export ends.
class ClosingDocument
{
public:
    explicit ClosingDocument(const Reference<css::lang::XComponent>& document)
        : m_document(document)
    {
    }
    ClosingDocument(const ClosingDocument&) = delete;
    ClosingDocument& operator=(const ClosingDocument&) = delete;
    ~ClosingDocument()
    {
        try {
            const Reference<css::util::XCloseable> closeable(m_document, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            else
                m_document->dispose();
        } catch (const css::util::CloseVetoException&) {
            // With ownership passed on, the office closes it when the vetoing job is done.
        } catch (const css::uno::Exception& error) {
            qCWarning(lcWorker) << "closing a document failed:" << fromUno(error.Message);
        }
    }

private:
    Reference<css::lang::XComponent> m_document;
};

Reference<css::lang::XComponent> load(const Reference<css::frame::XDesktop2>& desktop,
                                      const QString& document)
{
    const rtl::Reference<RefusingInteraction> interaction(new RefusingInteraction);
    const css::beans::PropertyValue arguments[] = {
        property("Hidden", css::uno::Any(true)),
        property("ReadOnly", css::uno::Any(true)),
        property("MacroExecutionMode",
                 css::uno::Any(sal_Int16(css::document::MacroExecMode::NEVER_EXECUTE))),
        property("UpdateDocMode",
                 css::uno::Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))),
        property("InteractionHandler",
                 css::uno::Any(Reference<css::task::XInteractionHandler>(interaction.get()))),
    };
    Reference<css::lang::XComponent> loaded;
    QString detail;
    try {
        loaded =
            desktop->loadComponentFromURL(fileUrl(document), "_blank", 0, propertiesOf(arguments));
    } catch (const css::io::IOException& error) {
        detail = fromUno(error.Message);
    } catch (const css::lang::IllegalArgumentException& error) {
        detail = fromUno(error.Message);
    }
    if (interaction->askedForPassword())
        throw ExportFailure(OfficeFailure::Password, detail);
    if (!loaded.is())
        throw ExportFailure(
            OfficeFailure::Unreadable,
            interaction->askedToRepair() ? QStringLiteral("it would have to be repaired") : detail);
    return loaded;
}

} // namespace

void ExportDocumentToPdf(const Reference<css::frame::XDesktop2>& desktop, Route route,
                         const QString& document, const QString& pdf)
{
    const Reference<css::lang::XComponent> loaded = load(desktop, document);
    const ClosingDocument closing(loaded);
    if (IsPlainTextImport(ImportFilterOf(loaded)) && !LooksLikeText(document))
        throw ExportFailure(OfficeFailure::Unreadable, "neither text nor a known format");

    RemoveLinkedPictures(loaded);
    ShowOwnFileName(loaded, document);
    if (route == Route::Excel && isWorkbook(loaded))
        TurnActiveSheetToLandscape(loaded, ReadXlsActiveSheet(document));
    UseA4WhereUnset(loaded);

    const OUString filter = pdfFilterFor(loaded);
    if (filter.isEmpty())
        throw ExportFailure(OfficeFailure::Export, "no PDF export for this kind of document");
    const Reference<css::frame::XStorable> storable(loaded, UNO_QUERY);
    if (!storable.is())
        throw ExportFailure(OfficeFailure::Export, "the document cannot be stored");
    try {
        const css::beans::PropertyValue arguments[] = {
            property("FilterName", css::uno::Any(filter)),
        };
        storable->storeToURL(fileUrl(pdf), propertiesOf(arguments));
    } catch (const css::io::IOException& error) {
        throw ExportFailure(OfficeFailure::Export, fromUno(error.Message));
    }
}
