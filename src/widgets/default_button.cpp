#include "widgets/default_button.h"

#include <QDialog>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>

#include "widgets/date_edit.h"

namespace tarvelo::widgets {
namespace {

constexpr QLatin1StringView kKeeperName{"defaultButtonKeeper"};

// The window a button belongs to: its nearest ancestor that is a dialog, a window of its own, or the
// widget a document-area sub-window holds.
QWidget& windowOf(QWidget& button) {
    QWidget* w = &button;
    while (w->parentWidget() && !w->isWindow() && !qobject_cast<QDialog*>(w) &&
           !qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
        w = w->parentWidget();
    }
    return *w;
}

// Watches a window for the Enter its controls leave to it. A child of the window, found by its name.
//
// Qt's dialogs let a button that has the focus press itself on Enter and make it the default meanwhile,
// whatever gave it the focus; the window's buttons leave Enter to the window instead. A button the user
// tabbed to still takes Enter, as a focused button does; one that took the focus by being pressed (its
// letter, a click) does not keep it: Enter goes to the default again.
class DefaultButtonKeeper : public QObject {
public:
    explicit DefaultButtonKeeper(QWidget& window) : QObject(&window), m_window(window) {
        setObjectName(kKeeperName);
        window.installEventFilter(this);
    }

    static DefaultButtonKeeper* of(const QWidget& window) {
        return static_cast<DefaultButtonKeeper*>(window.findChild<QObject*>(kKeeperName, Qt::FindDirectChildrenOnly));
    }

    void setButton(QPushButton& button) {
        if (m_button && m_button != &button) m_button->setDefault(false);
        m_button = &button;
        button.setDefault(true);
        watchButtons();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_window) {
            if (event->type() == QEvent::FocusIn) {
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                m_tabbedTo = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                                 ? qobject_cast<QPushButton*>(watched)
                                 : nullptr;
            }
            return false;
        }
        if (event->type() == QEvent::Show) watchButtons();
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!isEnterKey(*key) || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        QPushButton* pressed = m_tabbedTo && m_tabbedTo->hasFocus() ? m_tabbedTo.data() : m_button.data();
        if (!pressed || !pressed->isVisible()) return false;
        if (pressed->isEnabled()) pressed->click();
        return true;
    }

private:
    void watchButtons() {
        for (QPushButton* b : m_window.findChildren<QPushButton*>()) {
            if (&windowOf(*b) != &m_window) continue;
            b->setAutoDefault(false);
            b->installEventFilter(this);
        }
    }

    QWidget& m_window;
    QPointer<QPushButton> m_button;
    QPointer<QPushButton> m_tabbedTo;
};

}  // namespace

void setDefaultButton(QPushButton& button) {
    QWidget& window = windowOf(button);
    DefaultButtonKeeper* keeper = DefaultButtonKeeper::of(window);
    if (!keeper) keeper = new DefaultButtonKeeper(window);
    keeper->setButton(button);
}

}  // namespace tarvelo::widgets
