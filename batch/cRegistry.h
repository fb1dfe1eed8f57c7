#pragma once

#include <QString>
#include <QVariant>
#include <stdexcept>

class ISettingsStore;

// The system's messages for the two registry failures, and their codes.
inline constexpr int kRegistryReadErrorCode = 1012;
inline constexpr int kRegistryWriteErrorCode = 1013;
inline const QString kRegistryReadError =
    QStringLiteral("The configuration registry key could not be read.");
inline const QString kRegistryWriteError =
    QStringLiteral("The configuration registry key could not be written.");

// The type codes of WriteRegistryValue.
enum RegistryTypeCode : int
{
    kRegistryKeepType = 0, // the type of the value already stored
    kRegistryString = 1,
    kRegistryExpandString = 2,
    kRegistryInteger = 3,
    kRegistryBinary = 4
};

// A failed registry read or write. what() is the system's message for the code; detail() says
// for the log what the store reported.
class RegistryError : public std::runtime_error
{
public:
    RegistryError(int code, const QString& detail);

    int code() const { return m_code; }
    QString message() const { return QString::fromUtf8(what()); }
    const QString& detail() const { return m_detail; }

private:
    int m_code;
    QString m_detail;
};

// The value `valueName` of the key at `keyPath` below the current user's root: empty when the
// key does not exist; a QString for a string or expandable string, an int for an integer, the
// bytes as Latin-1 text for binary data. Throws RegistryError (1012) when the value is missing
// or the store cannot be read. A leading backslash in `keyPath` changes nothing.
QVariant ReadRegistryValue(ISettingsStore& store, const QString& keyPath, const QString& valueName);

// Stores `value` as `valueName` of the key at `keyPath`, creating the key when it is missing,
// with the type `typeCode` names (RegistryTypeCode). Binary data is the Latin-1 bytes of the
// value's text, or the bytes of a QByteArray. Throws RegistryError (1013) for an unknown type
// code, type code 0 without a stored value, a value that is not an integer where one is
// needed, or a store that cannot be written; the stored state is then unchanged.
void WriteRegistryValue(ISettingsStore& store, const QString& keyPath, const QString& valueName,
                        int typeCode, const QVariant& value);
