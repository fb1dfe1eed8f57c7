#include "office/worker/LinkedPictures.h"

#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>

#include <vector>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using rtl::OUString;

namespace {

// Where a picture came from: empty, or a package's own name, for one the document carries;
// the file or address it was read from for a linked one.
bool isLinked(const Reference<css::beans::XPropertySet>& object)
{
    if (!object.is())
        return false;
    try {
        const Reference<css::beans::XPropertySetInfo> info = object->getPropertySetInfo();
        if (!info.is() || !info->hasPropertyByName("Graphic"))
            return false;
        const Reference<css::beans::XPropertySet> graphic(object->getPropertyValue("Graphic"),
                                                          UNO_QUERY);
        if (!graphic.is() || !graphic->getPropertySetInfo()->hasPropertyByName("OriginURL"))
            return false;
        OUString origin;
        graphic->getPropertyValue("OriginURL") >>= origin;
        return !origin.isEmpty() && !origin.startsWith("vnd.sun.star.") &&
               !origin.startsWith("private:");
    } catch (const css::uno::Exception& error) {
        qCDebug(lcWorker) << "a picture's origin could not be read:" << fromUno(error.Message);
        return false;
    }
}

void dispose(const Reference<css::uno::XInterface>& object)
{
    const Reference<css::lang::XComponent> component(object, UNO_QUERY);
    if (component.is())
        component->dispose();
}

// Writer's pictures in frames: in the text, its headers, footers and frames.
int removeFromText(const Reference<css::lang::XComponent>& document)
{
    const Reference<css::text::XTextGraphicObjectsSupplier> supplier(document, UNO_QUERY);
    if (!supplier.is())
        return 0;
    const Reference<css::container::XIndexAccess> pictures(supplier->getGraphicObjects(),
                                                           UNO_QUERY);
    if (!pictures.is())
        return 0;
    std::vector<Reference<css::uno::XInterface>> linked;
    for (sal_Int32 i = 0; i < pictures->getCount(); ++i) {
        const Reference<css::beans::XPropertySet> picture(pictures->getByIndex(i), UNO_QUERY);
        if (isLinked(picture))
            linked.emplace_back(picture, UNO_QUERY);
    }
    for (const auto& picture : linked)
        dispose(picture);
    return int(linked.size());
}

// Picture shapes of a page (a sheet's, a slide's, Writer's drawing layer), groups included.
int removeFromShapes(const Reference<css::drawing::XShapes>& shapes)
{
    if (!shapes.is())
        return 0;
    int removed = 0;
    for (sal_Int32 i = shapes->getCount() - 1; i >= 0; --i) {
        const Reference<css::drawing::XShape> shape(shapes->getByIndex(i), UNO_QUERY);
        const Reference<css::drawing::XShapes> group(shape, UNO_QUERY);
        if (group.is()) {
            removed += removeFromShapes(group);
        } else if (isLinked(Reference<css::beans::XPropertySet>(shape, UNO_QUERY))) {
            shapes->remove(shape);
            ++removed;
        }
    }
    return removed;
}

int removeFromPages(const Reference<css::lang::XComponent>& document)
{
    int removed = 0;
    const Reference<css::drawing::XDrawPagesSupplier> pagesSupplier(document, UNO_QUERY);
    if (pagesSupplier.is()) {
        const Reference<css::container::XIndexAccess> pages(pagesSupplier->getDrawPages(),
                                                            UNO_QUERY);
        for (sal_Int32 i = 0; pages.is() && i < pages->getCount(); ++i)
            removed +=
                removeFromShapes(Reference<css::drawing::XShapes>(pages->getByIndex(i), UNO_QUERY));
    }
    // A text document offers its one draw page only through this interface, which the API marks
    // as deprecated without a replacement for text documents.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const Reference<css::drawing::XDrawPageSupplier> pageSupplier(document, UNO_QUERY);
    if (pageSupplier.is())
        removed += removeFromShapes(
            Reference<css::drawing::XShapes>(pageSupplier->getDrawPage(), UNO_QUERY));
#pragma GCC diagnostic pop
    return removed;
}

} // namespace

int RemoveLinkedPictures(const Reference<css::lang::XComponent>& document)
{
    const int removed = removeFromText(document) + removeFromPages(document);
    if (removed > 0)
        qCInfo(lcWorker) << "left out" << removed << "linked pictures";
    return removed;
}
