#pragma once
// What the task form and the wizard windows share: the option texts, the record fields of the check
// boxes, and the small widget makers and bindings. Private to the windows of this folder.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <array>
#include <string>

#include "core/fixed_text.h"
#include "data/records.h"

namespace tarvelo::task_widgets {

constexpr std::array<const char*, 4> kTaskTypes = {"Run Program", "Display Message", "Both", "None"};
constexpr std::array<const char*, 6> kScheduleTypes = {"Once", "Day of Week", "Day of Month",
                                                       "Monthly", "Yearly", "Custom"};
constexpr std::array<const char*, 6> kEveryTypes = {"minute(s)", "hour(s)", "day(s)",
                                                    "week(s)", "month(s)", "year(s)"};
constexpr std::array<const char*, 5> kOrdinals = {"1st", "2nd", "3rd", "4th", "Last"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<Byte Schedule::*, 5> kOrdinalFlags = {&Schedule::every1st, &Schedule::every2nd,
                                                           &Schedule::every3rd, &Schedule::every4th,
                                                           &Schedule::everyLast};
constexpr std::array<Byte Schedule::*, 7> kWeekdayFlags = {&Schedule::sunday, &Schedule::monday,
                                                           &Schedule::tuesday, &Schedule::wednesday,
                                                           &Schedule::thursday, &Schedule::friday,
                                                           &Schedule::saturday};

inline QString q(const std::string& text) { return QString::fromStdString(text); }

inline QLabel* text(const char* t, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(t), parent);
    label->setWordWrap(true);
    return label;
}

inline QLabel* prompt(const char* t, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(t), parent);
    if (buddy) label->setBuddy(buddy);
    return label;
}

inline QLineEdit* textEntry(int width, const char* tip, QWidget* parent) {
    auto* entry = new QLineEdit(parent);
    // A UTF-16 bound, roomy enough for width characters outside the BMP; the field itself counts
    // characters and refuses the rest (bindText).
    entry->setMaxLength(width * 2);
    if (tip) entry->setToolTip(QString::fromUtf8(tip));
    return entry;
}

inline QPushButton* button(const char* t, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(t), parent);
    b->setAutoDefault(false);
    return b;
}

inline QCheckBox* checkBox(const char* t, const char* tip, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(t), parent);
    if (tip) box->setToolTip(QString::fromUtf8(tip));
    return box;
}

// A fixed-width field keeps at most its width in characters; a character that does not fit is refused.
template <class Field>
inline void bindText(QLineEdit* entry, Field& field, QObject* context) {
    QObject::connect(entry, &QLineEdit::textEdited, context, [entry, &field](const QString& typed) {
        const std::string value = typed.toStdString();
        field = value;
        if (field.text() != std::string(trimRight(value))) {
            QApplication::beep();
            const int cursor = entry->cursorPosition();
            entry->setText(q(field.text()));
            entry->setCursorPosition(std::min(cursor, static_cast<int>(entry->text().size())));
        }
    });
}

template <std::size_t N>
inline void checkOnly(const std::array<QRadioButton*, N>& radios, const std::array<const char*, N>& texts,
               const std::string& stored) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!radios[i]) continue;
        radios[i]->setAutoExclusive(false);
        radios[i]->setChecked(stored == texts[i]);
        radios[i]->setAutoExclusive(true);
    }
}

template <class W>
inline void showIf(W* w, bool on) {
    if (w) w->setVisible(on);
}

// Room for a text and the spin arrows.
inline int dialogWidthOf(const QWidget& w, const char* widest) {
    return w.fontMetrics().horizontalAdvance(QString::fromLatin1(widest)) + 40;
}

// A page shown: the focus goes to its first control that takes it.
inline void focusFirstField(QWidget& page) {
    for (QWidget* w : page.findChildren<QWidget*>()) {
        if (w->isVisibleTo(&page) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus();
            return;
        }
    }
}

}  // namespace tarvelo::task_widgets
