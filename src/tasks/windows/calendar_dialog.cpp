#include "tasks/windows/calendar_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/date_edit.h"
#include "widgets/window_placement.h"

namespace tarvelo {
namespace {

constexpr const char* kSection = "Calendar";

QPushButton* arrow(const char* text, const char* tip, QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setAutoDefault(false);
    b->setToolTip(QString::fromLatin1(tip));
    b->setFixedWidth(28);
    return b;
}

}  // namespace

CalendarDialog::CalendarDialog(CalendarOptions options, platform::ClockPort& clock, platform::MessageBoxPort& messages,
                               QWidget* parent)
    : QDialog(parent), m_model(std::move(options), clock, messages) {
    m_result = m_model.closeResult();
    setFont(widgets::windowFont());
    setWindowTitle(QString::fromStdString(m_model.caption()));
    setObjectName(QStringLiteral("Calendar"));

    auto* layout = new QVBoxLayout(this);

    auto* grid = new QGroupBox(this);
    auto* cells = new QGridLayout(grid);
    cells->setSpacing(2);
    const char* headings[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    for (int c = 0; c < 7; ++c) {
        auto* heading = new QLabel(QString::fromLatin1(headings[c]), grid);
        heading->setAlignment(Qt::AlignCenter);
        cells->addWidget(heading, 0, c);
    }
    auto* line = new QFrame(grid);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    cells->addWidget(line, 1, 0, 1, 7);
    for (int i = 0; i < kCalendarCells; ++i) {
        auto* b = new QPushButton(grid);
        b->setAutoDefault(false);
        b->setFixedSize(32, 26);
        // A hidden day keeps its place in the grid, so the weeks stay under their headings.
        QSizePolicy keep = b->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        b->setSizePolicy(keep);
        cells->addWidget(b, 2 + i / 7, i % 7);
        connect(b, &QPushButton::clicked, this, [this, i] { dayPressed(i); });
        m_days[static_cast<std::size_t>(i)] = b;
    }
    layout->addWidget(grid);

    auto* entries = new QHBoxLayout;
    auto* monthGroup = new QGroupBox(this);
    auto* monthRow = new QHBoxLayout(monthGroup);
    monthRow->addWidget(new QLabel(QStringLiteral("Month:"), monthGroup));
    m_monthBack = arrow("<", "Previous month", monthGroup);
    m_monthEntry = new QLineEdit(monthGroup);
    m_monthEntry->setToolTip(QStringLiteral("Month#"));
    m_monthEntry->setMaxLength(2);
    m_monthEntry->setValidator(new QIntValidator(0, 99, m_monthEntry));
    m_monthEntry->setFixedWidth(32);
    m_monthEntry->setAlignment(Qt::AlignRight);
    m_monthOn = arrow(">", "Next month", monthGroup);
    monthRow->addWidget(m_monthBack);
    monthRow->addWidget(m_monthEntry);
    monthRow->addWidget(m_monthOn);
    entries->addWidget(monthGroup);

    auto* yearGroup = new QGroupBox(this);
    auto* yearRow = new QHBoxLayout(yearGroup);
    yearRow->addWidget(new QLabel(QStringLiteral("Year:"), yearGroup));
    m_yearBack = arrow("<", "Previous year", yearGroup);
    m_yearEntry = new QLineEdit(yearGroup);
    m_yearEntry->setToolTip(QStringLiteral("Year#"));
    m_yearEntry->setMaxLength(4);
    m_yearEntry->setValidator(new QIntValidator(0, 9999, m_yearEntry));
    m_yearEntry->setFixedWidth(48);
    m_yearEntry->setAlignment(Qt::AlignRight);
    m_yearOn = arrow(">", "Next year", yearGroup);
    yearRow->addWidget(m_yearBack);
    yearRow->addWidget(m_yearEntry);
    yearRow->addWidget(m_yearOn);
    entries->addWidget(yearGroup);
    layout->addLayout(entries);

    m_close = new QPushButton(QStringLiteral("Cl&ose"), this);
    m_close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    layout->addLayout(buttons);

    connect(m_monthBack, &QPushButton::clicked, this, [this] { m_model.previousMonth(); refresh(); });
    connect(m_monthOn, &QPushButton::clicked, this, [this] { m_model.nextMonth(); refresh(); });
    connect(m_yearBack, &QPushButton::clicked, this, [this] { m_model.previousYear(); refresh(); });
    connect(m_yearOn, &QPushButton::clicked, this, [this] { m_model.nextYear(); refresh(); });
    connect(m_monthEntry, &QLineEdit::editingFinished, this, &CalendarDialog::monthEntered);
    connect(m_yearEntry, &QLineEdit::editingFinished, this, &CalendarDialog::yearEntered);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    layout->setSizeConstraint(QLayout::SetFixedSize);
    refresh();
}

CalendarDialog::~CalendarDialog() = default;

StdDate CalendarDialog::pick(CalendarOptions options, platform::ClockPort& clock, platform::MessageBoxPort& messages,
                             QWidget* parent) {
    CalendarDialog dialog(std::move(options), clock, messages, parent);
    dialog.exec();
    return dialog.result();
}

void CalendarDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_positioned) return;
    m_positioned = true;
    widgets::restoreWindowPosition(*this, kSection);
    dayButton(m_model.focusCell())->setFocus();
}

void CalendarDialog::done(int r) {
    if (isVisible()) widgets::saveWindowPosition(*this, kSection);
    QDialog::done(r);
}

void CalendarDialog::refresh() {
    for (int i = 0; i < kCalendarCells; ++i) {
        const CalendarCell& cell = m_model.cells()[static_cast<std::size_t>(i)];
        QPushButton* b = dayButton(i);
        b->setText(cell.day ? QString::number(cell.day) : QString());
        b->setEnabled(cell.enabled);
        b->setVisible(cell.visible);
    }
    m_monthEntry->setText(QString::number(m_model.month()));
    m_yearEntry->setText(QStringLiteral("%1").arg(m_model.year(), 4, 10, QLatin1Char('0')));
}

void CalendarDialog::dayPressed(int cell) {
    if (const std::optional<StdDate> picked = m_model.pickDay(cell)) {
        m_result = *picked;
        accept();
    }
}

void CalendarDialog::monthEntered() {
    bool number = false;
    const int month = m_monthEntry->text().toInt(&number);
    if (m_model.enterMonth(number ? month : 0)) {
        refresh();
        return;
    }
    m_monthEntry->selectAll();
    widgets::keepFocus(*m_monthEntry);
}

void CalendarDialog::yearEntered() {
    bool number = false;
    const int year = m_yearEntry->text().toInt(&number);
    if (m_model.enterYear(number ? year : 0)) {
        refresh();
        return;
    }
    m_yearEntry->selectAll();
    widgets::keepFocus(*m_yearEntry);
}

}  // namespace tarvelo
