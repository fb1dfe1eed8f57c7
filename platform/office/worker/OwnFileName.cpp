#include "platform/office/worker/OwnFileName.h"

#include "platform/office/worker/UnoText.h"
#include "platform/office/worker/WorkerLog.h"

#include <QFileInfo>
#include <QUrl>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/FilenameDisplayFormat.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/util/XRefreshable.hpp>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using rtl::OUString;

namespace {

void fixFileNameFields(const Reference<css::lang::XComponent>& document)
{
    const Reference<css::text::XTextFieldsSupplier> supplier(document, UNO_QUERY);
    if (!supplier.is())
        return;
    const Reference<css::container::XEnumerationAccess> fields = supplier->getTextFields();
    const Reference<css::container::XEnumeration> each = fields->createEnumeration();
    bool changed = false;
    while (each->hasMoreElements()) {
        const Reference<css::lang::XServiceInfo> field(each->nextElement(), UNO_QUERY);
        if (!field.is() || !field->supportsService("com.sun.star.text.textfield.FileName"))
            continue;
        const Reference<css::beans::XPropertySet> properties(field, UNO_QUERY);
        sal_Int16 format = 0;
        properties->getPropertyValue("FileFormat") >>= format;
        if (format == css::text::FilenameDisplayFormat::FULL) {
            properties->setPropertyValue(
                "FileFormat", css::uno::Any(css::text::FilenameDisplayFormat::NAME_AND_EXT));
            changed = true;
        } else if (format == css::text::FilenameDisplayFormat::PATH) {
            // The folder is a private one: nothing of it is shown.
            properties->setPropertyValue("IsFixed", css::uno::Any(true));
            properties->setPropertyValue("CurrentPresentation", css::uno::Any(OUString()));
            changed = true;
        }
    }
    const Reference<css::util::XRefreshable> refresh(fields, UNO_QUERY);
    if (changed && refresh.is())
        refresh->refresh();
}

// A formula's result that names the copy's folder shows the document's name alone.
void fixSheetFormulas(const Reference<css::lang::XComponent>& document, const QString& copy)
{
    const Reference<css::sheet::XSpreadsheetDocument> workbook(document, UNO_QUERY);
    if (!workbook.is())
        return;
    const QString folder = QFileInfo(copy).absolutePath() + QLatin1Char('/');
    const QStringList prefixes = {QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded),
                                  QUrl::fromLocalFile(folder).toString(), folder};
    const Reference<css::container::XIndexAccess> sheets(workbook->getSheets(), UNO_QUERY);
    for (sal_Int32 i = 0; sheets.is() && i < sheets->getCount(); ++i) {
        const Reference<css::sheet::XCellRangesQuery> query(sheets->getByIndex(i), UNO_QUERY);
        if (!query.is())
            continue;
        const Reference<css::sheet::XSheetCellRanges> formulas =
            query->queryContentCells(css::sheet::CellFlags::FORMULA);
        const Reference<css::container::XEnumeration> cells =
            formulas->getCells()->createEnumeration();
        while (cells->hasMoreElements()) {
            const Reference<css::table::XCell> cell(cells->nextElement(), UNO_QUERY);
            const Reference<css::text::XText> text(cell, UNO_QUERY);
            if (!cell.is() || !text.is())
                continue;
            const QString shown = fromUno(text->getString());
            QString own = shown;
            for (const QString& prefix : prefixes)
                own.replace(prefix, QString());
            if (own != shown)
                text->setString(toUno(own));
        }
    }
}

} // namespace

void ShowOwnFileName(const Reference<css::lang::XComponent>& document, const QString& copy)
{
    try {
        fixFileNameFields(document);
        fixSheetFormulas(document, copy);
    } catch (const css::uno::Exception& error) {
        qCWarning(lcWorker) << "file name fields could not be set:" << fromUno(error.Message);
    }
}
