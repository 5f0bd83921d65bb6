#pragma once
// The time entry of the program: a spin box in @t3 (see date_edit.h for what accepting and refusing do).
#include <QAbstractSpinBox>

#include "core/date.h"

namespace tarvelo::widgets {

class TimeEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TimeEdit(QWidget* parent = nullptr);

    StdTime time() const { return m_time; }
    void setTime(StdTime time);

    // One step of the arrows: a minute, wrapping round midnight. A time not set starts from midnight.
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void accepted(tarvelo::StdTime time);
    void refused();

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void complete();
    void refuse();
    QString shown() const;

    StdTime m_time = 0;
};

}  // namespace tarvelo::widgets
