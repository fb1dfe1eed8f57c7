#include "platform/sane/SaneScanDevice.h"

#include <QRegularExpression>
#include <algorithm>
#include <sane/sane.h>
#include <sane/saneopts.h>
#include <thread>

namespace {

const char* const kNoOption = "The scanner has no option %1.";
const char* const kOptionType = "The option %1 cannot be set to %2.";
const char* const kFrameFormat = "The scanner sends its page in a form this program cannot read.";

// SANE does not name the kinds of source; these are the words backends use for their feeders
// ("ADF", "ADF Duplex", "Automatic Document Feeder", "Document Feeder", ...).
const QRegularExpression& feederNames()
{
    static const QRegularExpression names(QStringLiteral("\\bADF|Feeder|Duplex"),
                                          QRegularExpression::CaseInsensitiveOption);
    return names;
}

SANE_Handle handleOf(void* handle)
{
    return static_cast<SANE_Handle>(handle);
}

} // namespace

SaneScanDevice::SaneScanDevice(void* handle, const QString& name) : m_handle(handle), m_name(name)
{
}

SaneScanDevice::~SaneScanDevice()
{
    cancel();
    sane_close(handleOf(m_handle));
}

QStringList SaneScanDevice::sources()
{
    const int index = optionIndex(QString::fromLatin1(SANE_NAME_SCAN_SOURCE));
    if (index < 0)
        return {};
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handleOf(m_handle), index);
    if (option->type != SANE_TYPE_STRING || option->constraint_type != SANE_CONSTRAINT_STRING_LIST)
        return {};
    QStringList names;
    for (const SANE_String_Const* name = option->constraint.string_list; *name; ++name)
        names << QString::fromUtf8(*name);
    return names;
}

QString SaneScanDevice::source()
{
    const int index = optionIndex(QString::fromLatin1(SANE_NAME_SCAN_SOURCE));
    return index < 0 ? QString() : stringOption(index);
}

ScanDevice::Status SaneScanDevice::selectSource(const QString& source)
{
    return setOption(QString::fromLatin1(SANE_NAME_SCAN_SOURCE), source);
}

bool SaneScanDevice::feedsPages()
{
    return source().contains(feederNames());
}

ScanDevice::Status SaneScanDevice::start(Frame* frame)
{
    const SANE_Status started = sane_start(handleOf(m_handle));
    m_signalHandlers.restore();
    if (started != SANE_STATUS_GOOD)
        return status(started);
    SANE_Parameters parameters{};
    const SANE_Status described = sane_get_parameters(handleOf(m_handle), &parameters);
    if (described != SANE_STATUS_GOOD)
        return status(described);
    switch (parameters.format) {
    case SANE_FRAME_GRAY:
        frame->channels = Channels::Gray;
        break;
    case SANE_FRAME_RGB:
        frame->channels = Channels::Rgb;
        break;
    case SANE_FRAME_RED:
        frame->channels = Channels::Red;
        break;
    case SANE_FRAME_GREEN:
        frame->channels = Channels::Green;
        break;
    case SANE_FRAME_BLUE:
        frame->channels = Channels::Blue;
        break;
    default:
        m_errorText = QString::fromLatin1(kFrameFormat);
        return Status::Failed;
    }
    frame->size = QSize(parameters.pixels_per_line, parameters.lines);
    frame->bytesPerLine = parameters.bytes_per_line;
    frame->depth = parameters.depth;
    frame->last = parameters.last_frame;
    return Status::Good;
}

ScanDevice::Status SaneScanDevice::read(QByteArray* data, qsizetype max)
{
    data->resize(std::min<qsizetype>(max, 1 << 30));
    for (;;) {
        SANE_Int length = 0;
        const SANE_Status read =
            sane_read(handleOf(m_handle), reinterpret_cast<SANE_Byte*>(data->data()),
                      SANE_Int(data->size()), &length);
        // Data or an end came from the backend's reading thread, which has started by now.
        m_signalHandlers.restore();
        if (read == SANE_STATUS_EOF) {
            data->clear();
            return Status::Good;
        }
        if (read != SANE_STATUS_GOOD) {
            data->clear();
            return status(read);
        }
        if (length > 0) {
            data->resize(length);
            return Status::Good;
        }
        // Nothing yet, which a device in blocking mode should not answer; ask again.
        std::this_thread::yield();
    }
}

