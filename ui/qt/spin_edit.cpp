#include "ui/qt/spin_edit.h"

#include <QLineEdit>

#include <algorithm>

namespace ui::qt {

SpinBox::SpinBox(QWidget* parent, int minimum, int maximum, int value)
    : QAbstractSpinBox(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
{
    setValue(value);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinBox::changed);
}

int SpinBox::value() const
{
    bool ok = false;
    const int number = text().toInt(&ok);
    return ok ? number : m_minimum;
}

void SpinBox::setValue(int value)
{
    lineEdit()->setText(QString::number(clamped(value)));
}

void SpinBox::stepBy(int steps)
{
    setValue(clamped(static_cast<long long>(value()) + steps));
}

int SpinBox::clamped(long long value) const
{
    return static_cast<int>(std::clamp<long long>(value, m_minimum, m_maximum));
}

QValidator::State SpinBox::validate(QString& input, int&) const
{
    // Digits and signs only, as the designer's field takes them.
    for (const QChar c : input) {
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('+') && c != QLatin1Char('-'))
            return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled SpinBox::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

void SpinBox::focusOutEvent(QFocusEvent* event)
{
    // Only a number outside the range is put back into it; text that is no number stays.
    if (clamped(value()) != value())
        setValue(value());
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace ui::qt
