#pragma once

#include "conversion/EncodingDetector.h"

// uchardet's guess, from the sample alone.
class UchardetDetector final : public EncodingDetector
{
public:
    QByteArray detect(QByteArrayView sample) const override;
};

// It holds no state between calls, so one serves everyone.
inline const UchardetDetector kUchardetDetector;
