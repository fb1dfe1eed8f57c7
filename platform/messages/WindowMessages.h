#pragma once

#include <QEvent>
#include <QString>

// Registered window messages: a process-wide table from message name to an event type.
// The same name always gives the same number; 0 means "not registered".
int RegisterWindowMessage(const QString& name);

// A registered message as it arrives at a window, with its two parameters and, where the
// sender has one, a text that says what the message is about (which file, and why).
class WindowMessageEvent : public QEvent
{
public:
    WindowMessageEvent(int type, qintptr wParam, qintptr lParam, QString detail = {})
        : QEvent(static_cast<QEvent::Type>(type)), m_wParam(wParam), m_lParam(lParam),
          m_detail(std::move(detail))
    {
    }

    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }
    const QString& detail() const { return m_detail; }

private:
    qintptr m_wParam;
    qintptr m_lParam;
    QString m_detail;
};

// Posts a registered message to a window; it is handled when that window's thread
// processes its events. Does nothing when the window or the message number is missing.
void PostWindowMessage(class QObject* window, int message, qintptr wParam, qintptr lParam,
                       const QString& detail = {});

inline const QString kFileSavedMessageName = QStringLiteral("PDFPRINTER_FILESAVED");
inline const QString kPrintErrorMessageName = QStringLiteral("PDFPRINTER_PRINTERROR");
