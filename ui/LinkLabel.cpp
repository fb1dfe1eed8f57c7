#include "ui/LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    // Tab only: a click keeps the focus where it was (the list keeps its selection in view).
    setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // Like a button: a press that is dragged off the label and released there does nothing.
    const bool wasPressed = m_pressed;
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    // As a push button: Return and Enter act at once, Space when it is let go.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            m_spaceDown = true;
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void LinkLabel::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        QLabel::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (m_spaceDown) {
        m_spaceDown = false;
        emit clicked();
    }
}

void LinkLabel::focusOutEvent(QFocusEvent* event)
{
    m_spaceDown = false;
    QLabel::focusOutEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}
