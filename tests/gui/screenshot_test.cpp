// The windows as pictures: every text whole inside its box and on its own ground, no pixel of
// the colour key left inside a window's shape, and message boxes wide enough for their title.
// Run at the scale of 1 and once more with QT_SCALE_FACTOR=2.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/placement.h"
#include "chrome/skin.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>

using namespace gui_testing;

namespace {

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The pixels of its text that a widget draws on white, at the screen's scale.
int inkPixels(QWidget& widget)
{
    const qreal scale = widget.devicePixelRatioF();
    QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ink += distance(image.pixel(x, y), qRgb(255, 255, 255)) > 96 ? 1 : 0;
    }
    return ink;
}

// A label's text has all its ink inside the label: as much as the same text shows in a label
// of the same width with room to spare.
void expectWholeText(QLabel& label)
{
    QLabel roomy;
    roomy.setPalette(label.palette());
    roomy.setFont(label.font());
    roomy.setAlignment(label.alignment());
    roomy.setWordWrap(label.wordWrap());
    roomy.setText(label.text());
    const int width = label.wordWrap() ? label.width() : roomy.sizeHint().width() + 20;
    roomy.resize(width, (label.wordWrap() ? roomy.heightForWidth(width) : roomy.sizeHint().height()) + 20);
    EXPECT_EQ(inkPixels(label), inkPixels(roomy)) << label.text().toStdString();
}

bool isKeyColoured(QRgb pixel)
{
    // Fuchsia, or a blend of it with the window's dark rim: red and blue well above green.
    return qRed(pixel) > qGreen(pixel) + 60 && qBlue(pixel) > qGreen(pixel) + 60;
}

class ScreenshotTest : public GuiFixture {};

TEST_F(ScreenshotTest, TheRestartPromptShowsItsWholeQuestionAboveItsButtons)
{
    start();
    QWidget& prompt = *windows().byClass("TForm10");
    click(mainWindow(), "Image5");
    auto* question = prompt.findChild<QLabel*>(QStringLiteral("Label1"));
    expectWholeText(*question);
    for (const char* name : {"Button1", "Button2"}) {
        const auto* button = prompt.findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_GT(button->y(), question->geometry().bottom()) << name;
        EXPECT_LE(button->geometry().bottom(), prompt.height()) << name;
    }
    prompt.hide();
}

TEST_F(ScreenshotTest, TheFirstRunWarningStaysOnItsWhitePanel)
{
    start();
    const QImage face = mainWindow().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal scale = face.devicePixelRatio();
    chrome::SkinLabel* warning = mainWindow().label("Label17");
    ASSERT_TRUE(warning->isVisible());
    expectWholeText(*warning);
    // Every column the text is written in is the panel's light colour just above the text.
    const QRect text = warning->geometry();
    const QImage ink = warning->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb ground = ink.pixel(0, 0);
    const QRgb light = face.pixel(qRound(text.x() * scale), qRound((text.y() - 1) * scale));
    int columns = 0;
    for (int x = 0; x < ink.width(); ++x) {
        bool inked = false;
        for (int y = 0; y < ink.height(); ++y)
            inked = inked || distance(ink.pixel(x, y), ground) > 96;
        if (!inked)
            continue;
        ++columns;
        const QRgb above = face.pixel(qRound(text.x() * scale) + x, qRound((text.y() - 1) * scale));
        EXPECT_LT(distance(above, light), 30) << "column " << x << " of the warning is off its panel";
    }
    EXPECT_GT(columns, 0);
}

