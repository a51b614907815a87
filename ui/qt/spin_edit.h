#pragma once

#include <QAbstractSpinBox>

// The designer's numeric spin edit: the arrow buttons and the up and down keys step by one and
// keep the value within its range, and so does leaving the field; typing may put any number
// there meanwhile, and text that is no number reads as the minimum.
namespace ui::qt {

class SpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    SpinBox(QWidget* parent, int minimum, int maximum, int value);

    // The number in the field as it stands, which may lie outside the range while typing.
    int value() const;
    void setValue(int value);

    void stepBy(int steps) override;

signals:
    // The text in the field changed, by typing or stepping.
    void changed();

protected:
    QValidator::State validate(QString& input, int& position) const override;
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int clamped(long long value) const;

    int m_minimum;
    int m_maximum;
};

} // namespace ui::qt
