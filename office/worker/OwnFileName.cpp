#include "office/worker/OwnFileName.h"

#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"

#include <QFileInfo>
#include <QUrl>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XHeaderFooterContent.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/FilenameDisplayFormat.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XRefreshable.hpp>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using rtl::OUString;

namespace {

// A file name field that would show the copy's folder shows the name alone; true when changed.
bool isFileNameField(const Reference<css::uno::XInterface>& candidate)
{
    const Reference<css::lang::XServiceInfo> field(candidate, UNO_QUERY);
    return field.is() && field->supportsService("com.sun.star.text.textfield.FileName");
}

bool showName(const Reference<css::uno::XInterface>& candidate)
{
    if (!isFileNameField(candidate))
        return false;
    const Reference<css::beans::XPropertySet> properties(candidate, UNO_QUERY);
    sal_Int16 format = 0;
    properties->getPropertyValue("FileFormat") >>= format;
    if (format == css::text::FilenameDisplayFormat::FULL) {
        properties->setPropertyValue("FileFormat",
                                     css::uno::Any(css::text::FilenameDisplayFormat::NAME_AND_EXT));
        return true;
    }
    if (format == css::text::FilenameDisplayFormat::PATH) {
        // The folder is a private one: nothing of it is shown.
        properties->setPropertyValue("IsFixed", css::uno::Any(true));
        properties->setPropertyValue("CurrentPresentation", css::uno::Any(OUString()));
        return true;
    }
    return false;
}

void fixFileNameFields(const Reference<css::lang::XComponent>& document)
{
    const Reference<css::text::XTextFieldsSupplier> supplier(document, UNO_QUERY);
    if (!supplier.is())
        return;
    const Reference<css::container::XEnumerationAccess> fields = supplier->getTextFields();
    const Reference<css::container::XEnumeration> each = fields->createEnumeration();
    bool changed = false;
    while (each->hasMoreElements())
        changed =
            showName(Reference<css::uno::XInterface>(each->nextElement(), UNO_QUERY)) || changed;
    const Reference<css::util::XRefreshable> refresh(fields, UNO_QUERY);
    if (changed && refresh.is())
        refresh->refresh();
}

// The fields of a sheet's header or footer part, which Calc keeps out of the document's list
// and lays out from a copy: a file name field there becomes the text it is to show.
bool fixFieldsIn(const Reference<css::text::XText>& text, const QString& name)
{
    bool changed = false;
    const Reference<css::container::XEnumerationAccess> paragraphs(text, UNO_QUERY);
    const Reference<css::container::XEnumeration> eachParagraph =
        paragraphs.is() ? paragraphs->createEnumeration() : nullptr;
    while (eachParagraph.is() && eachParagraph->hasMoreElements()) {
        const Reference<css::container::XEnumerationAccess> portions(eachParagraph->nextElement(),
                                                                     UNO_QUERY);
        const Reference<css::container::XEnumeration> eachPortion =
            portions.is() ? portions->createEnumeration() : nullptr;
        while (eachPortion.is() && eachPortion->hasMoreElements()) {
            const Reference<css::beans::XPropertySet> portion(eachPortion->nextElement(),
                                                              UNO_QUERY);
            OUString type;
            if (!portion.is() || !(portion->getPropertyValue("TextPortionType") >>= type) ||
                type != "TextField")
                continue;
            const Reference<css::beans::XPropertySet> field(portion->getPropertyValue("TextField"),
                                                            UNO_QUERY);
            if (!isFileNameField(field))
                continue;
            sal_Int16 format = 0;
            field->getPropertyValue("FileFormat") >>= format;
            if (format != css::text::FilenameDisplayFormat::FULL &&
                format != css::text::FilenameDisplayFormat::PATH)
                continue;
            const Reference<css::text::XTextRange> range(portion, UNO_QUERY);
            range->setString(format == css::text::FilenameDisplayFormat::FULL ? toUno(name)
                                                                              : OUString());
            changed = true;
        }
    }
    return changed;
}

void fixSheetHeaders(const Reference<css::lang::XComponent>& document, const QString& name)
{
    const Reference<css::style::XStyleFamiliesSupplier> families(document, UNO_QUERY);
    if (!families.is() || !Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY).is())
        return;
    const Reference<css::container::XNameAccess> styles(
        families->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY);
    for (const OUString& styleName : styles->getElementNames()) {
        const Reference<css::beans::XPropertySet> style(styles->getByName(styleName), UNO_QUERY);
        for (const char* part : {"LeftPageHeaderContent", "RightPageHeaderContent",
                                 "LeftPageFooterContent", "RightPageFooterContent"}) {
            const OUString property = OUString::createFromAscii(part);
            const Reference<css::sheet::XHeaderFooterContent> content(
                style->getPropertyValue(property), UNO_QUERY);
            if (!content.is())
                continue;
            const bool left = fixFieldsIn(content->getLeftText(), name);
            const bool center = fixFieldsIn(content->getCenterText(), name);
            const bool right = fixFieldsIn(content->getRightText(), name);
            if (left || center || right)
                style->setPropertyValue(property, css::uno::Any(content));
        }
    }
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
        fixSheetHeaders(document, QFileInfo(copy).fileName());
        fixSheetFormulas(document, copy);
    } catch (const css::uno::Exception& error) {
        qCWarning(lcWorker) << "file name fields could not be set:" << fromUno(error.Message);
    }
}
