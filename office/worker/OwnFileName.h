#pragma once

#include <QString>
#include <com/sun/star/lang/XComponent.hpp>

// The office reads a private copy of each document, inside its profile. Fields that show where
// the document is (Writer's file name fields, Calc's CELL("filename")) would print that private
// path, which names the user's home folder; they show the document's own file name instead.
// `copy` is the path of the copy the office loaded.
void ShowOwnFileName(const css::uno::Reference<css::lang::XComponent>& document,
                     const QString& copy);
