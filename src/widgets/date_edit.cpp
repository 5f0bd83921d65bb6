#include "widgets/date_edit.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include "core/picture.h"

namespace tarvelo::widgets {

void refuseEntry(QWidget& entry) {
    QApplication::beep();
    keepFocus(entry);
}

namespace {
int g_refusals = 0;
}  // namespace

int refusals() { return g_refusals; }

void keepFocus(QWidget& entry) {
    ++g_refusals;
    entry.setFocus();
    // A refusal seen while the focus is leaving must win over the widget that is taking it.
    QPointer<QWidget> guard(&entry);
    QTimer::singleShot(0, &entry, [guard] {
        if (guard && guard->isVisible() && guard->isEnabled()) guard->setFocus();
    });
}

DateEdit::DateEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(40);
    connect(this, &QLineEdit::editingFinished, this, &DateEdit::complete);
}

void DateEdit::setDate(StdDate date) {
    m_date = date;
    setText(QString::fromStdString(formatDate3(date)));
    setModified(false);
}

bool isEnterKey(const QKeyEvent& event) { return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter; }

void DateEdit::keyPressEvent(QKeyEvent* event) {
    // Refused here, the Enter key is used up: the dialog never sees it, so its default button stays put.
    if (isEnterKey(*event) && !isReadOnly() && !parseDate(text().toStdString())) {
        refuse();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DateEdit::refuse() {
    setDate(m_date);
    selectAll();
    refuseEntry(*this);
    emit refused();
}

void DateEdit::complete() {
    if (isReadOnly()) return;
    const std::optional<StdDate> parsed = parseDate(text().toStdString());
    if (!parsed) {
        refuse();
        return;
    }
    setDate(*parsed);
    emit accepted(*parsed);
}

}  // namespace tarvelo::widgets
