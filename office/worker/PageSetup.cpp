#include "office/worker/PageSetup.h"

#include "office/worker/ImportFilter.h"
#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>

#include <algorithm>
#include <utility>
#include <vector>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {

constexpr sal_Int32 kA4Width = 21000; // 1/100 mm
constexpr sal_Int32 kA4Height = 29700;

Reference<css::container::XNameContainer>
pageStyles(const Reference<css::lang::XComponent>& document)
{
    const Reference<css::style::XStyleFamiliesSupplier> families(document, UNO_QUERY_THROW);
    return Reference<css::container::XNameContainer>(
        families->getStyleFamilies()->getByName(OUString("PageStyles")), UNO_QUERY_THROW);
}

OUString unusedName(const Reference<css::container::XNameContainer>& styles, const OUString& base)
{
    OUString name = base;
    for (int n = 2; styles->hasByName(name); ++n)
        name = base + " " + OUString::number(n);
    return name;
}

// Sets the properties together: set one by one, each change lays the sheet's pages out anew.
// When one of them is refused, the others are set one by one, passing over the refused ones.
void setTogether(const Reference<css::beans::XPropertySet>& to,
                 const css::uno::Sequence<OUString>& names,
                 const css::uno::Sequence<css::uno::Any>& values)
{
    const Reference<css::beans::XMultiPropertySet> together(to, UNO_QUERY);
    if (together.is()) {
        try {
            together->setPropertyValues(names, values);
            return;
        } catch (const css::uno::Exception&) {
        }
    }
    for (sal_Int32 i = 0; i < names.getLength(); ++i) {
        try {
            to->setPropertyValue(names[i], values[i]);
        } catch (const css::uno::Exception&) {
        }
    }
}

// Every settable property of `from`, as far as `to` takes it, then `turned` on top. The office
// runs in another process: the values are read in one call, not one call each.
//
// Width and Height are the two halves of Size: set one at a time they leave a square page
// between them, and set after Size they undo it, so they are not copied; IsLandscape only marks
// the style and never moves the paper's edges. The header and footer contents are copied as the
// office's own objects, which it copies into the new style: that keeps their texts and their
// page, sheet and date fields.
void copyPageStyle(const Reference<css::beans::XPropertySet>& from,
                   const Reference<css::beans::XPropertySet>& to,
                   const std::vector<std::pair<OUString, css::uno::Any>>& turned)
{
    std::vector<OUString> settable;
    for (const css::beans::Property& property : from->getPropertySetInfo()->getProperties()) {
        const bool halfOfSize = property.Name == "Width" || property.Name == "Height";
        const bool isTurned = std::any_of(turned.begin(), turned.end(),
                                          [&](const auto& t) { return t.first == property.Name; });
        if (!(property.Attributes & css::beans::PropertyAttribute::READONLY) && !halfOfSize &&
            !isTurned)
            settable.push_back(property.Name);
    }
    const css::uno::Sequence<OUString> asked(settable.data(), sal_Int32(settable.size()));
    const Reference<css::beans::XMultiPropertySet> all(from, UNO_QUERY);
    css::uno::Sequence<css::uno::Any> read;
    if (all.is()) {
        read = all->getPropertyValues(asked);
    } else {
        read.realloc(asked.getLength());
        for (sal_Int32 i = 0; i < asked.getLength(); ++i)
            read.getArray()[i] = from->getPropertyValue(asked[i]);
    }

    std::vector<OUString> names(settable.begin(), settable.begin() + read.getLength());
    std::vector<css::uno::Any> values(read.begin(), read.end());
    for (const auto& [name, value] : turned) {
        names.push_back(name);
        values.push_back(value);
    }
    setTogether(to, css::uno::Sequence<OUString>(names.data(), sal_Int32(names.size())),
                css::uno::Sequence<css::uno::Any>(values.data(), sal_Int32(values.size())));
}

OUString nameOf(const Reference<css::uno::XInterface>& sheet)
{
    const Reference<css::container::XNamed> named(sheet, UNO_QUERY);
    return named.is() ? named->getName() : OUString();
}

