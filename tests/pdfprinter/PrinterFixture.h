#pragma once

#include "pdfprinter/PdfPrinter.h"
#include "platform/messages/WindowMessages.h"
#include "tests/support/TempHome.h"

#include <QList>
#include <QObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A window that records the printer's registered messages.
class MessageWindow : public QObject
{
public:
    struct Message
    {
        QString name;
        qintptr wParam;
        QString detail;
    };

    bool event(QEvent* event) override;
    // Delivers what was posted to this window, then answers everything received so far.
    QList<Message> deliver();

private:
    QList<Message> m_received;
};

// A printer initialised as the program does, with its profile selected and the options a run
// writes, saving into a fresh folder; HOME and the XDG folders are private to the test.
class PrinterFixture : public ::testing::Test
{
protected:
    PrinterFixture();

    void writeRunOptions();
    void setNumber(const QString& option, int value);
    void setText(const QString& option, const QString& value);
    // Prints text lines as the text route does and answers whether the PDF was written.
    bool printLines(const QString& title, const QStringList& lines);
    // A one-page PDF as a renderer would hand it over, showing `text`.
    QString makeRenderedPdf(const QString& fileName, const QString& text);
    QString output(const QString& fileName) const { return m_out.filePath(fileName); }
    QString input(const QString& fileName) const { return m_in.filePath(fileName); }
    // The names in the output folder, hidden ones included.
    QStringList outputEntries() const;
    static QString readAll(const QString& file);

    TempHome m_home;
    QTemporaryDir m_in;
    QTemporaryDir m_out;
    PdfPrinter m_printer;
    MessageWindow m_window;
};
