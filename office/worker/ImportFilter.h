#pragma once

#include <com/sun/star/lang/XComponent.hpp>
#include <rtl/ustring.hxx>

// The office's import filter that loaded the document ("MS Word 97", "Text", ...).
rtl::OUString ImportFilterOf(const css::uno::Reference<css::lang::XComponent>& document);

// True for the filters that read a file as plain text: such a file carries no page size, and
// the office falls back on them for files it does not recognise.
bool IsPlainTextImport(const rtl::OUString& filter);
