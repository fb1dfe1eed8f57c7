#pragma once

#include "common/Dialogs.h"

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
    Answer ask(const QString& text, bool offerToAll) override
    {
        questions.append(text);
        toAllOffered.append(offerToAll);
        if (!answers.isEmpty())
            return answers.dequeue();
        return confirmAnswers.isEmpty() || confirmAnswers.dequeue() ? Answer::Yes : Answer::No;
    }
    QStringList chooseFiles(const FileRequest& request) override
    {
        fileRequests.append(request);
        if (fileAnswers.isEmpty())
            return {};
        const QString answer = fileAnswers.dequeue();
        return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
    }
    std::optional<QString> supplyPassword(const QString& userName) override
    {
        passwordRequests.append(userName);
        return passwordAnswers.isEmpty() ? std::nullopt : passwordAnswers.dequeue();
    }
    std::optional<QString> browseFolder(const QString& instruction,
                                        const QString& startFolder) override
    {
        folderRequests.append(instruction);
        folderStarts.append(startFolder);
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
    QList<bool> toAllOffered;
    QList<FileRequest> fileRequests;
    QStringList folderRequests;
    QStringList folderStarts;
    QStringList passwordRequests;
    QQueue<std::optional<QString>> passwordAnswers; // nullopt: the dialog was abandoned
    QQueue<bool> confirmAnswers;                    // Yes or No, when `answers` has none
    QQueue<Answer> answers;
    QQueue<QString> fileAnswers; // several files: separated by line feeds
    QQueue<std::optional<QString>> folderAnswers;
};
