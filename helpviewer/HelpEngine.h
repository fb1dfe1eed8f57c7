#pragma once

#include <QString>

// The help viewer the program hands its help requests to. Every command must be harmless when
// no viewer is available: the program never looks at the results.
class HelpEngine
{
public:
    virtual ~HelpEngine() = default;

    virtual bool available() const = 0;
    // Binds the application's own help requests to one help file.
    virtual void hook(const QString& helpFile) = 0;
    virtual void unhook() = 0;
    // Shows a help file, or a topic of it in the form "file::/topic.htm".
    virtual void showTopic(const QString& fileAndTopic) = 0;
    virtual void closeAll() = 0;
};

// Used until a help viewer is built: answers "not available" and ignores every request.
class NoHelpEngine final : public HelpEngine
{
public:
    bool available() const override { return false; }
    void hook(const QString&) override {}
    void unhook() override {}
    void showTopic(const QString&) override {}
    void closeAll() override {}
};
