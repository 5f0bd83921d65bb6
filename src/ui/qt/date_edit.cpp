#include "ui/qt/date_edit.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include "core/picture.h"

namespace tarvelo::ui {

void refuseEntry(QWidget& entry) {
    QApplication::beep();
    keepFocus(entry);
}

void keepFocus(QWidget& entry) {
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

void DateEdit::complete() {
    if (isReadOnly()) return;
    const std::optional<StdDate> parsed = parseDate(text().toStdString());
    if (!parsed) {
        setDate(m_date);
        selectAll();
        refuseEntry(*this);
        emit refused();
        return;
    }
    setDate(*parsed);
    emit accepted(*parsed);
}

}  // namespace tarvelo::ui
