// Start-up: the thirteen windows, their chrome as the definitions say, the main window's
// appearance from section "Okno".

#include "tests/gui/support/gui_fixture.h"

#include "app/definitions.h"
#include "ui/qt/controls.h"
#include "chrome/pictures.h"
#include "ui/qt/picture_store.h"
#include "ui/qt/skinned_window.h"

#include <QFile>
#include <QLabel>
#include <QResource>

#include <set>

using namespace gui_testing;

namespace {

class WindowSetTest : public GuiFixture {};

TEST_F(WindowSetTest, CreatesThirteenWindowsInOrderWithOnlyTheMainWindowVisible)
{
    start();
    struct Expected {
        const char* className;
        const char* title;
        QSize size; // the restart prompt's is its own test's
    };
    const std::vector<Expected> expected = {{"TForm1", "Kwintor Dostrojnik 2004", {574, 243}},
                                            {"TForm2", "System", {460, 449}},
                                            {"TForm4", "Ochrona", {460, 468}},
                                            {"TForm5", "Wydajność", {460, 305}},
                                            {"TForm6", "Usuwanie", {460, 380}},
                                            {"TForm7", "Internet", {460, 419}},
                                            {"TForm8", "O programie...", {460, 180}},
                                            {"TForm9", "Zgodność plików", {460, 165}},
                                            {"TForm13", "Wyszukiwanie", {460, 224}},
                                            {"TForm18", "Foldery", {460, 274}},
                                            {"TForm26", "Pasek start", {634, 492}},
                                            {"TForm64", "Awaria", {460, 253}},
                                            {"TForm10", "System Windows", {}}};
    const std::vector<QWidget*> created = windows().windows();
    ASSERT_EQ(created.size(), expected.size());
    for (std::size_t i = 0; i < created.size(); ++i) {
        EXPECT_EQ(windows().className(*created[i]), expected[i].className);
        EXPECT_EQ(created[i]->windowTitle(), QString::fromUtf8(expected[i].title));
        EXPECT_TRUE(!expected[i].size.isValid() || created[i]->size() == expected[i].size) << expected[i].className;
        EXPECT_EQ(created[i]->isVisible(), i == 0) << expected[i].className;
        // Every window but the restart prompt is borderless.
        EXPECT_EQ(created[i]->windowFlags().testFlag(Qt::FramelessWindowHint), i != created.size() - 1);
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(WindowSetTest, EveryWindowHasTheComponentsOfItsDefinition)
{
    // With a user name stored, the main window's first-run panel stays hidden as designed.
    writeSettings("[Użytkownik]\r\nNazwa=Jan\r\n");
    start();
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        SCOPED_TRACE(definition->className);
        auto* window = qobject_cast<chrome::SkinnedWindow*>(windows().byClass(definition->className));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->size(), QSize(definition->width, definition->height));
        for (const chrome::Component& c : definition->components) {
            const QString name = QString::fromStdString(c.name);
            switch (c.kind) {
            case chrome::ComponentKind::Timer: {
                chrome::DesignTimer* timer = window->timer(name);
                ASSERT_NE(timer, nullptr) << c.name;
                // The design's interval reads back; it runs at no less than 10 ms.
                EXPECT_EQ(timer->interval(), c.interval) << c.name;
                EXPECT_EQ(timer->period(), std::max(c.interval, 10)) << c.name;
                EXPECT_EQ(timer->isWatcher(), c.watcher) << c.name;
                break;
            }
            case chrome::ComponentKind::Label: {
                chrome::SkinLabel* label = window->label(name);
                ASSERT_NE(label, nullptr) << c.name;
                EXPECT_EQ(label->isHidden(), !c.visible) << c.name;
                break;
            }
            case chrome::ComponentKind::Picture:
                ASSERT_NE(window->picture(name), nullptr) << c.name;
                // An option's caption with its targets side by side directly below, as laid out.
                EXPECT_EQ(window->picture(name)->geometry(), QRect(c.place.x, c.place.y, c.place.width, c.place.height))
                    << c.name;
                // Targets show the hand; captions and other pictures the arrow.
                EXPECT_EQ(window->picture(name)->cursor().shape() == Qt::PointingHandCursor, c.handCursor) << c.name;
                break;
            default: EXPECT_NE(component(*window, name), nullptr) << c.name;
            }
        }
        // A word-wrapped text must fit into its label.
        for (chrome::SkinLabel* label : window->findChildren<chrome::SkinLabel*>()) {
            if (label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->objectName().toStdString();
            }
        }
    }
}

TEST_F(WindowSetTest, SectionWindowsStartWithTheirDesignState)
{
    start();
    const std::vector<std::pair<const char*, const char*>> designTexts = {
        {"TForm2", "KOMENTARZE"},  {"TForm4", "KOMENTARZE"},  {"TForm5", "KOMENTARZ"},
        {"TForm6", "Tak lub Nie"}, {"TForm7", "KOMENTARZ"},   {"TForm13", "KOMENTARZE"},
        {"TForm18", "KOMENTARZE"}, {"TForm26", "KOMENTARZE"}, {"TForm64", "KOMENTARZE"}};
    runTimers();
    for (const auto& [className, text] : designTexts) {
        chrome::SectionWindow& window = section(className);
        EXPECT_EQ(window.commentsLabel()->text(), QString::fromUtf8(text)) << className;
        EXPECT_TRUE(window.commentsLabel()->isHidden());
        const chrome::CommentsRoles& roles = *window.definition().comments;
        EXPECT_TRUE(window.label(QString::fromStdString(roles.onArrow))->isHidden()) << className;
        EXPECT_TRUE(window.label(QString::fromStdString(roles.offArrow))->isHidden()) << className;
        EXPECT_EQ(window.label(QString::fromStdString(roles.onSwitch))->text(), QStringLiteral("Włącz komentarze"));
        EXPECT_EQ(window.label(QString::fromStdString(roles.offSwitch))->text(), QStringLiteral("Wyłącz komentarze"));
        EXPECT_FALSE(chrome::hintShown(*window.picture(QString::fromStdString(window.definition().closeTarget))));
    }
}

TEST_F(WindowSetTest, TheSectionMenuPicturesCarryNoHint)
{
    start();
    EXPECT_TRUE(component(mainWindow(), "Image3")->toolTip().isEmpty());
}

TEST_F(WindowSetTest, TheColourKeyIsOutsideTheWindowShape)
{
    start();
    const QRegion shape = mainWindow().mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(mainWindow().width() - 1, mainWindow().height() - 1)));
    EXPECT_TRUE(shape.contains(QPoint(mainWindow().width() / 2, mainWindow().height() / 2)));
    EXPECT_GT(m_pictures.decodedCount(), 0);
}

