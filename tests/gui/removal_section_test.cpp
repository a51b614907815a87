// The Removal window's wallpaper tool as Qt shows it: the list's glyphs, the preview of every
// picture format, errors that leave the preview as it was, and the scaling switch. The buttons,
// the list's folder and deletion are tested on the fake front end.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/file_list_box.h"
#include "ui/qt/wallpaper/preview.h"

#include <QBuffer>
#include <QCheckBox>

#include <fstream>

using namespace gui_testing;
namespace fs = std::filesystem;

namespace {

// Little-endian bytes of a metafile.
class Bytes {
public:
    Bytes& u16(unsigned value)
    {
        m_data.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
        return *this;
    }
    Bytes& u32(unsigned value) { return u16(value & 0xFFFF).u16(value >> 16); }
    QByteArray data() const { return m_data; }

private:
    QByteArray m_data;
};

// A placeable Windows metafile of 100 x 80 units filled red.
QByteArray windowsMetafile()
{
    Bytes placeable;
    placeable.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(100).u16(80).u16(96).u32(0);
    unsigned checksum = 0;
    const QByteArray head = placeable.data();
    for (int i = 0; i < head.size(); i += 2)
        checksum ^= unsigned(std::uint8_t(head[i])) | unsigned(std::uint8_t(head[i + 1])) << 8;
    placeable.u16(checksum);
    Bytes records;
    records.u16(1).u16(9).u16(0x0300).u32(40).u16(1).u32(7).u16(0);
    records.u32(5).u16(0x020B).u16(0).u16(0);                  // window origin
    records.u32(5).u16(0x020C).u16(80).u16(100);               // window extent
    records.u32(7).u16(0x02FC).u16(0).u32(0x0000FF).u16(0);    // red solid brush
    records.u32(4).u16(0x012D).u16(0);                         // select it
    records.u32(7).u16(0x041B).u16(80).u16(100).u16(0).u16(0); // rectangle
    records.u32(3).u16(0);                                     // end
    return placeable.data() + records.data();
}

// An enhanced metafile of 100 x 80 pixels filled red.
QByteArray enhancedMetafile()
{
    Bytes emf;
    emf.u32(1).u32(88).u32(0).u32(0).u32(99).u32(79).u32(0).u32(0).u32(2646).u32(2117);
    emf.u32(0x464D4520).u32(0x10000).u32(88 + 24 + 12 + 24 + 20).u32(5).u16(2).u16(0).u32(0).u32(0).u32(0);
    emf.u32(1024).u32(768).u32(271).u32(203);
    emf.u32(39).u32(24).u32(1).u32(0).u32(0x0000FF).u32(0); // red solid brush
    emf.u32(37).u32(12).u32(1);                             // select it
    emf.u32(43).u32(24).u32(0).u32(0).u32(100).u32(80);     // rectangle
    emf.u32(14).u32(20).u32(0).u32(16).u32(20);             // end
    return emf.data();
}

// A small picture whose header declares 30000 x 30000 pixels: a few hundred bytes that would
// take gigabytes once decoded.
QByteArray forgedHugeJpeg()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const auto frame = data.indexOf(QByteArray("\xFF\xC0", 2)); // height and width follow the precision
    for (const qsizetype at : {frame + 5, frame + 7})
        data[at] = char(30000 >> 8), data[at + 1] = char(30000 & 0xFF);
    return data;
}

QByteArray forgedHugeBitmap()
{
    Bytes bitmap;
    bitmap.u16(0x4D42).u32(14 + 40 + 4).u32(0).u32(54);
    bitmap.u32(40).u32(30000).u32(30000).u16(1).u16(24).u32(0).u32(0).u32(2835).u32(2835).u32(0).u32(0).u32(0);
    return bitmap.data();
}

void writeBytes(const fs::path& file, const QByteArray& data)
{
    std::ofstream(file, std::ios::binary).write(data.constData(), data.size());
}

void writeImage(const fs::path& file, const char* format, QSize size = {100, 80})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), format)) << file;
}

bool reddish(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

class RemovalSectionTest : public GuiFixture {
protected:
    RemovalSectionTest()
        : m_before(fs::current_path())
        , m_wallpapers(m_folder / "machine" / "drive_c" / "windows" / "Web" / "Wallpaper")
    {
        fs::create_directories(m_wallpapers);
    }
    ~RemovalSectionTest() override { fs::current_path(m_before); }

    chrome::SectionWindow& openRemoval()
    {
        click(mainWindow(), QStringLiteral("Image11"));
        runTimers();
        return section("TForm6");
    }

    chrome::FileListBox& list()
    {
        return *section("TForm6").findChild<chrome::FileListBox*>(QStringLiteral("FileListBox1"));
    }
    removal::Preview& preview() { return *section("TForm6").findChild<removal::Preview*>(QStringLiteral("Image6")); }
    QString label5() { return section("TForm6").label(QStringLiteral("Label5"))->text(); }

    QStringList listed() { return list().names(); }

    void clickFile(const QString& name)
    {
        const auto row = listed().indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        const QModelIndex index = list().model()->index(int(row), 0);
        list().scrollTo(index);
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, list().visualRect(index).center());
    }

    fs::path m_before;
    fs::path m_wallpapers;
};

