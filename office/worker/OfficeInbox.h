#pragma once

#include <QString>

// The one folder of documents the confined office may read, inside its own folder. Each
// document is copied in before the office opens it, so a link in it to "../picture.png" finds
// nothing there; the office writes the PDF beside it, and the PDF is then delivered where it was
// asked for. What a document leaves is removed before the next one comes in.
class OfficeInbox
{
public:
    explicit OfficeInbox(QString folder);
    ~OfficeInbox();
    OfficeInbox(const OfficeInbox&) = delete;
    OfficeInbox& operator=(const OfficeInbox&) = delete;

    // Moves the copy the program made of a document in, under its name, from which the office
    // learns its type too. Its path there, or empty with the reason in `why`.
    QString bringIn(const QString& document, QString* why);
    // Where the office writes the PDF of the document brought in.
    QString pdf() const;
    // Moves that PDF to `target`; false with the reason in `why`.
    bool deliver(const QString& target, QString* why);
    void clear();

private:
    QString m_folder;
};
