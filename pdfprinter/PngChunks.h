#pragma once

#include <QByteArray>
#include <optional>

// The eight bytes every PNG file starts with.
inline const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// A PNG file taken apart far enough to hand its compressed samples to a PDF unchanged.
struct PngChunks
{
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colorType = 0; // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    bool interlaced = false;
    bool transparency = false; // a tRNS chunk
    QByteArray palette;        // PLTE: RGB triplets
    QByteArray imageData;      // the IDAT chunks' data, concatenated: one zlib stream

    // Gray, RGB or palette samples without transparency, not interlaced: PDF's FlateDecode with
    // PNG predictors reads these as they are.
    bool passesThrough() const;
    int colors() const { return colorType == 2 ? 3 : 1; }

    // Takes the picture's properties from the 13 bytes of an IHDR chunk; false when they are
    // no combination PNG allows.
    bool readHeader(const char* ihdr);
    // The bytes the image data inflates to: every row's filter byte and packed samples, over
    // the seven reduced pictures of an interlaced one.
    qint64 inflatedSize() const;
};

// The chunks of a PNG file's bytes; nullopt when they are no well-formed PNG.
std::optional<PngChunks> ReadPngChunks(const QByteArray& data);
