#pragma once

#include <QMap>
#include <QSettings>
#include <QString>

// The options of one profile as they were last stored.
struct ProfileValues
{
    QMap<QString, QString> texts;
    QMap<QString, int> numbers;
};

// The PDF printer's per-user settings file: its profiles with their text and number options,
// and the user's default printer. Every change is written at once, so another process using
// the printer sees it; QSettings merges and locks, so two processes never corrupt the file.
// Secrets never come here.
class PrinterSettings
{
public:
    explicit PrinterSettings(const QString& fileName);

    // $XDG_CONFIG_HOME/Corvanta/pdfprinter.ini (or the platform's equivalent).
    static QString defaultFileName();
    QString fileName() const { return m_settings.fileName(); }

    bool hasProfile(const QString& profile);
    bool createProfile(const QString& profile);
    bool removeProfile(const QString& profile);
    bool setText(const QString& profile, const QString& option, const QString& value);
    bool setNumber(const QString& profile, const QString& option, int value);
    ProfileValues values(const QString& profile);

    QString defaultPrinter();
    // Remembers the current default once (until restored), then makes `printer` the default.
    bool makeDefault(const QString& printer);
    // Puts the remembered default back; nothing remembered is no change.
    bool restorePreviousDefault();

private:
    bool store();

    QSettings m_settings;
};
