#include "pdfprinter/pictures/JpegCheck.h"

#include <QIODevice>
#include <csetjmp>
#include <cstdio> // before jpeglib.h, which uses FILE

#include <jpeglib.h>

#include <jerror.h>

namespace {

// A progressive JPEG keeps every coefficient (2 bytes) in memory while it is decoded: this
// admits one of kMaxPicturePixels with subsampled colour, and stops a larger one cleanly.
constexpr long kDecodeMemory = 1024L * 1024 * 1024;

// libjpeg's callbacks jump back here: between setjmp and longjmp only C frames and plain data
// live, so no destructor is skipped.
struct ErrorManager
{
    jpeg_error_mgr pub; // first, so that libjpeg's pointer is ours
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void fail(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (errors->pub.msg_code == JERR_NO_BACKING_STORE)
        std::snprintf(errors->message, sizeof errors->message,
                      "Decoding needs more than %ld MB of memory", kDecodeMemory >> 20);
    else
        errors->pub.format_message(cinfo, errors->message);
    std::longjmp(errors->jump, 1); // NOLINT(cert-err52-cpp): libjpeg's error exit must not return
}

// Warnings are where libjpeg reports corrupt or missing data and carries on with made-up
// samples; only the two about unknown version and colour transform numbers are harmless.
void warn(j_common_ptr cinfo, int level)
{
    const int code = cinfo->err->msg_code;
    if (level < 0 && code != JWRN_JFIF_MAJOR && code != JWRN_ADOBE_XFORM)
        fail(cinfo);
}

// The file read in blocks; at its end libjpeg is told so and handed an end-of-image marker.
struct DeviceSource
{
    jpeg_source_mgr pub; // first, so that libjpeg's pointer is ours
    QIODevice* device;
    JOCTET buffer[32 * 1024];
};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<DeviceSource*>(cinfo->src);
    const qint64 got =
        source->device->read(reinterpret_cast<char*>(source->buffer), sizeof source->buffer);
    if (got <= 0) {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        static const JOCTET kEnd[] = {0xFF, JPEG_EOI};
        source->pub.next_input_byte = kEnd;
        source->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        fillInput(cinfo);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= size_t(count);
    }
}

bool readHeader(jpeg_decompress_struct* cinfo, ErrorManager* errors)
{
    if (setjmp(errors->jump)) // NOLINT(cert-err52-cpp): where libjpeg's error exit lands
        return false;
    jpeg_read_header(cinfo, TRUE);
    return true;
}

bool startDecoding(jpeg_decompress_struct* cinfo, ErrorManager* errors)
{
    if (setjmp(errors->jump)) // NOLINT(cert-err52-cpp): where libjpeg's error exit lands
        return false;
    jpeg_start_decompress(cinfo);
    return true;
}

// Every row, into `rows` (one per output row, `stride` apart) or a scratch row when null.
bool readRows(jpeg_decompress_struct* cinfo, ErrorManager* errors, uchar* rows, qsizetype stride)
{
    if (setjmp(errors->jump)) // NOLINT(cert-err52-cpp): where libjpeg's error exit lands
        return false;
    JSAMPARRAY scratch =
        (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                    cinfo->output_width * cinfo->output_components, 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = rows ? rows + stride * cinfo->output_scanline : scratch[0];
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The largest DCT scaling down (1/8 at most) whose picture is no smaller than the full one
// scaled to fit the panel, as the preview would decode it.
unsigned int scaleDenominator(QSize full, QSize panel)
{
    if (panel.isEmpty())
        return 8;
    const QSize fit = full.scaled(panel, Qt::KeepAspectRatio);
    unsigned int denominator = 8;
    while (denominator > 1 &&
           ((full.width() + denominator - 1) / denominator < uint(fit.width()) ||
            (full.height() + denominator - 1) / denominator < uint(fit.height())))
        denominator /= 2;
    return denominator;
}

} // namespace

CheckedPicture CheckJpeg(QIODevice& file, QSize previewPanel)
{
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = fail;
    errors.pub.emit_message = warn;
    jpeg_create_decompress(&cinfo);
    DeviceSource source{};
    source.device = &file;
    source.pub.init_source = initSource;
    source.pub.fill_input_buffer = fillInput;
    source.pub.skip_input_data = skipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = termSource;
    cinfo.src = &source.pub;
    cinfo.mem->max_memory_to_use = kDecodeMemory;

    CheckedPicture result;
    if (!readHeader(&cinfo, &errors))
        result.error = QString::fromLocal8Bit(errors.message);
    else
        result.error = PixelBoundError(cinfo.image_width, cinfo.image_height);
    if (result.error.isNull()) {
        const QSize full(int(cinfo.image_width), int(cinfo.image_height));
        // The Huffman data is decoded whole at any scale; for a preview the fast inverse DCT
        // and plain upsampling are enough.
        cinfo.scale_num = 1;
        cinfo.scale_denom = scaleDenominator(full, previewPanel);
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
        const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
        const bool color = cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB;
        if (color)
            cinfo.out_color_space = JCS_RGB; // CMYK and the rest are decoded without a preview
        QImage preview;
        bool sound = startDecoding(&cinfo, &errors);
        if (sound && (gray || color) && !previewPanel.isEmpty())
            preview = QImage(int(cinfo.output_width), int(cinfo.output_height),
                             gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        sound = sound && readRows(&cinfo, &errors, preview.isNull() ? nullptr : preview.bits(),
                                  preview.bytesPerLine());
        if (sound) {
            result.size = full;
            result.preview = preview;
            // The printer embeds 8-bit gray, RGB and CMYK JPEGs as they are.
            result.embeddedAsIs =
                cinfo.num_components == 1 || cinfo.num_components == 3 || cinfo.num_components == 4;
        } else {
            result.error = QString::fromLocal8Bit(errors.message);
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return result;
}