// True when a sheet other than `sheet` prints with the page style `styleName`. Sheets are told
// apart by name: the office hands out a new object for a sheet each time it is asked for one.
bool styleIsShared(const Reference<css::lang::XComponent>& workbook,
                   const Reference<css::beans::XPropertySet>& sheet, const OUString& styleName)
{
    const Reference<css::sheet::XSpreadsheetDocument> document(workbook, UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
    const OUString turned = nameOf(sheet);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
        const Reference<css::beans::XPropertySet> other(sheets->getByIndex(i), UNO_QUERY);
        if (!other.is() || nameOf(other) == turned)
            continue;
        OUString otherStyle;
        other->getPropertyValue(OUString("PageStyle")) >>= otherStyle;
        if (otherStyle == styleName)
            return true;
    }
    return false;
}

Reference<css::beans::XPropertySet> sheetToTurn(const Reference<css::lang::XComponent>& workbook,
                                                std::optional<int> activeSheet)
{
    const Reference<css::sheet::XSpreadsheetDocument> document(workbook, UNO_QUERY_THROW);
    const Reference<css::container::XIndexAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
    if (activeSheet && *activeSheet >= 0 && *activeSheet < sheets->getCount())
        return Reference<css::beans::XPropertySet>(sheets->getByIndex(*activeSheet), UNO_QUERY);
    const Reference<css::frame::XModel> model(workbook, UNO_QUERY_THROW);
    const Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
    if (!view.is())
        return {};
    return Reference<css::beans::XPropertySet>(view->getActiveSheet(), UNO_QUERY);
}

} // namespace

void TurnActiveSheetToLandscape(const Reference<css::lang::XComponent>& workbook,
                                std::optional<int> activeSheet)
{
    const Reference<css::beans::XPropertySet> sheet = sheetToTurn(workbook, activeSheet);
    if (!sheet.is()) {
        qCWarning(lcWorker) << "the workbook's active sheet is unknown; it stays as it is";
        return;
    }
    OUString styleName;
    sheet->getPropertyValue(OUString("PageStyle")) >>= styleName;
    const Reference<css::container::XNameContainer> styles = pageStyles(workbook);
    const Reference<css::beans::XPropertySet> style(styles->getByName(styleName), UNO_QUERY_THROW);
    css::awt::Size size;
    style->getPropertyValue(OUString("Size")) >>= size;
    if (size.Width < size.Height)
        std::swap(size.Width, size.Height);

    // The paper turned, in one step: IsLandscape alone leaves the page as it was.
    const std::vector<std::pair<OUString, css::uno::Any>> turned = {
        {OUString("IsLandscape"), css::uno::Any(true)}, {OUString("Size"), css::uno::Any(size)}};

    // Most workbooks give each sheet a style of its own: turning it is all there is to do.
    if (!styleIsShared(workbook, sheet, styleName)) {
        const OUString names[] = {turned[0].first, turned[1].first};
        const css::uno::Any values[] = {turned[0].second, turned[1].second};
        setTogether(style, css::uno::Sequence<OUString>(names, 2),
                    css::uno::Sequence<css::uno::Any>(values, 2));
        return;
    }
    const Reference<css::lang::XMultiServiceFactory> factory(workbook, UNO_QUERY_THROW);
    const Reference<css::beans::XPropertySet> own(
        factory->createInstance(OUString("com.sun.star.style.PageStyle")), UNO_QUERY_THROW);
    const OUString ownName = unusedName(styles, styleName + " Landscape");
    styles->insertByName(ownName, css::uno::Any(own));
    copyPageStyle(style, own, turned);
    sheet->setPropertyValue(OUString("PageStyle"), css::uno::Any(ownName));
}

void UseA4WhereUnset(const Reference<css::lang::XComponent>& document)
{
    const OUString filter = ImportFilterOf(document);
    if (!IsPlainTextImport(filter))
        return;

    const Reference<css::container::XNameContainer> styles = pageStyles(document);
    for (const OUString& name : styles->getElementNames()) {
        const Reference<css::beans::XPropertySet> style(styles->getByName(name), UNO_QUERY);
        if (!style.is())
            continue;
        bool landscape = false;
        style->getPropertyValue(OUString("IsLandscape")) >>= landscape;
        const css::awt::Size a4 =
            landscape ? css::awt::Size(kA4Height, kA4Width) : css::awt::Size(kA4Width, kA4Height);
        style->setPropertyValue(OUString("Size"), css::uno::Any(a4));
    }
    qCDebug(lcWorker) << "A4 paper for a document imported with" << fromUno(filter);
}
