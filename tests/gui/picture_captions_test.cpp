// The captions drawn on the window pictures: the Crash window's are those of its option table,
// every caption fits its picture whole, and the pictures the program carries were drawn from
// the window definitions as they are now.

#include "app/definitions.h"
#include "ui/qt/picture_store.h"
#include "chrome/pictures.h"
#include "sections/definitions.h"
#include "tools/picture_generator/painting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using chrome::PictureLook;

namespace {

struct Expected {
    const char* name;
    const char* caption;
    PictureLook look;
};

// The Crash window's option table: each caption picture, then its "Włącz" and "Wyłącz" targets.
const std::vector<Expected> kCrashPictures = {
    {"Image7", "Automatyczne restartowanie", PictureLook::OptionCaption},
    {"Image8", "Włącz", PictureLook::TargetOn},
    {"Image9", "Wyłącz", PictureLook::TargetOff},
    {"Image10", "Wysyłanie alertów administracyjnych", PictureLook::OptionCaption},
    {"Image11", "Włącz", PictureLook::TargetOn},
    {"Image12", "Wyłącz", PictureLook::TargetOff},
    {"Image2", "Zapisywanie informacji o debugowaniu", PictureLook::OptionCaption},
    {"Image3", "Włącz", PictureLook::TargetOn},
    {"Image13", "Wyłącz", PictureLook::TargetOff},
    {"Image14", "Zapisywanie zdarzeń do dziennika alertów", PictureLook::OptionCaption},
    {"Image15", "Włącz", PictureLook::TargetOn},
    {"Image16", "Wyłącz", PictureLook::TargetOff},
    {"Image4", "Zastąpienie plików z informacją o debugowaniu", PictureLook::OptionCaption},
    {"Image5", "Włącz", PictureLook::TargetOn},
    {"Image17", "Wyłącz", PictureLook::TargetOff},
};

// Mean difference per colour channel of two pictures of one size, inside `area`.
double meanDifference(const QImage& a, const QImage& b, const QRect& area)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = area.top(); row <= area.bottom(); ++row) {
        for (int column = area.left(); column <= area.right(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * area.width() * area.height());
}

TEST(PictureCaptionsTest, TheCrashPicturesCarryTheCaptionsOfItsOptionTable)
{
    const chrome::WindowDefinition& crash = sections::crashDefinition();
    // The generator draws the pictures of exactly these definitions.
    const auto all = app::skinnedDefinitions();
    EXPECT_NE(std::find(all.begin(), all.end(), &crash), all.end());
    for (const Expected& expected : kCrashPictures) {
        SCOPED_TRACE(expected.name);
        const chrome::Component* component = crash.find(expected.name);
        ASSERT_NE(component, nullptr);
        EXPECT_EQ(component->kind, chrome::ComponentKind::Picture);
        EXPECT_EQ(component->text, expected.caption);
        EXPECT_EQ(component->picture, expected.look);
    }
}

TEST(PictureCaptionsTest, EveryCaptionFitsItsPicture)
{
    for (const chrome::WindowDefinition* window : app::skinnedDefinitions()) {
        for (const chrome::Component& component : window->components) {
            if (component.kind != chrome::ComponentKind::Picture || component.text.empty())
                continue;
            EXPECT_TRUE(pictures::captionFits(component))
                << window->className << " " << component.name << ": \"" << component.text << "\"";
        }
    }
}

TEST(PictureCaptionsTest, TheProgramCarriesTheCrashPicturesAsDrawnFromTheDefinition)
{
    const chrome::WindowDefinition& crash = sections::crashDefinition();
    const QImage background = pictures::drawBackground(crash);
    chrome::PictureStore store;
    for (const Expected& expected : kCrashPictures) {
        SCOPED_TRACE(expected.name);
        const chrome::Component& component = *crash.find(expected.name);
        const QImage carried = store.pixmap(QString::fromStdString(chrome::pictureFile(crash, component))).toImage();
        ASSERT_FALSE(carried.isNull());
        ASSERT_EQ(carried.size(), QSize(component.place.width, component.place.height));
        chrome::Component blank = component;
        blank.text.clear();
        const QRect text = pictures::captionLayout(component)->area.toAlignedRect();
        const double toDrawn = meanDifference(carried, pictures::drawComponent(background, component), text);
        const double toBlank = meanDifference(carried, pictures::drawComponent(background, blank), text);
        // JPEG blurs a little; a missing or different caption differs a lot more.
        EXPECT_LT(toDrawn * 4, toBlank);
    }
}

} // namespace
