#pragma once

#include "platform/dialogs/Dialogs.h"

#include <QQueue>
#include <QStringList>

// Dialogs for tests: records every text shown and answers from scripted queues.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString text;
        Icon icon;
    };

    void message(const QString& text, Icon icon = Icon::None) override
    {
        shown.append({text, icon});
    }
    bool confirm(const QString& text) override
    {
        questions.append(text);
        return confirmAnswers.isEmpty() ? true : confirmAnswers.dequeue();
    }
    QString chooseFile(const FileRequest& request) override
    {
        fileRequests.append(request);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    std::optional<QString> browseFolder(const QString& instruction) override
    {
        folderRequests.append(instruction);
        return folderAnswers.isEmpty() ? std::nullopt : folderAnswers.dequeue();
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Shown& s : shown)
            all.append(s.text);
        return all;
    }

    QList<Shown> shown;
    QStringList questions;
    QList<FileRequest> fileRequests;
    QStringList folderRequests;
    QQueue<bool> confirmAnswers;
    QQueue<QString> fileAnswers;
    QQueue<std::optional<QString>> folderAnswers;
};
