#include "reports/windows/print_setup_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo::reports {

namespace {

// Offered when the printer reports no sizes of its own (a PDF file, no printer installed).
const QPageSize::PageSizeId kCommonPapers[] = {QPageSize::Letter, QPageSize::Legal, QPageSize::A4, QPageSize::A5,
                                               QPageSize::Executive};

}  // namespace

PrintSetupDialog::PrintSetupDialog(QPrinter& printer, QWidget* parent) : QDialog(parent), m_printer(printer) {
    setWindowTitle(QStringLiteral("Print Setup"));
    setFont(widgets::windowFont());

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_printerBox = new QComboBox(this);
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty()) {
        // Reports still print: the print dialog offers a PDF file.
        m_printerBox->addItem(QStringLiteral("No printer installed (print to a PDF file)"), QString());
        m_printerBox->setEnabled(false);
    }
    for (const QString& name : names) m_printerBox->addItem(name, name);
    const int current = m_printerBox->findData(m_printer.printerName());
    if (current >= 0) {
        m_printerBox->setCurrentIndex(current);
    } else if (!names.isEmpty()) {
        m_printerBox->setCurrentIndex(std::max(0, m_printerBox->findData(QPrinterInfo::defaultPrinterName())));
    }
    form->addRow(QStringLiteral("&Printer:"), m_printerBox);
    m_paperBox = new QComboBox(this);
    form->addRow(QStringLiteral("Paper &size:"), m_paperBox);
    layout->addLayout(form);

    auto* orientation = new QGroupBox(QStringLiteral("Orientation"), this);
    auto* row = new QHBoxLayout(orientation);
    m_portrait = new QRadioButton(QStringLiteral("P&ortrait"), orientation);
    m_landscape = new QRadioButton(QStringLiteral("&Landscape"), orientation);
    row->addWidget(m_portrait);
    row->addWidget(m_landscape);
    (m_printer.pageLayout().orientation() == QPageLayout::Landscape ? m_landscape : m_portrait)->setChecked(true);
    layout->addWidget(orientation);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    widgets::setDefaultButton(*buttons->button(QDialogButtonBox::Ok));
    layout->addWidget(buttons);

    connect(m_printerBox, &QComboBox::currentIndexChanged, this, &PrintSetupDialog::fillPapers);
    fillPapers();
}

void PrintSetupDialog::fillPapers() {
    const QString chosen = m_paperBox->count() > 0 ? m_paperBox->currentText() : m_printer.pageLayout().pageSize().name();
    m_paperBox->clear();
    QList<QPageSize> sizes;
    const QString name = m_printerBox->currentData().toString();
    if (!name.isEmpty()) sizes = QPrinterInfo::printerInfo(name).supportedPageSizes();
    if (sizes.isEmpty()) {
        for (QPageSize::PageSizeId id : kCommonPapers) sizes.append(QPageSize(id));
    }
    for (const QPageSize& size : sizes) m_paperBox->addItem(size.name(), QVariant::fromValue(size));
    const int index = m_paperBox->findText(chosen);
    m_paperBox->setCurrentIndex(std::max(0, index));
}

void PrintSetupDialog::accept() {
    const QString name = m_printerBox->currentData().toString();
    if (!name.isEmpty()) m_printer.setPrinterName(name);
    m_printer.setPageSize(m_paperBox->currentData().value<QPageSize>());
    m_printer.setPageOrientation(m_landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
    QDialog::accept();
}

}  // namespace tarvelo::reports
