#pragma once

// What the fuzz targets share: a property check that ends the run as a finding, and a private
// folder for the parsers that read from a file.
#include <QString>
#include <cstdio>
#include <cstdlib>

// A parser's promise broken: libFuzzer keeps the input that broke it, as it does for a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// A file of that name in a folder of the run's own, removed when the run ends.
QString FuzzFilePath(const QString& name);