TEST_F(ScreenshotTest, TheNumbersOfTheRefusedProgramsKeepClearOfTheirBoxes)
{
    start();
    chrome::SectionWindow& protection = section("TForm4");
    protection.show();
    for (const char* name : {"Label1", "Label5", "Label14", "Label15"}) {
        SCOPED_TRACE(name);
        chrome::SkinLabel* number = protection.label(QString::fromLatin1(name));
        const QImage ink = number->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal scale = ink.devicePixelRatio();
        const QRgb ground = ink.pixel(0, 0);
        int left = ink.width();
        int right = -1;
        for (int y = 0; y < ink.height(); ++y) {
            for (int x = 0; x < ink.width(); ++x) {
                if (distance(ink.pixel(x, y), ground) > 96) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        ASSERT_GE(right, 0);
        // The white boxes start at x 149, the framed panel at 119.
        EXPECT_LE(number->x() + right / scale, 147);
        EXPECT_GE(number->x() + left / scale, 120);
        expectWholeText(*number);
    }
}

TEST_F(ScreenshotTest, TwoLineTitlesShowTheWholeSecondLine)
{
    start();
    for (const char* className : {"TForm13", "TForm9"}) {
        SCOPED_TRACE(className);
        chrome::SectionWindow& window = section(className);
        window.show();
        const QImage face = window.picture("Image1")->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal scale = face.devicePixelRatio();
        // The rows of the side panel above the description's heading that hold the title's
        // yellow, in runs: one a line, and one more for a line's accents.
        std::vector<int> lines;
        bool inLine = false;
        for (int y = qRound(24 * scale); y < qRound(58 * scale); ++y) {
            bool yellow = false;
            for (int x = qRound(8 * scale); x < qRound(110 * scale); ++x) {
                const QRgb pixel = face.pixel(x, y);
                yellow = yellow || (qRed(pixel) > 180 && qGreen(pixel) > 140 && qBlue(pixel) < 120);
            }
            if (yellow && !inLine)
                lines.push_back(0);
            if (yellow)
                ++lines.back();
            inLine = yellow;
        }
        ASSERT_GE(lines.size(), 2u);
        // Capitals of the title's font, 13 pixels, stand about 9 pixels high.
        EXPECT_GE(lines.back(), qRound(9 * scale));
    }
}

TEST_F(ScreenshotTest, NoPixelOfTheColourKeyShowsInsideAWindow)
{
    start();
    for (QWidget* window : windows().windows()) {
        auto* skinned = qobject_cast<chrome::SkinnedWindow*>(window);
        if (!skinned)
            continue;
        SCOPED_TRACE(window->objectName().toStdString());
        window->show();
        const QImage face = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal scale = face.devicePixelRatio();
        const QRegion shape = window->mask();
        ASSERT_FALSE(shape.isEmpty());
        int keyColoured = 0;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                if (shape.contains(QPoint(static_cast<int>(x / scale), static_cast<int>(y / scale))) &&
                    isKeyColoured(face.pixel(x, y)))
                    ++keyColoured;
            }
        }
        EXPECT_EQ(keyColoured, 0);
        window->hide();
    }
}

TEST(MessageBoxTitle, ANarrowBoxIsWideEnoughForItsTitle)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Kwintor Dostrojnik 2004"), QStringLiteral("OK"),
                    QMessageBox::Ok);
    chrome::fitTitle(box);
    box.show();
    EXPECT_GE(box.width(), chrome::titleWidth(box));
    QFont bold = box.font();
    bold.setBold(true);
    // Beside the title, room for an icon and three buttons of a title bar.
    EXPECT_GE(box.width(), QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 3 * 24 + 24);
}

TEST(WindowPlace, CentredOnTheScreenAndWhollyOnItAsFarAsItFits)
{
    struct Row {
        QSize window;
        QRect available;
        QPoint expected;
    };
    const Row rows[] = {
        {{460, 224}, {0, 0, 1024, 768}, {282, 272}},
        {{460, 224}, {1024, 0, 1280, 1024}, {1434, 400}}, // the second screen
        {{760, 560}, {0, 30, 800, 570}, {20, 35}},        // below a panel
        {{900, 700}, {1024, 0, 800, 600}, {1024, 0}},     // larger than the screen
    };
    for (const Row& row : rows)
        EXPECT_EQ(chrome::centredPlace(row.window, row.available), row.expected);
}

} // namespace
