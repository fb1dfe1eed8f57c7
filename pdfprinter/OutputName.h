#pragma once

#include <QString>

// The file name of a job's PDF: the "Save File" template with "[N]" replaced by the file name of
// the job title less a trailing ".PDF" (any case), followed by ".PDF". Letter case is kept, since
// callers look for exactly that name. Empty when the template makes no plain file name.
QString OutputFileName(const QString& saveFileTemplate, const QString& jobTitle);

// "name (n).PDF": the n-th free name tried when an existing file is kept.
QString NumberedFileName(const QString& fileName, int n);
