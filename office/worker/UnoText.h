#pragma once

#include <QString>
#include <rtl/ustring.hxx>

// Qt and UNO both keep text as UTF-16.
inline rtl::OUString toUno(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         sal_Int32(text.size()));
}

inline QString fromUno(const rtl::OUString& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.getStr()), text.getLength());
}
