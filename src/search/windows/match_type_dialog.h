#pragma once
// "Match Type for ... Field": the match types a field's kind offers, as radio buttons in their visual
// groups; the choices a kind does not offer are left out and the groups below close up, so the window is
// only as tall as its choices.
//
//   std::optional<MatchType> chosen = MatchTypeDialog::ask(FieldKind::date, MatchType::equals, parent);
#include <array>
#include <optional>

#include <QDialog>

#include "search/match_type.h"

class QButtonGroup;
class QPushButton;
class QRadioButton;

namespace tarvelo::search {

class MatchTypeDialog : public QDialog {
    Q_OBJECT
public:
    MatchTypeDialog(FieldKind kind, MatchType current, QWidget* parent = nullptr);

    // The chosen type, or nothing when cancelled or closed.
    static std::optional<MatchType> ask(FieldKind kind, MatchType current, QWidget* parent = nullptr);

    MatchType chosen() const { return m_chosen; }
    // The radio button of a type; hidden when the kind does not offer it.
    QRadioButton* choice(MatchType type) const { return m_choices[static_cast<std::size_t>(type)]; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    std::array<QRadioButton*, kMatchTypeCount> m_choices{};
    QButtonGroup* m_group = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    MatchType m_chosen;
};

}  // namespace tarvelo::search
