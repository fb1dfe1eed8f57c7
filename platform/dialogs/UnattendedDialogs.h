#pragma once

#include "common/Dialogs.h"

#include <cstdio>

// For runs nobody watches: every message goes to standard error and every question is answered
// at once with its default (Yes for a confirmation, cancel for a file or folder dialog).
class UnattendedDialogs final : public Dialogs
{
public:
    explicit UnattendedDialogs(std::FILE* out = stderr) : m_out(out) {}

    void message(const QString& text, Icon icon = Icon::None) override;
    Answer ask(const QString& text, bool offerToAll) override;
    QStringList chooseFiles(const FileRequest& request) override;
    std::optional<QString> supplyPassword(const QString& userName) override;
    std::optional<QString> browseFolder(const QString& instruction,
                                        const QString& startFolder) override;

    int messageCount() const { return m_messages; }

private:
    void write(const QString& text);

    std::FILE* m_out;
    int m_messages = 0;
};
