#include "search/windows/upper_limit_dialog.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <utility>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/picture.h"
#include "search/qbe_compare.h"
#include "search/windows/dialog_units.h"
#include "widgets/date_edit.h"
#include "widgets/default_button.h"

namespace tarvelo::search {

namespace {

constexpr int kEntryCharacters = 20;

std::int64_t numberIn(const std::string& value) {
    std::int64_t n = 0;
    std::from_chars(value.data(), value.data() + value.size(), n);
    return n;
}

}  // namespace

std::string shownInPicture(const std::string& picture, const std::string& value) {
    const auto p = parsePicture(picture);
    if (!p || p->kind == Picture::Kind::Text) return value;
    if (p->kind == Picture::Kind::Number) return std::to_string(numberIn(value));
    return formatPicture(*p, numberIn(value));
}

std::optional<std::string> readInPicture(const std::string& picture, const std::string& entry) {
    const auto p = parsePicture(picture);
    if (!p || p->kind == Picture::Kind::Text) return entry;
    std::optional<std::int64_t> value;
    switch (p->kind) {
    case Picture::Kind::Date: value = parseDate(entry); break;
    case Picture::Kind::Time: value = parseTime(entry); break;
    default: value = parseNumber(entry); break;
    }
    if (!value) return std::nullopt;
    return std::to_string(*value);
}

UpperLimitDialog::UpperLimitDialog(std::string picture, const std::string& lower, const std::string& upper,
                                   QWidget* parent)
    : QDialog(parent), m_picture(std::move(picture)), m_lower(lower), m_upper(upper) {
    setFont(widgets::windowFont());
    setWindowTitle(QStringLiteral("Enter Upper Limit"));

    auto* lowerPrompt = new QLabel(QStringLiteral("&Lower Limit:"), this);
    lowerPrompt->setGeometry(unitsRect(*this, 7, 13, 44, 10));
    m_lowerEntry = new QLineEdit(QString::fromStdString(shownInPicture(m_picture, lower)), this);
    m_lowerEntry->setGeometry(unitsRect(*this, 52, 12, 84, 12));
    m_lowerEntry->setReadOnly(true);  // the lower limit is the field's own value
    lowerPrompt->setBuddy(m_lowerEntry);

    auto* upperPrompt = new QLabel(QStringLiteral("&Upper Limit:"), this);
    upperPrompt->setGeometry(unitsRect(*this, 7, 31, 44, 10));
    m_upperEntry = new QLineEdit(QString::fromStdString(shownInPicture(m_picture, upper)), this);
    m_upperEntry->setGeometry(unitsRect(*this, 51, 30, 85, 12));
    m_upperEntry->setMaxLength(kEntryCharacters);
    upperPrompt->setBuddy(m_upperEntry);
    connect(m_upperEntry, &QLineEdit::editingFinished, this, [this] {
        if (m_upperEntry->isModified()) checkUpper();
    });

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setGeometry(unitsRect(*this, 142, 10, 36, 14));
    widgets::setDefaultButton(*m_ok);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (!checkUpper()) return;
        m_upper = *acceptedUpper();
        accept();
    });
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setGeometry(unitsRect(*this, 142, 28, 36, 14));
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The entries start right of the longer prompt, at least where the layout puts them, whatever the font.
    const int promptRight = std::max(lowerPrompt->x() + lowerPrompt->sizeHint().width(),
                                     upperPrompt->x() + upperPrompt->sizeHint().width());
    const int shift = std::max(0, promptRight + widgets::dialogWidth(*this, 3) - m_upperEntry->x());
    for (QWidget* w : std::initializer_list<QWidget*>{m_lowerEntry, m_upperEntry, m_ok, m_cancel}) w->move(w->x() + shift, w->y());
    lowerPrompt->resize(lowerPrompt->sizeHint().width(), lowerPrompt->height());
    upperPrompt->resize(upperPrompt->sizeHint().width(), upperPrompt->height());
    setFixedSize(widgets::dialogSize(*this, 185, 50) + QSize(shift, 0));
    m_upperEntry->setFocus();
    m_upperEntry->selectAll();
}

std::optional<std::string> UpperLimitDialog::acceptedUpper() const {
    const auto value = readInPicture(m_picture, m_upperEntry->text().toStdString());
    if (!value || !upperLimitAccepted(m_lower, *value)) return std::nullopt;
    return value;
}

bool UpperLimitDialog::checkUpper() {
    if (acceptedUpper()) return true;
    widgets::refuseEntry(*m_upperEntry);
    return false;
}

bool UpperLimitDialog::ask(const std::string& picture, const std::string& lower, std::string& upper, QWidget* parent) {
    UpperLimitDialog dialog(picture, lower, upper, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    upper = dialog.upper();
    return true;
}

}  // namespace tarvelo::search
