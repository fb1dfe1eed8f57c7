#pragma once

#include <QString>
#include <optional>

// The index of the sheet an Excel 97-2003 workbook was showing when saved (its active sheet).
// The office reads it too, but a hidden window does not show it, so the workbook route reads it
// here. Empty when the file is not such a workbook.
std::optional<int> ReadXlsActiveSheet(const QString& path);
