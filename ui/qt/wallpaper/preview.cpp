#include "ui/qt/wallpaper/preview.h"

#include <QPainter>

namespace removal {

Preview::Preview(QWidget* parent) : QWidget(parent) {}

void Preview::setPicture(const QImage& picture)
{
    m_picture = QPixmap::fromImage(picture);
    m_stretched = QPixmap();
    update();
}

void Preview::setStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    update();
}

void Preview::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (!m_stretch) {
        painter.drawPixmap(0, 0, m_picture);
        return;
    }
    if (m_stretched.size() != size())
        m_stretched = m_picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawPixmap(0, 0, m_stretched);
}

} // namespace removal