TEST_F(RemovalSectionTest, TheListsGlyphsAndThePreviewOfEveryFormat)
{
    writeImage(m_wallpapers / "Bitmapa.bmp", "BMP");
    writeImage(m_wallpapers / "ikona.ICO", "ICO", {32, 32});
    writeImage(m_wallpapers / "zdjecie.jpg", "JPG");
    writeImage(m_wallpapers / "Zdjecie2.JPEG", "JPG");
    writeBytes(m_wallpapers / "rysunek.wmf", windowsMetafile());
    writeBytes(m_wallpapers / "Rysunek2.emf", enhancedMetafile());
    for (const char* other : {"notatki.txt", "SETUP.EXE", "start.Com", "run.bat", "dos.pif"})
        writeBytes(m_wallpapers / other, "x");

    start();
    openRemoval();
    // Programs carry their own glyph.
    const auto glyph = [&](const QString& name) {
        const auto row = int(listed().indexOf(name));
        return qvariant_cast<QIcon>(list().model()->index(row, 0).data(Qt::DecorationRole)).cacheKey();
    };
    for (const char* program : {"dos.pif", "run.bat", "SETUP.EXE", "start.Com"})
        EXPECT_EQ(glyph(QString::fromLatin1(program)), glyph(QStringLiteral("SETUP.EXE"))) << program;
    EXPECT_NE(glyph(QStringLiteral("notatki.txt")), glyph(QStringLiteral("SETUP.EXE")));
    EXPECT_EQ(glyph(QStringLiteral("zdjecie.jpg")), glyph(QStringLiteral("notatki.txt")));

    for (const char* picture :
         {"Bitmapa.bmp", "ikona.ICO", "zdjecie.jpg", "Zdjecie2.JPEG", "rysunek.wmf", "Rysunek2.emf"}) {
        SCOPED_TRACE(picture);
        preview().setPicture({});
        clickFile(QString::fromLatin1(picture));
        ASSERT_TRUE(m_errors.messages.empty()) << m_errors.messages.front();
        const QImage shown = preview().picture().toImage();
        ASSERT_FALSE(shown.isNull());
        EXPECT_TRUE(reddish(shown.pixel(shown.width() / 2, shown.height() / 2)))
            << std::hex << shown.pixel(shown.width() / 2, shown.height() / 2);
    }
}

TEST_F(RemovalSectionTest, AFileThatIsNoPictureLeavesThePreviewAndPathAsTheyWere)
{
    writeImage(m_wallpapers / "dobry.bmp", "BMP");
    writeBytes(m_wallpapers / "notatki.txt", "x");
    writeBytes(m_wallpapers / "zepsuty.jpg", "not a picture");
    writeBytes(m_wallpapers / "README", "x");
    writeBytes(m_wallpapers / "olbrzym.jpg", forgedHugeJpeg());
    writeBytes(m_wallpapers / "olbrzym.bmp", forgedHugeBitmap());
    start();
    openRemoval();
    clickFile(QStringLiteral("dobry.bmp"));
    const qint64 shown = preview().picture().cacheKey();
    const QString path = label5();

    const std::vector<std::pair<const char*, const char*>> failures = {
        {"notatki.txt", "Unknown picture file extension (.txt)"},
        {"README", "Unknown picture file extension (.)"},
        {"zepsuty.jpg", "The file zepsuty.jpg is not a valid JPEG picture"},
        {"olbrzym.jpg", "The picture file olbrzym.jpg is too large to show: 30000 x 30000 pixels, at most 40 million"},
        {"olbrzym.bmp", "The file olbrzym.bmp is not a valid Windows bitmap picture"},
    };
    for (const auto& [file, message] : failures) {
        m_errors.messages.clear();
        clickFile(QString::fromLatin1(file));
        EXPECT_EQ(m_errors.messages, std::vector<std::string>{message});
        EXPECT_EQ(preview().picture().cacheKey(), shown) << file;
        EXPECT_EQ(label5(), path) << file;
    }
}

TEST_F(RemovalSectionTest, UncheckingScalingRedrawsAtNaturalSizeWithinOneTickWithoutLoading)
{
    // A picture larger than the preview: its top-left corner is blue.
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 255));
    ASSERT_TRUE(picture.save(QString::fromStdString((m_wallpapers / "duzy.bmp").string()), "BMP"));
    start();
    chrome::SectionWindow& removal = openRemoval();
    EXPECT_TRUE(removal.timer(QStringLiteral("Timer1"))->isWatcher());
    clickFile(QStringLiteral("duzy.bmp"));
    runTimers(30);
    EXPECT_TRUE(preview().stretch());
    const QImage stretched = preview().grab().toImage();
    EXPECT_EQ(stretched.size(), QSize(209, 153));

    fs::remove(m_wallpapers / "duzy.bmp");
    removal.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
    runTimers(30);
    EXPECT_FALSE(preview().stretch());
    const QImage natural = preview().grab().toImage();
    EXPECT_NE(natural, stretched);
    // At natural size the 20-pixel corner is 20 pixels wide.
    EXPECT_EQ(natural.pixel(19, 19), qRgb(0, 0, 255));
    EXPECT_TRUE(reddish(natural.pixel(21, 21)));
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
