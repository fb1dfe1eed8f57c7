#pragma once

#include <QString>

// True when the file reads as text. The office imports any file it cannot recognise as plain
// text, so a damaged binary document would otherwise print as a page of noise.
bool LooksLikeText(const QString& path);
