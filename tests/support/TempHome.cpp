#include "tests/support/TempHome.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const char* const kVariables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
}

TempHome::TempHome()
{
    for (int i = 0; i < 4; ++i)
        m_saved[i] = qgetenv(kVariables[i]);
    qputenv("HOME", m_dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + "/.cache").toUtf8());
    QDir().mkpath(configHome());
    QDir().mkpath(dataHome());
    QStandardPaths::setTestModeEnabled(false);
}

TempHome::~TempHome()
{
    for (int i = 0; i < 4; ++i) {
        if (m_saved[i].isNull())
            qunsetenv(kVariables[i]);
        else
            qputenv(kVariables[i], m_saved[i]);
    }
}

QString TempHome::configHome() const
{
    return m_dir.path() + "/.config";
}
QString TempHome::dataHome() const
{
    return m_dir.path() + "/.local/share";
}
