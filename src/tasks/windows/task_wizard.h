#pragma once
// The wizards that add a task (AddTaskWizard, AddProgramWizard, AddMessageWizard) and the one that makes
// a one-off special event of an existing task (SpecialEventWizard): a thin view that lays the task
// form's fields out as pages over a TaskWizardSession, which holds every rule.
//
//   TaskWizardWindow* w = TaskWizardWindow::open(WizardKind::addMessage, services, frame);
//
// opens a wizard without waiting for it (nullptr when it could not start: its message has been shown),
// as a child window when the parent is the frame's document area; the window deletes itself when it
// closes and emits ended() first. Any way of closing other than a
// successful "&Finish" removes the reserved record again.
#include <array>
#include <functional>
#include <memory>

#include <QDialog>

#include "tasks/windows/update_schedule.h"
#include "tasks/wizard_session.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace tarvelo {

namespace ui {
class DateEdit;
class TimeEdit;
}  // namespace ui

class TaskWizardWindow : public QDialog {
    Q_OBJECT
public:
    // source: the task to reschedule (WizardKind::specialEvent only).
    static TaskWizardWindow* open(WizardKind kind, const TaskFormServices& services, QWidget* parent = nullptr,
                                  const Schedule& source = {});

    // REQUIRES: session->start() returned true.
    TaskWizardWindow(std::unique_ptr<TaskWizardSession> session, const TaskFormServices& services,
                     QWidget* parent = nullptr);
    ~TaskWizardWindow() override;

    TaskWizardSession& session() { return *m_session; }
    void done(int r) override;

    // The controls, for the tests and for anyone driving the wizard; nullptr where the wizard has none.
    QStackedWidget* pages() const { return m_pages; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* nextButton() const { return m_next; }
    QPushButton* finishButton() const { return m_finish; }
    QPushButton* cancelButton() const { return m_cancel; }
    QRadioButton* taskTypeButton(int i) const { return m_taskTypes[static_cast<std::size_t>(i)]; }
    QComboBox* categoryList() const { return m_category; }
    QLineEdit* descriptionEntry() const { return m_description; }
    QLineEdit* commandEntry() const { return m_command; }
    QLineEdit* pathEntry() const { return m_path; }
    QPushButton* commandBrowseButton() const { return m_commandBrowse; }
    QPlainTextEdit* messageText() const { return m_message; }
    QRadioButton* scheduleTypeButton(int i) const { return m_scheduleTypes[static_cast<std::size_t>(i)]; }
    QCheckBox* ordinalBox(int i) const { return m_ordinals[static_cast<std::size_t>(i)]; }
    QCheckBox* weekdayBox(int i) const { return m_weekdays[static_cast<std::size_t>(i)]; }
    QLineEdit* everyEntry() const { return m_every; }
    QGroupBox* everyTypeGroup() const { return m_everyTypeGroup; }
    ui::DateEdit* nextDateEntry() const { return m_date; }
    QPushButton* nextDateCalendarButton() const { return m_dateCalendar; }
    QLabel* timePrompt() const { return m_timePrompt; }
    ui::TimeEdit* timeEntry() const { return m_time; }
    QCheckBox* skipBox() const { return m_skip; }
    ui::DateEdit* warnDateEntry() const { return m_warnDate; }
    QPushButton* warnDateCalendarButton() const { return m_warnCalendar; }
    ui::TimeEdit* warnTimeEntry() const { return m_warnTime; }
    QCheckBox* alarmBox() const { return m_alarm; }
    QLineEdit* wavEntry() const { return m_wavFile; }
    QPushButton* wavBrowseButton() const { return m_wavBrowse; }
    QPushButton* playButton() const { return m_play; }
    QCheckBox* warnBox() const { return m_warn; }
    QCheckBox* userSkipBox() const { return m_userSkip; }
    QCheckBox* disabledBox() const { return m_disabled; }

signals:
    // The wizard has closed: completed after a successful "&Finish", cancelled otherwise.
    void ended(tarvelo::Response response);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildPage(WizardPage page);
    QWidget* buildTaskPage();
    QWidget* buildCommandPage();
    QWidget* buildMessagePage();
    QWidget* buildWhenPage();
    QWidget* buildAdvancedPage();
    void addCommandControls(QWidget* page, QGridLayout* layout, int row);
    void addMessageControls(QWidget* page, QGridLayout* layout, int row, const char* text);
    void connectFields();
    void refresh();
    void applyVisibility();
    void showPage();
    void moveFocus(TaskFocus focus);
    void pressNext();
    void pressBack();
    void pressFinish();
    void openCalendar(bool nextDate);
    void everyEntered();

    std::unique_ptr<TaskWizardSession> m_session;
    std::function<StdDate(CalendarOptions)> m_calendar;
    bool m_refreshing = false;
    bool m_positioned = false;
    bool m_ended = false;

    QStackedWidget* m_pages = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
    std::array<QRadioButton*, 4> m_taskTypes{};
    std::array<QRadioButton*, 6> m_scheduleTypes{};
    std::array<QRadioButton*, 6> m_everyTypes{};
    std::array<QCheckBox*, 5> m_ordinals{};
    std::array<QCheckBox*, 7> m_weekdays{};
    QComboBox* m_category = nullptr;
    QLineEdit* m_description = nullptr;
    QWidget* m_commandControls[5] = {};  // the command page's controls, "Comma&nd:" to "Start &in:"
    QLineEdit* m_command = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_commandBrowse = nullptr;
    QPlainTextEdit* m_message = nullptr;
    QLabel* m_everyPrompt = nullptr;
    QLineEdit* m_every = nullptr;
    QGroupBox* m_everyTypeGroup = nullptr;
    ui::DateEdit* m_date = nullptr;
    QPushButton* m_dateCalendar = nullptr;
    QLabel* m_timePrompt = nullptr;
    ui::TimeEdit* m_time = nullptr;
    QCheckBox* m_skip = nullptr;
    ui::DateEdit* m_warnDate = nullptr;
    QPushButton* m_warnCalendar = nullptr;
    ui::TimeEdit* m_warnTime = nullptr;
    QCheckBox* m_alarm = nullptr;
    QLabel* m_wavPrompt = nullptr;
    QLineEdit* m_wavFile = nullptr;
    QPushButton* m_wavBrowse = nullptr;
    QPushButton* m_play = nullptr;
    QCheckBox* m_warn = nullptr;
    QCheckBox* m_userSkip = nullptr;
    QCheckBox* m_disabled = nullptr;
};

}  // namespace tarvelo
