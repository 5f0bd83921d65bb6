#pragma once
// Showing a record that may be read but not changed, in the colours a record is read in: every field
// under an area turns read-only for as long as the guard lives, not disabled, which would grey it out.
// Entries and text boxes take no typing, check boxes, option buttons and drop lists take no clicks, keys
// or wheel turns (the focus still moves through them with Tab), and the buttons that would put a value
// into a field (a file chooser, a calendar) are disabled. Each control gets back what it had.
//
//   {
//       widgets::ReadOnlyFields shown(*tabs);
//       loop.exec();  // the user reads the record, then chooses
//   }
#include <vector>

#include <QObject>
#include <QPointer>

class QWidget;

namespace tarvelo::widgets {

class ReadOnlyFields : public QObject {
public:
    explicit ReadOnlyFields(QWidget& area);
    ~ReadOnlyFields() override;
    ReadOnlyFields(const ReadOnlyFields&) = delete;
    ReadOnlyFields& operator=(const ReadOnlyFields&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> m_madeReadOnly;  // entries, text boxes, spin boxes
    std::vector<QPointer<QWidget>> m_held;          // check boxes, option buttons, drop lists
    std::vector<QPointer<QWidget>> m_disabled;      // buttons
};

}  // namespace tarvelo::widgets
