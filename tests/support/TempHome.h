#pragma once

#include <QString>
#include <QTemporaryDir>

// Points HOME and the XDG folders at a fresh temporary folder for the life of the object,
// so a test never reads or writes the real user's settings.
class TempHome
{
public:
    TempHome();
    ~TempHome();

    QString path() const { return m_dir.path(); }
    QString configHome() const;
    QString dataHome() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[4];
};
