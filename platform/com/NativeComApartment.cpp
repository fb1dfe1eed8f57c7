#include "platform/com/ComApartment.h"

#include <cerrno>
#include <cstring>

QString NativeComApartment::resultText(long result) const
{
    return QStringLiteral("Error 0x%1").arg(static_cast<quint32>(result), 8, 16, QLatin1Char('0'));
}

QString NativeComApartment::lastErrorText() const
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
