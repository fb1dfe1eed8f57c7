#pragma once

#include "helpviewer/HelpEngine.h"

#include <QPointer>

class HelpWindow;

// The program's own help viewer: compiled HTML help files in one help window of the program's,
// which belongs to no other window. A request shows its topic in that window when it is open.
class ChmHelpEngine final : public HelpEngine
{
public:
    ~ChmHelpEngine() override;

    bool available() const override { return true; }
    void hook(const QString&) override {}
    void unhook() override {}
    // A missing or damaged file, or a topic it lacks, shows a short notice in the window.
    void showTopic(const QString& fileAndTopic) override;
    void closeAll() override;

    // The open help window, if any.
    HelpWindow* window() const;

private:
    QPointer<HelpWindow> m_window;
};
