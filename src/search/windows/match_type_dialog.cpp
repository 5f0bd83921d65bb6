#include "search/windows/match_type_dialog.h"

#include <algorithm>

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

#include "search/windows/dialog_units.h"
#include "widgets/default_button.h"

namespace tarvelo::search {

namespace {

// The visual group of each code: [0], [1-2], [3-6], [7-8], [9-12], [13-17].
constexpr std::array<int, kMatchTypeCount> kGroupOf{0, 1, 1, 2, 2, 2, 2, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 5};
constexpr int kFirstY = 14;
constexpr int kStep = 9;       // between two choices of a group
constexpr int kGroupGap = 6;   // added between two groups
constexpr int kBelowLast = 23; // from the last choice's top to the window's bottom

}  // namespace

MatchTypeDialog::MatchTypeDialog(FieldKind kind, MatchType current, QWidget* parent)
    : QDialog(parent), m_chosen(current) {
    setFont(widgets::windowFont());
    setWindowTitle(QStringLiteral("Match Type for %1 Field").arg(QString::fromUtf8(kindName(kind).data(), static_cast<int>(kindName(kind).size()))));

    m_group = new QButtonGroup(this);
    int y = kFirstY;
    int lastGroup = -1;
    int lastY = kFirstY;
    for (int code = 0; code < kMatchTypeCount; ++code) {
        const auto type = static_cast<MatchType>(code);
        const auto& info = matchTypeInfo(type);
        auto* radio = new QRadioButton(QString::fromUtf8(info.choice.data(), static_cast<int>(info.choice.size())), this);
        radio->setStatusTip(QStringLiteral("Select match type"));
        m_choices[static_cast<std::size_t>(code)] = radio;
        m_group->addButton(radio, code);
        if (!offers(kind, type)) {
            radio->hide();
            continue;
        }
        if (lastGroup >= 0) y += kStep + (kGroupOf[static_cast<std::size_t>(code)] != lastGroup ? kGroupGap : 0);
        lastGroup = kGroupOf[static_cast<std::size_t>(code)];
        lastY = y;
        radio->setGeometry(unitsRect(*this, 10, y, 115, 9));
    }
    // The buttons stand right of the widest choice, at least where the layout puts them, whatever the font.
    int widest = 0;
    for (QRadioButton* radio : m_choices) widest = std::max(widest, radio->sizeHint().width());
    for (QRadioButton* radio : m_choices) radio->resize(std::max(radio->width(), widest), radio->height());
    const int buttonsX = std::max(widgets::dialogWidth(*this, 131), m_choices[0]->x() + widest + widgets::dialogWidth(*this, 6));
    if (!offers(kind, current)) m_chosen = MatchType::ignore;
    QAbstractButton* preselected = m_group->button(static_cast<int>(m_chosen));
    preselected->setChecked(true);
    preselected->setFocus();
    connect(m_group, &QButtonGroup::idClicked, this, [this](int code) { m_chosen = static_cast<MatchType>(code); });

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setGeometry(unitsRect(*this, 131, 11, 36, 14).translated(buttonsX - widgets::dialogWidth(*this, 131), 0));
    widgets::setDefaultButton(*m_ok);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(unitsRect(*this, 131, 28, 36, 14).translated(buttonsX - widgets::dialogWidth(*this, 131), 0));
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(m_ok->geometry().right() + widgets::dialogWidth(*this, 10),
                 widgets::dialogSize(*this, 0, std::max(lastY + kBelowLast, 28 + 14 + 8)).height());
}

std::optional<MatchType> MatchTypeDialog::ask(FieldKind kind, MatchType current, QWidget* parent) {
    MatchTypeDialog dialog(kind, current, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.chosen();
}

}  // namespace tarvelo::search
