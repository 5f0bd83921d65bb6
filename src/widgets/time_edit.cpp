#include "widgets/time_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "core/picture.h"
#include "widgets/date_edit.h"

namespace tarvelo::widgets {

TimeEdit::TimeEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(this, &QAbstractSpinBox::editingFinished, this, &TimeEdit::complete);
}

QString TimeEdit::shown() const { return QString::fromStdString(formatTime3(m_time)); }

void TimeEdit::setTime(StdTime time) {
    m_time = time;
    lineEdit()->setText(shown());
}

QValidator::State TimeEdit::validate(QString&, int&) const {
    // Half-typed times are allowed while typing; the whole text is judged when the entry is completed.
    return QValidator::Intermediate;
}

QAbstractSpinBox::StepEnabled TimeEdit::stepEnabled() const {
    if (isReadOnly()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void TimeEdit::stepBy(int steps) {
    // Start from what is typed when it reads as a time, so arrows continue from the text shown.
    StdTime base = m_time;
    if (const std::optional<StdTime> typed = parseTime(lineEdit()->text().toStdString()); typed && *typed != 0)
        base = *typed;
    if (base == 0) base = 1;
    const std::int64_t minutes = kOneDay / kOneMinute;
    const std::int64_t index = (static_cast<std::int64_t>(base) - 1) / kOneMinute;
    const std::int64_t rest = (static_cast<std::int64_t>(base) - 1) % kOneMinute;
    std::int64_t moved = (index + steps) % minutes;
    if (moved < 0) moved += minutes;
    setTime(static_cast<StdTime>(moved * kOneMinute + rest + 1));
    lineEdit()->selectAll();
    emit accepted(m_time);
}

void TimeEdit::keyPressEvent(QKeyEvent* event) {
    if (isEnterKey(*event) && !isReadOnly() && !parseTime(lineEdit()->text().toStdString())) {
        refuse();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TimeEdit::refuse() {
    setTime(m_time);
    lineEdit()->selectAll();
    refuseEntry(*this);
    emit refused();
}

void TimeEdit::complete() {
    if (isReadOnly()) return;
    const QString text = lineEdit()->text();
    // Seconds are not shown; an entry left as shown keeps them.
    if (text == shown()) return;
    const std::optional<StdTime> parsed = parseTime(text.toStdString());
    if (!parsed) {
        refuse();
        return;
    }
    setTime(*parsed);
    emit accepted(*parsed);
}

}  // namespace tarvelo::widgets
