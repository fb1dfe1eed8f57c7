#include "batch/cRegistry.h"

#include "common/ISettingsStore.h"

#include <limits>
#include <optional>

namespace {

// The root is always the current user's, so an absolute path and a relative one are the same.
QString keyBelowRoot(const QString& keyPath)
{
    qsizetype first = 0;
    qsizetype end = keyPath.size();
    while (first < end && keyPath.at(first) == QLatin1Char('\\'))
        ++first;
    while (end > first && keyPath.at(end - 1) == QLatin1Char('\\'))
        --end;
    return keyPath.mid(first, end - first);
}

QString messageFor(int code)
{
    return code == kRegistryReadErrorCode ? kRegistryReadError : kRegistryWriteError;
}

std::optional<SettingsType> typeOfCode(ISettingsStore& store, const QString& key,
                                       const QString& name, int typeCode)
{
    switch (typeCode) {
    case kRegistryKeepType: {
        SettingsError error;
        const std::optional<SettingsType> present = store.valueType(key, name, error);
        if (!present)
            throw RegistryError(kRegistryWriteErrorCode, error.text);
        return present;
    }
    case kRegistryString:
        return SettingsType::String;
    case kRegistryExpandString:
        return SettingsType::ExpandString;
    case kRegistryInteger:
        return SettingsType::Integer;
    case kRegistryBinary:
        return SettingsType::Binary;
    default:
        return std::nullopt;
    }
}

SettingsValue toSettingsValue(SettingsType type, const QVariant& value)
{
    switch (type) {
    case SettingsType::String:
        return SettingsValue::fromString(value.toString());
    case SettingsType::ExpandString:
        return SettingsValue::fromExpandString(value.toString());
    case SettingsType::Integer: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            throw RegistryError(
                kRegistryWriteErrorCode,
                QStringLiteral("\"%1\" is not a 32-bit integer").arg(value.toString()));
        return SettingsValue::fromInteger(qint32(number));
    }
    case SettingsType::Binary:
        return SettingsValue::fromBinary(value.typeId() == QMetaType::QByteArray
                                             ? value.toByteArray()
                                             : value.toString().toLatin1());
    }
    throw RegistryError(kRegistryWriteErrorCode, QStringLiteral("unknown type"));
}

} // namespace

RegistryError::RegistryError(int code, const QString& detail)
    : std::runtime_error(messageFor(code).toStdString()), m_code(code), m_detail(detail)
{
}

QVariant ReadRegistryValue(ISettingsStore& store, const QString& keyPath, const QString& valueName)
{
    const QString key = keyBelowRoot(keyPath);
    SettingsError error;
    const std::optional<bool> exists = store.keyExists(key, error);
    if (!exists)
        throw RegistryError(kRegistryReadErrorCode, error.text);
    if (!*exists)
        return {};
    const std::optional<SettingsValue> value = store.readValue(key, valueName, error);
    if (!value)
        throw RegistryError(kRegistryReadErrorCode, error.text);
    switch (value->type()) {
    case SettingsType::String:
    case SettingsType::ExpandString:
        return value->text();
    case SettingsType::Integer:
        return int(value->number());
    case SettingsType::Binary:
        return QString::fromLatin1(value->bytes());
    }
    throw RegistryError(kRegistryReadErrorCode, QStringLiteral("unknown type"));
}

void WriteRegistryValue(ISettingsStore& store, const QString& keyPath, const QString& valueName,
                        int typeCode, const QVariant& value)
{
    const QString key = keyBelowRoot(keyPath);
    const std::optional<SettingsType> type = typeOfCode(store, key, valueName, typeCode);
    if (!type)
        throw RegistryError(kRegistryWriteErrorCode,
                            QStringLiteral("unknown type code %1").arg(typeCode));
    SettingsError error;
    if (!store.writeValue(key, valueName, toSettingsValue(*type, value), error))
        throw RegistryError(kRegistryWriteErrorCode, error.text);
}
