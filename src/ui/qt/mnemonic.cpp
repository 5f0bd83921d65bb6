#include "ui/qt/mnemonic.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QTabBar>
#include <QTimer>

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

// Buttons act only once the entry the user leaves for them has completed. An unambiguous button shortcut
// is taken from Qt's own handling (an ambiguous one only moves the focus, which completes the entry
// anyway). A click is let through only while the clicked button still holds the focus its press gave it:
// an entry that refused its text took the focus back in between, and the button must not act on the
// value the entry put back.
class EntryCompletionFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
            if (auto* button = qobject_cast<QAbstractButton*>(watched); button && button->isEnabled()) {
                pressButton(*button);
                return true;
            }
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            auto* button = qobject_cast<QAbstractButton*>(watched);
            if (button && button->isDown() && (button->focusPolicy() & Qt::ClickFocus) &&
                button->window()->focusWidget() != button) {
                button->setDown(false);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void pressButton(QAbstractButton& button) {
    const bool takesFocus = (button.focusPolicy() & Qt::TabFocus) && button.window()->focusWidget() != &button;
    // Leaving an entry completes it now; a refusal puts the focus back a moment later (keepFocus), before
    // the check below runs.
    if (takesFocus) button.setFocus(Qt::ShortcutFocusReason);
    QPointer<QAbstractButton> guard(&button);
    QTimer::singleShot(0, &button, [guard, takesFocus] {
        if (!guard || !guard->isVisible() || !guard->isEnabled()) return;
        if (takesFocus && guard->window()->focusWidget() != guard) return;
        guard->animateClick();
    });
}

void completeEntriesBeforeButtons(QCoreApplication& application) {
    application.installEventFilter(new EntryCompletionFilter(&application));
}

bool pressMnemonic(QWidget& window, const QKeySequence& key) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible() || !w->isEnabled()) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && matches(button->text(), key)) {
            pressButton(*button);
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
