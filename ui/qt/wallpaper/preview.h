#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace removal {

// The wallpaper preview: a picture drawn either stretched over the whole control or at its
// natural size from the top-left corner, clipped to the control. Switching between the two
// redraws the picture it holds; it never loads it again.
class Preview : public QWidget {
    Q_OBJECT
public:
    explicit Preview(QWidget* parent);

    void setPicture(const QImage& picture);
    const QPixmap& picture() const { return m_picture; }

    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    // The picture stretched to the control's size, made once per picture and size.
    QPixmap m_stretched;
    bool m_stretch = false;
};

} // namespace removal
