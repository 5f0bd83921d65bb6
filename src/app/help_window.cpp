#include "app/help_window.h"
#include "widgets/program_icon.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

namespace tarvelo::app {

namespace {

const char* const kPages[] = {"contents.html", "scheduler.html", "menus.html",     "schedule.html",
                              "messages.html", "programs.html",  "files.html",     "using_help.html"};

const QString kRoot = QStringLiteral("qrc:/help/");

HelpTopic loadTopic(const QString& page) {
    HelpTopic topic{page, page, QString()};
    QFile file(QStringLiteral(":/help/") + page);
    if (!file.open(QIODevice::ReadOnly)) return topic;
    const QString html = QString::fromUtf8(file.readAll());
    const QRegularExpressionMatch title = QRegularExpression(QStringLiteral("<title>(.*?)</title>")).match(html);
    if (title.hasMatch()) topic.title = title.captured(1);
    QTextDocument document;
    document.setHtml(html);
    topic.plainText = document.toPlainText();
    return topic;
}

}  // namespace

std::vector<int> matchingTopics(const std::vector<HelpTopic>& topics, const QString& query) {
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    std::vector<int> result;
    for (int i = 0; i < static_cast<int>(topics.size()); ++i) {
        const HelpTopic& t = topics[static_cast<std::size_t>(i)];
        bool all = true;
        for (const QString& w : words) {
            if (!t.title.contains(w, Qt::CaseInsensitive) && !t.plainText.contains(w, Qt::CaseInsensitive)) {
                all = false;
                break;
            }
        }
        if (all) result.push_back(i);
    }
    return result;
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("Tarvelo '96 Help"));
    setWindowIcon(widgets::programIcon());
    for (const char* page : kPages) m_allTopics.push_back(loadTopic(QString::fromLatin1(page)));

    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(QStringLiteral("Search for..."));
    m_search->setClearButtonEnabled(true);
    m_topics = new QListWidget(this);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(false);
    m_browser->setSearchPaths({QStringLiteral(":/help")});

    auto* toolbar = new QToolBar(this);
    toolbar->addAction(QStringLiteral("Contents"), this, &HelpWindow::showContents);
    toolbar->addAction(QStringLiteral("Back"), m_browser, &QTextBrowser::backward);
    toolbar->addAction(QStringLiteral("Forward"), m_browser, &QTextBrowser::forward);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_search);
    sideLayout->addWidget(m_topics, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(side);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolbar);
    layout->addWidget(splitter, 1);

    connect(m_search, &QLineEdit::textChanged, this, &HelpWindow::refilter);
    connect(m_topics, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        showPage(item->data(Qt::UserRole).toString());
    });
    connect(m_topics, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        showPage(item->data(Qt::UserRole).toString());
    });
    refilter();
    resize(720, 480);
}

void HelpWindow::refilter() {
    m_topics->clear();
    for (int i : matchingTopics(m_allTopics, m_search->text())) {
        const HelpTopic& t = m_allTopics[static_cast<std::size_t>(i)];
        auto* item = new QListWidgetItem(t.title, m_topics);
        item->setData(Qt::UserRole, t.page);
    }
}

void HelpWindow::showPage(const QString& page) {
    m_browser->setSource(QUrl(kRoot + page));
    bringUp();
}

void HelpWindow::bringUp() {
    show();
    raise();
    activateWindow();
}

void HelpWindow::showContents() { showPage(QStringLiteral("contents.html")); }

void HelpWindow::showSearch() {
    bringUp();
    m_search->setFocus();
    m_search->selectAll();
}

void HelpWindow::showHelpOnHelp() { showPage(QStringLiteral("using_help.html")); }

}  // namespace tarvelo::app
