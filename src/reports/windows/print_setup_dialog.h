#pragma once
// "&Print Setup ...": the printer the reports print on, its paper and orientation. It only chooses: OK
// gives the printer these settings, Cancel leaves it as it was; nothing is printed from here. Printing
// itself ("&Print!" in the preview) opens the system's print dialog on the printer chosen here.
#include <QDialog>

class QComboBox;
class QPrinter;
class QRadioButton;

namespace tarvelo::reports {

class PrintSetupDialog : public QDialog {
    Q_OBJECT
public:
    PrintSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

    QComboBox* printerBox() const { return m_printerBox; }
    QComboBox* paperBox() const { return m_paperBox; }
    QRadioButton* portraitButton() const { return m_portrait; }
    QRadioButton* landscapeButton() const { return m_landscape; }

    void accept() override;

private:
    void fillPapers();

    QPrinter& m_printer;
    QComboBox* m_printerBox = nullptr;
    QComboBox* m_paperBox = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
};

}  // namespace tarvelo::reports
