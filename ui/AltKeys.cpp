#include "ui/AltKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

bool IsAltTextForEdit(const QObject* receiver, const QKeyEvent& key)
{
    if (key.type() != QEvent::KeyPress || !qobject_cast<const QLineEdit*>(receiver))
        return false;
    const Qt::KeyboardModifiers held = key.modifiers();
    if (!held.testFlag(Qt::AltModifier) || held.testFlag(Qt::GroupSwitchModifier) ||
        held.testFlag(Qt::ControlModifier))
        return false;
    const QString text = key.text();
    return !text.isEmpty() && text.front().isPrint();
}
