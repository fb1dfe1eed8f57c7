#pragma once

#include "common/Dialogs.h"

#include <QPointer>
#include <QWidget>
#include <memory>

// The interactive dialogs: Qt message boxes and file and folder dialogs owned by a window.
class QtDialogs final : public Dialogs
{
public:
    explicit QtDialogs(QWidget* owner = nullptr);
    ~QtDialogs() override;

    void setOwner(QWidget* owner) { m_owner = owner; }

    void message(const QString& text, Icon icon = Icon::None) override;
    Answer ask(const QString& text, bool offerToAll) override;
    QStringList chooseFiles(const FileRequest& request) override;
    std::optional<QString> supplyPassword(const QString& userName) override;
    std::optional<QString> browseFolder(const QString& instruction,
                                        const QString& startFolder) override;
    void dismissAll() override;

private:
    QPointer<QWidget> m_owner;
    bool m_dismissed = false;
    // Made once and kept: its password edit keeps its text between uses.
    std::unique_ptr<class TfrmPassword> m_password;
};
