#pragma once

#include <com/sun/star/lang/XComponent.hpp>

// Takes every picture the document links to, instead of carrying it, out of the loaded
// document before it is laid out: a linked picture is a file on the computer the document's
// author chose (an RTF or Word INCLUDEPICTURE field, a linked frame or shape), and a document
// from others must not print the computer's own files, wherever they lie. Answers how many were
// taken out.
int RemoveLinkedPictures(const css::uno::Reference<css::lang::XComponent>& document);
