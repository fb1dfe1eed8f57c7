#include "platform/text/UchardetDetector.h"

#include <memory>
#include <uchardet/uchardet.h>

QByteArray UchardetDetector::detect(QByteArrayView sample) const
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(
        uchardet_new(), &uchardet_delete);
    if (!detector)
        return {};
    if (uchardet_handle_data(detector.get(), sample.data(), size_t(sample.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    // The name belongs to the detector: copied before it goes.
    return QByteArray(uchardet_get_charset(detector.get()));
}
