#pragma once

#include "common/ISettingsStore.h"

#include <QString>

class SettingsDocument;

// The settings store kept in one text file, by default $XDG_CONFIG_HOME/Corvanta/settings.ini;
// docs/settings-store.md describes its format. Each call reads the file afresh; each write
// replaces it atomically (temporary file, then rename) with mode 0600 in a folder of mode 0700.
// A file that cannot be parsed is reported as damaged and never overwritten.
class FileSettingsStore final : public ISettingsStore
{
public:
    // The store in `fileName`; the default location when empty.
    explicit FileSettingsStore(const QString& fileName = {});

    static QString defaultFileName();
    const QString& fileName() const { return m_fileName; }

    std::optional<bool> keyExists(const QString& key, SettingsError& error) const override;
    std::optional<SettingsType> valueType(const QString& key, const QString& name,
                                          SettingsError& error) const override;
    std::optional<SettingsValue> readValue(const QString& key, const QString& name,
                                           SettingsError& error) const override;
    bool writeValue(const QString& key, const QString& name, const SettingsValue& value,
                    SettingsError& error) override;

private:
    // The file's document; an empty one when there is no file yet.
    std::optional<SettingsDocument> load(SettingsError& error) const;
    bool save(const SettingsDocument& document, SettingsError& error) const;
    bool makeFolder(SettingsError& error) const;

    QString m_fileName;
    bool m_ownFolder; // the default location's folder, kept at mode 0700
};
