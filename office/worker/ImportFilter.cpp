#include "office/worker/ImportFilter.h"

#include <algorithm>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XModel.hpp>

rtl::OUString ImportFilterOf(const css::uno::Reference<css::lang::XComponent>& document)
{
    const css::uno::Reference<css::frame::XModel> model(document, css::uno::UNO_QUERY);
    rtl::OUString filter;
    if (!model.is())
        return filter;
    for (const css::beans::PropertyValue& argument : model->getArgs()) {
        if (argument.Name == "FilterName")
            argument.Value >>= filter;
    }
    return filter;
}

bool IsPlainTextImport(const rtl::OUString& filter)
{
    static const char* const kTextFilters[] = {
        "Text",
        "Text (encoded)",
        "Text - txt - csv (StarCalc)",
    };
    return std::ranges::any_of(kTextFilters,
                               [&](const char* name) { return filter.equalsAscii(name); });
}
