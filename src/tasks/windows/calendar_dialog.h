#pragma once
// The calendar date picker: a modal month grid over a CalendarModel.
//
//   StdDate picked = CalendarDialog::pick(options, clock, messages, parent);
//
// returns the day the user picked, or the date it was opened with (Close, the close box).
#include <array>
#include <memory>

#include <QDialog>

#include "tasks/calendar_model.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvelo {

class CalendarDialog : public QDialog {
    Q_OBJECT
public:
    CalendarDialog(CalendarOptions options, platform::ClockPort& clock, platform::MessageBoxPort& messages,
                   QWidget* parent = nullptr);
    ~CalendarDialog() override;

    static StdDate pick(CalendarOptions options, platform::ClockPort& clock, platform::MessageBoxPort& messages,
                        QWidget* parent = nullptr);

    // The day picked, or the date opened with; valid once the dialog has finished.
    StdDate result() const { return m_result; }
    const CalendarModel& model() const { return m_model; }

    QPushButton* dayButton(int cell) const { return m_days[static_cast<std::size_t>(cell)]; }
    QLineEdit* monthEntry() const { return m_monthEntry; }
    QLineEdit* yearEntry() const { return m_yearEntry; }
    QPushButton* monthBack() const { return m_monthBack; }
    QPushButton* monthOn() const { return m_monthOn; }
    QPushButton* yearBack() const { return m_yearBack; }
    QPushButton* yearOn() const { return m_yearOn; }
    QPushButton* closeButton() const { return m_close; }

    void done(int r) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void dayPressed(int cell);
    void monthEntered();
    void yearEntered();

    CalendarModel m_model;
    StdDate m_result = 0;
    bool m_positioned = false;
    std::array<QPushButton*, kCalendarCells> m_days{};
    QLineEdit* m_monthEntry = nullptr;
    QLineEdit* m_yearEntry = nullptr;
    QPushButton* m_monthBack = nullptr;
    QPushButton* m_monthOn = nullptr;
    QPushButton* m_yearBack = nullptr;
    QPushButton* m_yearOn = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace tarvelo