TEST_F(WindowSetTest, EachDistinctPictureIsDecodedOnce)
{
    start();
    std::set<std::string> files;
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        for (const chrome::Component& c : definition->components) {
            if (c.kind == chrome::ComponentKind::Picture)
                files.insert(chrome::pictureFile(*definition, c));
        }
        windows().byClass(definition->className)->show();
    }
    for (QWidget* window : windows().windows())
        window->hide();
    windows().byClass("TForm64")->show();
    EXPECT_EQ(m_pictures.decodedCount(), static_cast<int>(files.size()));
    // Every picture is there and fits its place.
    for (const std::string& file : files)
        EXPECT_FALSE(m_pictures.pixmap(QString::fromStdString(file)).isNull()) << file;
    EXPECT_EQ(m_pictures.pixmap(QStringLiteral("TForm26-Image1.jpg")).size(), QSize(634, 492));
}

struct AppearanceCase {
    const char* flag;
    const char* value;
    bool blend;
    int alpha;
};

class MainAppearanceTest : public GuiFixture, public ::testing::WithParamInterface<AppearanceCase> {};

TEST_P(MainAppearanceTest, ReadsSectionOknoBeforeCreation)
{
    const AppearanceCase& c = GetParam();
    writeSettings(std::string("[Okno]\r\nPrzezroczystość (0 lub 1)=") + c.flag +
                  "\r\nWartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=" + c.value + "\r\n");
    start();
    EXPECT_EQ(windows().get<TForm1>().alphaBlend(), c.blend);
    EXPECT_EQ(windows().get<TForm1>().alphaValue(), c.alpha);
    EXPECT_NEAR(mainWindow().windowOpacity(), c.blend ? c.alpha / 255.0 : 1.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Values, MainAppearanceTest,
                         ::testing::Values(AppearanceCase{"1", "200", true, 200}, AppearanceCase{"1", "300", true, 44},
                                           AppearanceCase{"1", "256", true, 0}, AppearanceCase{"1", "-1", true, 255},
                                           AppearanceCase{"0x1", "0x1F", true, 31},
                                           AppearanceCase{"$1", "$FF", true, 255},
                                           AppearanceCase{"tak", "garbage", false, 255},
                                           AppearanceCase{"0", "100", false, 100}));

TEST_F(WindowSetTest, NoSettingsFileUntilSomethingIsWritten)
{
    start();
    runTimers();
    EXPECT_FALSE(settingsExist());
}

TEST_F(WindowSetTest, EachPictureIsDecodedOncePerRun)
{
    chrome::PictureStore store;
    for (const char* file : {"TForm1-Image1.jpg", "icon.jpg", "none.jpg", "TForm64-Image1.jpg", "TForm1-Image1.jpg"}) {
        const QString name = QString::fromLatin1(file);
        EXPECT_EQ(store.pixmap(name).toImage(), m_pictures.pixmap(name).toImage()) << file;
    }
    EXPECT_FALSE(store.pixmap(QStringLiteral("icon.jpg")).isNull());
    EXPECT_EQ(store.decodedCount(), 3);
}

TEST_F(WindowSetTest, TheFirstPicturesStoredAsPixelsAreTheirJpegFilesDecoded)
{
    for (const std::string& name : app::firstPictures()) {
        const QString file = QString::fromStdString(name);
        QFile jpeg(QStringLiteral(":/pictures/") + file);
        ASSERT_TRUE(jpeg.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(QResource(QStringLiteral(":/pictures/pixels/") + file + QStringLiteral(".rgb")).isValid()) << name;
        EXPECT_EQ(m_pictures.pixmap(file).toImage(), chrome::decodeJpeg(jpeg.readAll())) << name;
    }
}

} // namespace
