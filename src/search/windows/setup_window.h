#pragma once
// The Setup dialog over the program-wide settings (rules in search/setup.h). Its controls are bound to
// the live settings: a ticked box or an accepted expiry changes the setting at once. The window keeps
// its position under "Setup".
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tarvelo {
class ProfileFile;
struct Settings;
}  // namespace tarvelo

namespace tarvelo::ui {
class MessageBoxPort;
}  // namespace tarvelo::ui

namespace tarvelo::search {

class SetupWindow : public QDialog {
    Q_OBJECT
public:
    // settings, ini and messages must outlive the window. messages tells of settings that could not be
    // saved.
    SetupWindow(Settings& settings, ProfileFile& ini, ui::MessageBoxPort& messages, QWidget* parent = nullptr);

    // Runs the dialog modally to its end: the frame's "&Setup".
    static void run(Settings& settings, ProfileFile& ini, ui::MessageBoxPort& messages, QWidget* parent);

    QLineEdit* expiryEntry() const { return m_expiry; }
    QCheckBox* showScheduleBox() const { return m_showSchedule; }
    QCheckBox* showToDoBox() const { return m_showToDo; }
    QCheckBox* minimizedBox() const { return m_minimized; }
    QCheckBox* activeBox() const { return m_active; }
    QCheckBox* fullScheduleBox() const { return m_fullSchedule; }
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
    ui::MessageBoxPort& m_messages;
    bool m_opened = false;
    bool m_positionSaved = false;
    QLineEdit* m_expiry = nullptr;
    QCheckBox* m_showSchedule = nullptr;
    QCheckBox* m_showToDo = nullptr;
    QCheckBox* m_minimized = nullptr;
    QCheckBox* m_active = nullptr;
    QCheckBox* m_fullSchedule = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo::search
