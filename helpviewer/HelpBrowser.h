#pragma once

#include <QTextBrowser>

class ChmFile;

// Shows the pages of one help file. Pages, pictures and style sheets come from that file only:
// nothing is read from the disk or the network, whatever a page links to.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    // The scheme of the addresses of pages inside the help file ("help:/Page.htm").
    static const QString kScheme;

    explicit HelpBrowser(QWidget* parent = nullptr);

    // `file` may be null (a notice is shown then); it must outlive its use here.
    void setFile(const ChmFile* file) { m_file = file; }
    QVariant loadResource(int type, const QUrl& name) override;

private:
    // Pages of the file open here; web addresses in the user's browser; anything else nowhere.
    void follow(const QUrl& link);

    const ChmFile* m_file = nullptr;
};
