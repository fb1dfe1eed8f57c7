#pragma once

#include <com/sun/star/lang/XComponent.hpp>
#include <optional>

// Page changes made to a loaded document before it is printed; the document is never saved.

// Prints the workbook's active sheet in landscape, as the workbook route asks. When other
// sheets share its page style, the sheet gets a style of its own, so they keep their
// orientation. `activeSheet` is the index the file names, when it was read from the file;
// otherwise the view's is used.
void TurnActiveSheetToLandscape(const css::uno::Reference<css::lang::XComponent>& workbook,
                                std::optional<int> activeSheet);

// Gives A4 paper to a document whose format carries no page size (plain text, CSV), instead of
// whatever the office's locale would choose.
void UseA4WhereUnset(const css::uno::Reference<css::lang::XComponent>& document);
