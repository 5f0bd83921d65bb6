#pragma once
// Entry fields with the date and time pictures of the program.
//
// DateEdit shows a Standard date as @d3 ("Jan 31, 1997") and reads what a person types back: "Jan 31,
// 1997", "1/31/1997", "1997-01-31", or a blank text for no date. TimeEdit is a spin box that shows a
// Standard time as @t3 ("5:30PM"), reads "5:30PM", "17:30" and the like, and steps by a minute.
//
// When the user completes an entry (Enter, or leaving it after a change), a text that fits is taken and
// accepted() is emitted with the value; a text that does not fit is refused: the entry beeps, shows the
// value it had again, keeps the focus, and emits refused(). Enter on a refused text goes no further: the
// dialog's default button does not fire. setDate()/setTime() only show a value, they emit nothing.
#include <QKeyEvent>
#include <QLineEdit>

#include "core/date.h"

namespace tarvelo::widgets {

class DateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    StdDate date() const { return m_date; }
    void setDate(StdDate date);

signals:
    void accepted(tarvelo::StdDate date);
    void refused();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void complete();
    void refuse();

    StdDate m_date = 0;
};

// Puts the focus back on an entry once the focus change that is under way has finished: the entry refused
// what it was given.
void keepFocus(QWidget& entry);
// How many times an entry has kept the focus that way since the program started, so that a key that
// caused a refusal is not also taken by the window around the entry.
int refusals();
// A refused text: a beep, and the focus kept on the entry.
void refuseEntry(QWidget& entry);
// Whether a key event is Enter or Return, which a dialog takes for its default button.
bool isEnterKey(const QKeyEvent& event);

}  // namespace tarvelo::widgets
