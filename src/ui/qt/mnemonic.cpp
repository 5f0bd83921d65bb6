#include "ui/qt/mnemonic.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>

namespace tarvelo::ui {
namespace {

bool matches(const QString& text, const QKeySequence& key) { return QKeySequence::mnemonic(text) == key; }

// The control a group's mnemonic reaches: its checked option, else its first control that takes the focus.
QWidget* firstControl(QGroupBox& group) {
    QWidget* first = nullptr;
    for (QWidget* w : group.findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus)) continue;
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio && radio->isChecked()) return radio;
        if (!first) first = w;
    }
    return first;
}

}  // namespace

bool pressMnemonic(QWidget& window, const QKeySequence& key) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->isEnabled()) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && matches(button->text(), key)) {
            button->animateClick();
            return true;
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy() && matches(label->text(), key)) {
            label->buddy()->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        if (auto* group = qobject_cast<QGroupBox*>(w); group && matches(group->title(), key)) {
            if (group->isCheckable()) group->setChecked(!group->isChecked());
            else if (QWidget* first = firstControl(*group)) first->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->isTabVisible(i) && tabs->isTabEnabled(i) && matches(tabs->tabText(i), key)) {
                    tabs->setCurrentIndex(i);
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace tarvelo::ui
