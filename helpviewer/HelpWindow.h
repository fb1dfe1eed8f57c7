#pragma once

#include "helpviewer/Sitemap.h"

#include <QMainWindow>
#include <memory>

class ChmFile;
class HelpBrowser;
class QLineEdit;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The help window: a help file's pages with its table of contents and its index beside them,
// and Back, Forward and Home. It belongs to no other window.
class HelpWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Shows `file` (kept from now on) at `topic`, a path inside it; an empty topic is the file's
    // default page.
    void showFile(std::unique_ptr<ChmFile> file, const QString& filePath, const QString& topic);
    // Shows `topic` of the file shown.
    void showTopic(const QString& topic);
    // Shows a short notice in place of a page, the file shown (if any) forgotten.
    void showNotice(const QString& text);

    QString filePath() const { return m_filePath; }
    // The title of the page shown.
    QString pageTitle() const;
    HelpBrowser& browser() const { return *m_browser; }

private:
    void fillContents(QTreeWidgetItem* parent, const QList<SitemapEntry>& entries);
    void fillIndex(const QList<SitemapEntry>& entries, int depth);
    void filterIndex(const QString& text);
    void open(const QString& local);
    void pageShown(const QUrl& page);

    std::unique_ptr<ChmFile> m_file;
    QString m_filePath;
    HelpBrowser* m_browser;
    QTreeWidget* m_contents;
    QLineEdit* m_indexFilter;
    QListWidget* m_index;
};
