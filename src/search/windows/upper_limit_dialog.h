#pragma once
// "Enter Upper Limit": the upper limit of a range, shown and typed in the field's picture. The upper
// limit must compare greater than the lower one: a smaller one is refused with a beep and the focus kept.
//
//   std::string upper = ...;  // value text: text as it is, numbers (dates, times) as decimal text
//   if (UpperLimitDialog::ask("@d3", lower, upper, parent)) ...
#include <optional>
#include <string>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tarvelo::search {

class UpperLimitDialog : public QDialog {
    Q_OBJECT
public:
    UpperLimitDialog(std::string picture, const std::string& lower, const std::string& upper, QWidget* parent = nullptr);

    // True, with upper replaced by the confirmed limit, on "&OK"; false on "&Cancel" or the close box.
    static bool ask(const std::string& picture, const std::string& lower, std::string& upper, QWidget* parent = nullptr);

    const std::string& upper() const { return m_upper; }
    QLineEdit* lowerEntry() const { return m_lowerEntry; }
    QLineEdit* upperEntry() const { return m_upperEntry; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    // The upper entry's value text when it fits the picture and lies above the lower limit.
    std::optional<std::string> acceptedUpper() const;
    bool checkUpper();

    std::string m_picture;
    std::string m_lower;
    std::string m_upper;
    QLineEdit* m_lowerEntry = nullptr;
    QLineEdit* m_upperEntry = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// A value text shown in a picture ("80002" in "@d3" is "Jan 12, 2020"), and an entry read back into a
// value text; nothing for an entry that does not fit the picture.
std::string shownInPicture(const std::string& picture, const std::string& value);
std::optional<std::string> readInPicture(const std::string& picture, const std::string& entry);

}  // namespace tarvelo::search
