#pragma once
// The program's own help: HTML pages kept among the resources (":/help/"), a list of topics that a
// search box narrows to the topics containing the words typed, and a browser with Back and Forward.
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace tarvelo::app {

struct HelpTopic {
    QString page;   // "scheduler.html"
    QString title;  // as the page's <title> names it
    QString plainText;
};

// The topics whose title or text contains every word of query, letter case ignored; all for a blank query.
std::vector<int> matchingTopics(const std::vector<HelpTopic>& topics, const QString& query);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showContents();
    // Shows the window with the focus in the search box.
    void showSearch();
    void showHelpOnHelp();
    void showPage(const QString& page);

    QLineEdit* searchBox() const { return m_search; }
    QListWidget* topicList() const { return m_topics; }
    QTextBrowser* browser() const { return m_browser; }
    const std::vector<HelpTopic>& topics() const { return m_allTopics; }

private:
    void refilter();
    void bringUp();

    std::vector<HelpTopic> m_allTopics;
    QLineEdit* m_search = nullptr;
    QListWidget* m_topics = nullptr;
    QTextBrowser* m_browser = nullptr;
};

}  // namespace tarvelo::app
