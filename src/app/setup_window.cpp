#include "app/setup_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/profile.h"
#include "core/settings.h"
#include "platform/ports.h"
#include "widgets/date_edit.h"
#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo::app {

namespace {

constexpr std::string_view kSetupSection = "Setup";

platform::MessageBoxRequest settingsNotSaved(const std::string& iniPath) {
    return {"The settings could not be saved in " + iniPath +
                ". They stay in effect until the program ends; the next start will not have them.",
            "Setup", platform::Icon::Exclamation, platform::kOk, platform::kOk};
}

QRect dialogRect(const QWidget& window, int x, int y, int width, int height) {
    const QSize origin = widgets::dialogSize(window, x, y);
    return {QPoint(origin.width(), origin.height()), widgets::dialogSize(window, width, height)};
}

}  // namespace

SetupWindow::SetupWindow(Settings& settings, ProfileFile& ini, platform::MessageBoxPort& messages, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_ini(ini), m_messages(messages) {
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QStringLiteral("Setup"));
    setFont(widgets::windowFont());
    setFixedSize(widgets::dialogSize(*this, 185, 147));

    // Made in tab order: OK first, then the entry, the check boxes and Cancel.
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setGeometry(dialogRect(*this, 56, 125, 35, 14));
    widgets::setDefaultButton(*m_ok);

    m_expiry = new QLineEdit(this);
    m_expiry->setMaxLength(kExpiryEntryWidth);
    m_expiry->setAlignment(Qt::AlignRight);
    m_expiry->setStatusTip(QStringLiteral("History expires in how many days"));
    m_expiry->setToolTip(QStringLiteral("History expires in how many days (0 keeps completed tasks for ever; so "
                                        "does a negative number)"));
    m_expiry->setGeometry(dialogRect(*this, 128, 13, 18, 12));

    auto* prompt = new QLabel(QStringLiteral("Removed Completed Tasks After:"), this);
    prompt->adjustSize();
    prompt->move(dialogRect(*this, 21, 15, 0, 0).topLeft());
    // The prompt ends where the entry begins.
    prompt->move(m_expiry->x() - prompt->width() - 4, prompt->y());
    auto* days = new QLabel(QStringLiteral("Days"), this);
    days->adjustSize();
    days->move(dialogRect(*this, 149, 15, 0, 0).topLeft());

    auto check = [this](const char* text, int y) {
        auto* box = new QCheckBox(QString::fromUtf8(text), this);
        box->adjustSize();
        box->move(dialogRect(*this, 44, y, 0, 0).topLeft());
        return box;
    };
    m_showSchedule = check("Show schedule at start up", 30);
    m_showToDo = check("Show To Do List at start up", 43);
    m_minimized = check("Minimize at start up", 56);
    m_active = check("Scheduler active", 69);
    m_fullSchedule = check("Show full schedule initially", 82);
    // The autostart entry of the installed program opens it minimized at login only while this is on.
    m_startAtLogin = check("Start at login", 95);
    m_notifyFailures = check("Notify when a task's program fails", 108);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(dialogRect(*this, 100, 125, 36, 14));

    // Bound live: a user's tick changes the setting at once (a refresh only shows, it never writes, so a
    // flag stored as 2 stays 2 unless the user changes it).
    const auto bind = [](QCheckBox* box, std::uint8_t& flag) {
        connect(box, &QCheckBox::toggled, box, [&flag](bool on) { flag = on ? 1 : 0; });
    };
    bind(m_showSchedule, m_settings.showScheduleAtStart);
    bind(m_showToDo, m_settings.showToDoAtStart);
    bind(m_minimized, m_settings.startMinimized);
    bind(m_active, m_settings.schedulerActive);
    bind(m_fullSchedule, m_settings.showFullSchedule);
    bind(m_startAtLogin, m_settings.startAtLogin);
    bind(m_notifyFailures, m_settings.notifyFailures);
    connect(m_expiry, &QLineEdit::editingFinished, this, &SetupWindow::takeExpiry);
    connect(m_ok, &QPushButton::clicked, this, &SetupWindow::accept);
    connect(m_cancel, &QPushButton::clicked, this, &SetupWindow::reject);

    refresh();
    widgets::restoreWindowPosition(*this, m_ini, kSetupSection);
}

void SetupWindow::run(Settings& settings, ProfileFile& ini, platform::MessageBoxPort& messages, QWidget* parent) {
    SetupWindow window(settings, ini, messages, parent);
    window.exec();
}

void SetupWindow::refresh() {
    const auto show = [](QCheckBox* box, std::uint8_t flag) {
        const QSignalBlocker quiet(box);
        box->setChecked(flag != 0);
    };
    show(m_showSchedule, m_settings.showScheduleAtStart);
    show(m_showToDo, m_settings.showToDoAtStart);
    show(m_minimized, m_settings.startMinimized);
    show(m_active, m_settings.schedulerActive);
    show(m_fullSchedule, m_settings.showFullSchedule);
    show(m_startAtLogin, m_settings.startAtLogin);
    show(m_notifyFailures, m_settings.notifyFailures);
    if (!m_expiry->isModified()) m_expiry->setText(QString::number(m_settings.historyExpiryDays));
}

void SetupWindow::takeExpiry() {
    if (!m_expiry->isModified()) return;
    const std::optional<std::int32_t> days = parseExpiryDays(m_expiry->text().toStdString());
    if (!days) {
        // Refused: a beep and the setting's value shown again.
        m_expiry->setModified(false);
        m_expiry->setText(QString::number(m_settings.historyExpiryDays));
        m_expiry->selectAll();
        widgets::refuseEntry(*m_expiry);
        return;
    }
    m_settings.historyExpiryDays = *days;
    m_expiry->setModified(false);
    m_expiry->setText(QString::number(*days));
}

void SetupWindow::accept() {
    takeExpiry();
    if (!writeSettings(m_ini, m_settings)) m_messages.show(settingsNotSaved(m_ini.path()));
    savePosition();
    QDialog::accept();
}

void SetupWindow::reject() {
    readSettings(m_ini, m_settings);
    savePosition();
    QDialog::reject();
}

void SetupWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        m_ok->setFocus();
    }
}

void SetupWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Each later gain of focus shows the settings again.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_opened) refresh();
}

void SetupWindow::closeEvent(QCloseEvent* event) {
    // The close box: the edits stay live but unsaved, and nothing is read back.
    takeExpiry();
    savePosition();
    event->accept();
    done(QDialog::Rejected);
}

void SetupWindow::savePosition() {
    if (m_positionSaved) return;
    m_positionSaved = true;
    widgets::saveWindowPosition(*this, m_ini, kSetupSection);
}

}  // namespace tarvelo::app
