#pragma once

#include "doclist/DocumentList.h"

#include <QStringList>

// The names of the list's rows, in the list's order.
inline QStringList ListedNames(const DocumentList& list)
{
    QStringList all;
    for (int row = 0; row < list.DocumentCount(); ++row)
        all.append(list.name(row));
    return all;
}
