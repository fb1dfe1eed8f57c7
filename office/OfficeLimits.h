#pragma once

#include <QtGlobal>

// How much address space the office worker and the office it starts may each take
// (setrlimit(RLIMIT_AS), which the office inherits). A warm office idles at 0.8 GB of address
// space; the heaviest real documents we measured took it to 1.0 GB (a workbook of a million
// cells, 1,852 pages) and 1.3 GB (then a letter with 30 twelve-megapixel photos), while a zip
// bomb reached 3.6 GB resident within the time limit. 3 GiB leaves real documents more than
// twice what they need and stops a bomb before it crowds the machine.
constexpr qint64 kOfficeMemoryLimit = qint64(3) << 30;

// A document that failed once its office had come within a third of the limit failed for want
// of memory: the allocation that fails is the one that would have crossed the limit, and it is
// often large. Real documents stay far below this.
constexpr qint64 kOfficeMemoryFailure = kOfficeMemoryLimit / 3 * 2;
