#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The kinds of value a settings key holds, as the registry knows them.
enum class SettingsType
{
    String,
    ExpandString, // a text that may name environment variables; stored and read unexpanded
    Integer,      // 32-bit signed
    Binary
};

// One typed value of the settings store.
class SettingsValue
{
public:
    static SettingsValue fromString(const QString& text)
    {
        return SettingsValue(SettingsType::String, text, 0, {});
    }
    static SettingsValue fromExpandString(const QString& text)
    {
        return SettingsValue(SettingsType::ExpandString, text, 0, {});
    }
    static SettingsValue fromInteger(qint32 number)
    {
        return SettingsValue(SettingsType::Integer, {}, number, {});
    }
    static SettingsValue fromBinary(const QByteArray& bytes)
    {
        return SettingsValue(SettingsType::Binary, {}, 0, bytes);
    }

    SettingsType type() const { return m_type; }
    // The text of a String or ExpandString value; empty for the others.
    const QString& text() const { return m_text; }
    // The number of an Integer value; 0 for the others.
    qint32 number() const { return m_number; }
    // The bytes of a Binary value; empty for the others.
    const QByteArray& bytes() const { return m_bytes; }

    friend bool operator==(const SettingsValue&, const SettingsValue&) = default;

private:
    SettingsValue(SettingsType type, const QString& text, qint32 number, const QByteArray& bytes)
        : m_type(type), m_text(text), m_number(number), m_bytes(bytes)
    {
    }

    SettingsType m_type;
    QString m_text;
    qint32 m_number;
    QByteArray m_bytes;
};
