#include "helpviewer/HelpWindow.h"

#include "helpviewer/ChmFile.h"
#include "helpviewer/HelpBrowser.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kWindowTitle = "Corvanta Help";
constexpr int kLocalRole = Qt::UserRole;

QUrl pageUrl(const QString& local)
{
    QUrl url;
    url.setScheme(HelpBrowser::kScheme);
    const qsizetype hash = local.indexOf(QLatin1Char('#'));
    const QString path = hash < 0 ? local : local.left(hash);
    url.setPath(path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path);
    if (hash >= 0)
        url.setFragment(local.mid(hash + 1));
    return url;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QMainWindow(parent), m_browser(new HelpBrowser), m_contents(new QTreeWidget),
      m_indexFilter(new QLineEdit), m_index(new QListWidget)
{
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    resize(900, 640);

    m_contents->setHeaderHidden(true);
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { open(item->data(0, kLocalRole).toString()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { open(item->data(0, kLocalRole).toString()); });

    m_indexFilter->setPlaceholderText(QStringLiteral("Type a word to find"));
    m_indexFilter->setClearButtonEnabled(true);
    connect(m_indexFilter, &QLineEdit::textChanged, this, &HelpWindow::filterIndex);
    connect(m_indexFilter, &QLineEdit::returnPressed, this, [this] {
        for (int row = 0; row < m_index->count(); ++row) {
            if (!m_index->item(row)->isHidden()) {
                open(m_index->item(row)->data(kLocalRole).toString());
                return;
            }
        }
    });
    connect(m_index, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { open(item->data(kLocalRole).toString()); });
    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index);

    auto* tabs = new QTabWidget;
    tabs->addTab(m_contents, QStringLiteral("Contents"));
    tabs->addTab(indexPage, QStringLiteral("Index"));

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 660});
    setCentralWidget(splitter);

    QToolBar* tools = addToolBar(QStringLiteral("Navigation"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack),
                                     QStringLiteral("Back"), m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QAction* forward =
        tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"),
                         m_browser, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Home"), this,
                     [this] { showTopic({}); });

    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::pageShown);
}

HelpWindow::~HelpWindow()
{
    m_browser->setFile(nullptr);
}

void HelpWindow::showFile(std::unique_ptr<ChmFile> file, const QString& filePath,
                          const QString& topic)
{
    m_browser->setFile(nullptr);
    m_browser->clearHistory();
    m_file = std::move(file);
    m_filePath = filePath;
    m_browser->setFile(m_file.get());

    m_contents->clear();
    m_index->clear();
    if (const auto contents = m_file->read(m_file->contentsFile()))
        fillContents(nullptr, ParseSitemap(*contents));
    if (const auto index = m_file->read(m_file->indexFile()))
        fillIndex(ParseSitemap(*index), 0);
    m_contents->expandToDepth(0);
    showTopic(topic);
}

void HelpWindow::showTopic(const QString& topic)
{
    if (!m_file)
        return;
    const QString page = topic.isEmpty() ? m_file->defaultTopic() : topic;
    const QUrl url = pageUrl(page);
    if (!m_file->read(url.path())) {
        showNotice(QStringLiteral("The help file %1 has no page %2.").arg(m_filePath, page));
        return;
    }
    m_browser->setSource(url);
}

void HelpWindow::showNotice(const QString& text)
{
    m_browser->setFile(nullptr);
    m_file.reset();
    m_filePath.clear();
    m_contents->clear();
    m_index->clear();
    m_browser->clearHistory();
    m_browser->setSource({});
    m_browser->setHtml(QStringLiteral("<h3>%1</h3><p>%2</p>")
                           .arg(QString::fromLatin1(kWindowTitle), text.toHtmlEscaped()));
    setWindowTitle(QString::fromLatin1(kWindowTitle));
}

QString HelpWindow::pageTitle() const
{
    return m_browser->documentTitle();
}

void HelpWindow::fillContents(QTreeWidgetItem* parent, const QList<SitemapEntry>& entries)
{
    for (const SitemapEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, entry.name);
        item->setData(0, kLocalRole, entry.local);
        fillContents(item, entry.children);
    }
}

void HelpWindow::fillIndex(const QList<SitemapEntry>& entries, int depth)
{
    for (const SitemapEntry& entry : entries) {
        auto* item = new QListWidgetItem(
            QString(qsizetype(depth) * 4, QLatin1Char(' ')) + entry.name, m_index);
        item->setData(kLocalRole, entry.local);
        fillIndex(entry.children, depth + 1);
    }
}

void HelpWindow::filterIndex(const QString& text)
{
    for (int row = 0; row < m_index->count(); ++row) {
        QListWidgetItem* item = m_index->item(row);
        item->setHidden(!item->text().contains(text.trimmed(), Qt::CaseInsensitive));
    }
}

void HelpWindow::open(const QString& local)
{
    if (!local.isEmpty())
        showTopic(local);
}

// The title follows the page, and the table of contents marks it.
void HelpWindow::pageShown(const QUrl& page)
{
    const QString title = pageTitle();
    const QString file =
        m_file && !m_file->title().isEmpty() ? m_file->title() : QString::fromLatin1(kWindowTitle);
    setWindowTitle(title.isEmpty() ? file : title + QStringLiteral(" - ") + file);

    const QString shown = page.path();
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QString local = pageUrl((*it)->data(0, kLocalRole).toString()).path();
        if (local.compare(shown, Qt::CaseInsensitive) == 0) {
            m_contents->setCurrentItem(*it);
            return;
        }
    }
}
