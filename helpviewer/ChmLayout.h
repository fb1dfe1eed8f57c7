#pragma once

#include <QString>

class QIODevice;

// chmlib takes the sizes and links in a help file's container as it finds them: the length of
// a directory page, which it allocates; the pages that lead to other pages, which it follows;
// the compressed section's window, reset table and block bounds, which it divides by, decodes
// with and reads into buffers of its own. A damaged file makes it allocate gigabytes, loop for
// ever, divide by zero or read and write past its buffers. This walks what chmlib would walk,
// the same way, before chmlib is given the file.
//
// Null when the file holds together; otherwise what is wrong with it.
QString ChmLayoutError(QIODevice& device);
