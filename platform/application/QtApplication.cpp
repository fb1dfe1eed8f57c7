#include "common/Application.h"

#include <QCoreApplication>

void QtApplication::processMessages()
{
    QCoreApplication::processEvents();
}

void QtApplication::terminate()
{
    m_terminated = true;
    // Stops a running loop; before the loop runs, the flag tells main() not to enter it.
    QCoreApplication::exit(0);
}
