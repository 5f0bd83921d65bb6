#pragma once
// ShowMessage: a non-modal window showing one task's message, with its own copy of the text, so later
// changes to the task or to the next message do not reach it. "&Ok" closes it; "&Add to To Do List" hands
// the window's copy of the text to the injected add-to-do function, once per press; the window stays open.
// Its position is kept under "ShowMessage".
#include <functional>
#include <string>

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace tarvelo::engine {

class MessageWindow : public QWidget {
    Q_OBJECT
public:
    // Receives the whole message; making a to-do item of it (and ignoring a failure) is the callee's affair.
    using AddToDo = std::function<void(const std::string& message)>;

    // parent: the window it is shown over (the frame places it in its document area); iniFile: where
    // positions are kept.
    MessageWindow(std::string message, AddToDo addToDo, std::string iniFile, QWidget* parent = nullptr);

    const std::string& message() const { return m_message; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* addToDoButton() const { return m_addToDo; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::string m_message;
    AddToDo m_addToDoFunction;
    std::string m_iniFile;
    bool m_opened = false;
    QPushButton* m_ok = nullptr;
    QPushButton* m_addToDo = nullptr;
    QPlainTextEdit* m_text = nullptr;
};

}  // namespace tarvelo::engine
