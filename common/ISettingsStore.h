#pragma once

#include "common/SettingsValue.h"

#include <QString>
#include <optional>

// Why a settings operation failed, with a text for the log (never a value).
struct SettingsError
{
    enum class Code
    {
        None,
        NotFound,    // the key or the value does not exist
        InvalidName, // a key path the store does not accept (see SettingsText::isValidKeyPath)
        Damaged,     // the store's file cannot be parsed; it is left as it is
        ReadFailed,  // the store exists but cannot be read
        WriteFailed  // the store cannot be created or replaced
    };

    Code code = Code::None;
    QString text;
};

// The current user's typed settings, the stand-in for the registry below HKEY_CURRENT_USER.
// Keys are backslash-separated paths below that root ("Software\Corvanta\Program"); keys and
// value names match without regard to letter case, as registry names do. Every call looks at
// the stored state afresh, since another process may have changed it.
class ISettingsStore
{
public:
    virtual ~ISettingsStore() = default;

    // Whether the key exists, also as the parent of another key; nothing when the store
    // cannot be read.
    virtual std::optional<bool> keyExists(const QString& key, SettingsError& error) const = 0;
    // The type of a stored value; nothing when it is missing or the store cannot be read.
    virtual std::optional<SettingsType> valueType(const QString& key, const QString& name,
                                                  SettingsError& error) const = 0;
    // A stored value; nothing when it is missing or the store cannot be read.
    virtual std::optional<SettingsValue> readValue(const QString& key, const QString& name,
                                                   SettingsError& error) const = 0;
    // Stores a value, replacing one of the same name whatever its type, and creates the key
    // when it is missing. On failure the stored state is unchanged.
    virtual bool writeValue(const QString& key, const QString& name, const SettingsValue& value,
                            SettingsError& error) = 0;
};
