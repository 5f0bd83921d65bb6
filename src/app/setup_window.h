#pragma once
// Setup: the preferences. The dialog edits the six program-wide settings in place, so every edit takes
// effect at once (the scheduler reads SchedulerActive on its next tick, the purge HistoryExpiryDays on its
// next pass): its controls are bound to the live settings, a ticked box or an accepted expiry changes the
// setting at once. OK keeps the edits by writing section "Settings" of the main INI file (writeSettings);
// a file that cannot be written is told in a box, as the next start would not have them. Cancel undoes
// the edits by reading that section back (readSettings), which holds what the settings were when the
// dialog opened; the close box does neither, so the edits stay live until the program ends but the next
// start-up returns to the file. The window keeps its position under "Setup".
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tarvelo {
class ProfileFile;
struct Settings;
}  // namespace tarvelo

namespace tarvelo::platform {
class MessageBoxPort;
}  // namespace tarvelo::platform

namespace tarvelo::app {

class SetupWindow : public QDialog {
    Q_OBJECT
public:
    // settings, ini and messages must outlive the window. messages tells of settings that could not be
    // saved.
    SetupWindow(Settings& settings, ProfileFile& ini, platform::MessageBoxPort& messages, QWidget* parent = nullptr);

    // Runs the dialog modally to its end: the frame's "&Setup".
    static void run(Settings& settings, ProfileFile& ini, platform::MessageBoxPort& messages, QWidget* parent);

    QLineEdit* expiryEntry() const { return m_expiry; }
    QCheckBox* showScheduleBox() const { return m_showSchedule; }
    QCheckBox* showToDoBox() const { return m_showToDo; }
    QCheckBox* minimizedBox() const { return m_minimized; }
    QCheckBox* activeBox() const { return m_active; }
    QCheckBox* fullScheduleBox() const { return m_fullSchedule; }
    QCheckBox* notifyFailuresBox() const { return m_notifyFailures; }
    QCheckBox* startAtLoginBox() const { return m_startAtLogin; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void takeExpiry();
    void savePosition();

    Settings& m_settings;
    ProfileFile& m_ini;
    platform::MessageBoxPort& m_messages;
    bool m_opened = false;
    bool m_positionSaved = false;
    QLineEdit* m_expiry = nullptr;
    QCheckBox* m_showSchedule = nullptr;
    QCheckBox* m_showToDo = nullptr;
    QCheckBox* m_minimized = nullptr;
    QCheckBox* m_active = nullptr;
    QCheckBox* m_fullSchedule = nullptr;
    QCheckBox* m_notifyFailures = nullptr;
    QCheckBox* m_startAtLogin = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo::app
