#pragma once

#include <QByteArray>
#include <optional>

// What a PDF image dictionary needs to know of a JPEG file, read from its frame header.
struct JpegHeader
{
    int width = 0;
    int height = 0;
    int components = 0;
    int precision = 0;
    bool adobe = false; // an APP14 "Adobe" segment: its CMYK samples are stored inverted
};

// The header of a JPEG file's bytes; nullopt when they are no JPEG a PDF can carry as it is.
std::optional<JpegHeader> ReadJpegHeader(const QByteArray& data);
