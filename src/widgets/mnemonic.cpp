#include "widgets/mnemonic.h"

#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QTabBar>
#include <QTimer>
#include <QWindow>

#include "widgets/date_edit.h"

namespace tarvelo::widgets {
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

// Cancel leaves without taking what was typed, so an entry that refuses its text does not hold it back.
bool abandons(const QAbstractButton& button) { return QString(button.text()).remove(QLatin1Char('&')) == "Cancel"; }

// Buttons act only once the entry the user leaves for them has completed, and not after it refused:
// - an unambiguous button shortcut is taken from Qt's own handling (an ambiguous one only moves the
//   focus, which completes the entry anyway);
// - a click is let through only while the clicked button still holds the focus its press gave it: an
//   entry that refused its text took the focus back in between;
// - Enter completes the entry and then climbs to the window, whose default button takes it; after a
//   refusal it goes no further.
// Cancel is let through in every case (abandons()).
class EntryCompletionFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Shortcut:
            if (auto* button = qobject_cast<QAbstractButton*>(watched);
                button && button->isEnabled() && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
                pressButton(*button);
                return true;
            }
            break;
        case QEvent::MouseButtonPress:
            // Seen as the window system hands it to a window, before Qt moves the focus to where it lands.
            if (auto* window = qobject_cast<QWindow*>(watched))
                pressed(*window, static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonRelease:
            if (auto* button = qobject_cast<QAbstractButton*>(watched);
                button && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && button->isDown() &&
                (button->focusPolicy() & Qt::ClickFocus) && button->window()->focusWidget() != button &&
                !abandons(*button)) {
                button->setDown(false);
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (isEnterKey(*static_cast<QKeyEvent*>(event))) return enterPressed(watched, event);
            break;
        case QEvent::KeyRelease:
            m_enter = nullptr;  // the next press may be a new event at the same address
            break;
        case QEvent::Polish:
            // Cancel takes no focus from a click, so the entry being left is not completed on its way out.
            if (auto* button = qobject_cast<QAbstractButton*>(watched); button && abandons(*button))
                button->setFocusPolicy(Qt::TabFocus);
            break;
        case QEvent::Close:
            if (auto* window = qobject_cast<QWidget*>(watched)) leaving(*window);
            break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // A window closing (OK, Cancel, Escape, its close box) takes nothing more from its entries: the one
    // holding the focus loses it without completing, so no check runs and no message shows for a value
    // nobody will use (OK completed every entry before it acted). Its signals are held until the close is
    // over; a close the window refuses leaves the entry as it was, the focus still in it.
    static void leaving(QWidget& window) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !window.isAncestorOf(focus)) return;
        // The entry itself, and a spin box around its line.
        std::vector<QPointer<QWidget>> held;
        for (QWidget* w = focus; w && w != &window; w = w->parentWidget()) {
            if (w->signalsBlocked()) continue;
            w->blockSignals(true);
            held.emplace_back(w);
        }
        QTimer::singleShot(0, qApp, [held] {
            for (const auto& w : held) {
                if (w) w->blockSignals(false);
            }
        });
    }

    // A press on Cancel moves the focus on its way (to the sub-window around a window in the frame, when
    // Cancel itself takes none): the entry left is let go uncompleted, as when the window closes.
    static void pressed(QWindow& window, QPoint at) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() != &window) continue;
            for (QWidget* w = top->childAt(at); w; w = w->parentWidget()) {
                if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                    if (button->isEnabled() && abandons(*button)) leaving(*top);
                    return;
                }
            }
            return;
        }
    }

    // A key press reaches the control it was sent to first, then each widget around it in turn, as the
    // same event.
    bool enterPressed(QObject* watched, QEvent* event) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool climbing = event == m_enter && widget && m_enterReached && widget != m_enterReached &&
                              widget->isAncestorOf(m_enterReached);
        if (!climbing) {
            m_enter = event;
            m_refusalsBeforeEnter = refusals();
        } else if (refusals() != m_refusalsBeforeEnter) {
            m_enter = nullptr;
            event->accept();
            return true;
        }
        m_enterReached = widget;
        return false;
    }

    const QEvent* m_enter = nullptr;
    QPointer<QWidget> m_enterReached;
    int m_refusalsBeforeEnter = 0;
};

}  // namespace

void pressButton(QAbstractButton& button) {
    const bool takesFocus = (button.focusPolicy() & Qt::TabFocus) && button.window()->focusWidget() != &button &&
                            !abandons(button);
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

}  // namespace tarvelo::widgets