void SaneScanDevice::cancel()
{
    const std::lock_guard<std::mutex> locked(m_cancelling);
    sane_cancel(handleOf(m_handle));
    m_signalHandlers.restore();
}

ScanDevice::Status SaneScanDevice::setOption(const QString& name, const QVariant& value)
{
    const int index = optionIndex(name);
    if (index < 0) {
        m_errorText = QString::fromLatin1(kNoOption).arg(name);
        return Status::Failed;
    }
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handleOf(m_handle), index);
    const bool oneWord = option->size == SANE_Int(sizeof(SANE_Word));
    SANE_Word word = 0;
    QByteArray text;
    void* target = &word;
    if (option->type == SANE_TYPE_BOOL && oneWord) {
        word = value.toBool() ? SANE_TRUE : SANE_FALSE;
    } else if (option->type == SANE_TYPE_INT && oneWord) {
        word = value.toInt();
    } else if (option->type == SANE_TYPE_FIXED && oneWord) {
        word = SANE_FIX(value.toDouble());
    } else if (option->type == SANE_TYPE_STRING) {
        text = value.toString().toUtf8();
        text.resize(std::max<qsizetype>(option->size, text.size() + 1), '\0');
        target = text.data();
    } else {
        m_errorText = QString::fromLatin1(kOptionType).arg(name, value.toString());
        return Status::Failed;
    }
    SANE_Int info = 0;
    return status(
        sane_control_option(handleOf(m_handle), index, SANE_ACTION_SET_VALUE, target, &info));
}

// Looks the option up afresh each time: setting one may change the others (SANE's
// "reload options"), and some backends only accept options whose descriptors were read.
int SaneScanDevice::optionIndex(const QString& name)
{
    SANE_Int count = 0;
    if (sane_control_option(handleOf(m_handle), 0, SANE_ACTION_GET_VALUE, &count, nullptr) !=
        SANE_STATUS_GOOD)
        return -1;
    const QByteArray wanted = name.toUtf8();
    for (int index = 1; index < count; ++index) {
        const SANE_Option_Descriptor* option =
            sane_get_option_descriptor(handleOf(m_handle), index);
        if (option && option->name && wanted == option->name && SANE_OPTION_IS_ACTIVE(option->cap))
            return index;
    }
    return -1;
}

QString SaneScanDevice::stringOption(int index)
{
    const SANE_Option_Descriptor* option = sane_get_option_descriptor(handleOf(m_handle), index);
    if (option->type != SANE_TYPE_STRING || option->size <= 0)
        return {};
    QByteArray value(option->size + 1, '\0');
    if (sane_control_option(handleOf(m_handle), index, SANE_ACTION_GET_VALUE, value.data(),
                            nullptr) != SANE_STATUS_GOOD)
        return {};
    return QString::fromUtf8(value.constData());
}

ScanDevice::Status SaneScanDevice::status(int saneStatus)
{
    switch (SANE_Status(saneStatus)) {
    case SANE_STATUS_GOOD:
        return Status::Good;
    case SANE_STATUS_NO_DOCS:
        m_errorText = QString::fromUtf8(sane_strstatus(SANE_STATUS_NO_DOCS));
        return Status::NoDocuments;
    case SANE_STATUS_CANCELLED:
        m_errorText = QString::fromUtf8(sane_strstatus(SANE_STATUS_CANCELLED));
        return Status::Cancelled;
    default:
        m_errorText = QString::fromUtf8(sane_strstatus(SANE_Status(saneStatus)));
        return Status::Failed;
    }
}
