#include "widgets/read_only.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tarvelo::widgets {
namespace {

bool isReadOnly(const QWidget& w) {
    if (auto* line = qobject_cast<const QLineEdit*>(&w)) return line->isReadOnly();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(&w)) return plain->isReadOnly();
    if (auto* rich = qobject_cast<const QTextEdit*>(&w)) return rich->isReadOnly();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(&w)) return spin->isReadOnly();
    return true;
}

void setReadOnly(QWidget& w, bool on) {
    if (auto* line = qobject_cast<QLineEdit*>(&w)) line->setReadOnly(on);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(&w)) plain->setReadOnly(on);
    else if (auto* rich = qobject_cast<QTextEdit*>(&w)) rich->setReadOnly(on);
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(&w)) spin->setReadOnly(on);
}

bool hasTextToRead(const QWidget& w) {
    return qobject_cast<const QLineEdit*>(&w) || qobject_cast<const QPlainTextEdit*>(&w) ||
           qobject_cast<const QTextEdit*>(&w) || qobject_cast<const QAbstractSpinBox*>(&w);
}

// The keys that only move about or reach the window (its default button, Escape) pass a held control.
bool movesOn(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: return true;
    default: return false;
    }
}

}  // namespace

ReadOnlyFields::ReadOnlyFields(QWidget& area) {
    for (QWidget* w : area.findChildren<QWidget*>()) {
        if (hasTextToRead(*w)) {
            if (isReadOnly(*w)) continue;
            setReadOnly(*w, true);
            m_madeReadOnly.emplace_back(w);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->isCheckable()) {
            if (!button->isEnabled()) continue;
            button->setEnabled(false);
            m_disabled.emplace_back(w);
        } else if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)) {
            w->installEventFilter(this);
            m_held.emplace_back(w);
        }
    }
}

ReadOnlyFields::~ReadOnlyFields() {
    for (const auto& w : m_madeReadOnly) {
        if (w) setReadOnly(*w, false);
    }
    for (const auto& w : m_disabled) {
        if (w) w->setEnabled(true);
    }
    for (const auto& w : m_held) {
        if (w) w->removeEventFilter(this);
    }
}

bool ReadOnlyFields::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return !movesOn(*static_cast<QKeyEvent*>(event));
    default: return false;
    }
}

}  // namespace tarvelo::widgets
