#include "search/windows/qbe_task_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "search/windows/dialog_units.h"
#include "widgets/default_button.h"

namespace tarvelo::search {

namespace {
constexpr int kButtonStep = 53;  // from one button's left edge to the next one's
constexpr int kWidth = 221;
constexpr int kHeight = 67;
}  // namespace

QbeTaskDialog::QbeTaskDialog(bool selectionExists, QWidget* parent) : QDialog(parent) {
    setFont(widgets::windowFont());
    setWindowTitle(QStringLiteral("Begin Search"));

    auto* icon = new QLabel(this);
    const int iconSize = widgets::dialogSize(*this, 20, 20).height();
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(iconSize, iconSize));
    icon->setGeometry(unitsRect(*this, 7, 17, 20, 20));
    auto* question = new QLabel(QStringLiteral("What do you want to do?"), this);
    question->setGeometry(unitsRect(*this, 31, 19, 150, 10));

    m_edit = button("&Edit", 7, SearchTask::edit);
    m_select = button("&Select", 7 + kButtonStep, SearchTask::select);
    m_unselect = button("&Unselect", 7 + 2 * kButtonStep, SearchTask::unselect);
    m_cancel = button("&Cancel", 7 + 3 * kButtonStep, SearchTask::cancel);
    int width = kWidth;
    if (!selectionExists) {
        m_unselect->hide();
        m_cancel->setGeometry(m_unselect->geometry());
        width -= kButtonStep;
    }
    widgets::setDefaultButton(*m_edit);
    m_edit->setFocus();
    setFixedSize(widgets::dialogSize(*this, width, kHeight));
}

QPushButton* QbeTaskDialog::button(const char* text, int x, SearchTask task) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setGeometry(unitsRect(*this, x, 46, 48, 14));
    connect(b, &QPushButton::clicked, this, [this, task] {
        m_task = task;
        task == SearchTask::cancel ? reject() : accept();
    });
    return b;
}

SearchTask QbeTaskDialog::ask(bool selectionExists, QWidget* parent) {
    QbeTaskDialog dialog(selectionExists, parent);
    dialog.exec();
    return dialog.task();
}

}  // namespace tarvelo::search
