#include "tests/pdfprinter/PrinterFixture.h"
#include "tests/support/TestProgress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>

bool MessageWindow::event(QEvent* event)
{
    for (const QString& name : {kFileSavedMessageName, kPrintErrorMessageName}) {
        if (event->type() == RegisterWindowMessage(name)) {
            const auto* message = static_cast<WindowMessageEvent*>(event);
            m_received.append({name, message->wParam(), message->detail()});
            return true;
        }
    }
    return QObject::event(event);
}

QList<MessageWindow::Message> MessageWindow::deliver()
{
    QCoreApplication::sendPostedEvents(this);
    return m_received;
}

PrinterFixture::PrinterFixture()
{
    EXPECT_EQ(m_printer.InitializeOptions("Corvanta", "Corvanta"), kPrinterOk);
    EXPECT_EQ(m_printer.CreateProfile(kProfileName, 0), kPrinterOk);
    EXPECT_EQ(m_printer.SelectActiveProfile(kProfileName, 0), kPrinterOk);
    EXPECT_EQ(m_printer.AttachMessageWindow(&m_window), kPrinterOk);
    writeRunOptions();
}

void PrinterFixture::writeRunOptions()
{
    setNumber("Use Text Compression", 1);
    setNumber("AnalyzeUrl", 1);
    setNumber("Post Save Open", 0);
    setNumber("Prompt Save Dialog", 0);
    setText("Save File", "[N]");
    setNumber("File Conflict Strategy", 3);
    setText("Document Subject", "Corvanta document");
    setText("Document Title", "PDF Created by Corvanta Professional");
    setNumber("SilentPrint", 1);
    setNumber("Level", 0);
    setNumber("AllowPrint", 1);
    setNumber("AllowModify", 1);
    setNumber("AllowCopyExtract", 1);
    setText("Save Folder", m_out.path());
}

void PrinterFixture::setNumber(const QString& option, int value)
{
    EXPECT_EQ(m_printer.SetNumberOption(option, value, kProfileName, 0), kPrinterOk)
        << qPrintable(option);
}

void PrinterFixture::setText(const QString& option, const QString& value)
{
    EXPECT_EQ(m_printer.SetTextOption(option, value, kProfileName, 0), kPrinterOk)
        << qPrintable(option);
}

bool PrinterFixture::printLines(const QString& title, const QStringList& lines)
{
    IPrintCanvas* canvas = m_printer.beginDocument(title);
    if (!canvas)
        return false;
    canvas->setFontPointSize(18);
    for (int i = 0; i < lines.size(); ++i)
        canvas->drawText(50, 38 * (i + 1), lines[i]);
    return m_printer.endDocument(unwatched());
}

QStringList PrinterFixture::outputEntries() const
{
    return QDir(m_out.path())
        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QString PrinterFixture::readAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString PrinterFixture::makeRenderedPdf(const QString& fileName, const QString& text)
{
    const QString path = input(fileName);
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::Letter));
    QPainter painter(&writer);
    painter.drawText(QPointF(72, 72), text);
    painter.end();
    return path;
}
