#include "ui/win32/resource_pictures.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace ui::win32 {

namespace {

bool nearColourKey(const RGBQUAD& pixel)
{
    return std::abs(pixel.rgbRed - 255) + pixel.rgbGreen + std::abs(pixel.rgbBlue - 255) <= 150;
}

} // namespace

IPicture* decodeFile(const void* data, std::size_t size)
{
    if (size == 0)
        return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return nullptr;
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    const HRESULT loaded =
        OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(loaded))
        return nullptr;
    return picture;
}

HBITMAP decodePicture(const void* data, std::size_t size)
{
    IPicture* picture = decodeFile(data, size);
    if (!picture)
        return nullptr;
    short type = PICTYPE_NONE;
    if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP) {
        picture->Release();
        return nullptr;
    }
    OLE_HANDLE handle = 0;
    picture->get_Handle(&handle);
    HBITMAP decoded = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP info{};
    GetObjectW(decoded, sizeof(info), &info);

    // Our own copy as 32-bit pixels, with the colour key made exact.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy && bits) {
        GetDIBits(screen, decoded, 0, static_cast<UINT>(info.bmHeight), bits, &format, DIB_RGB_COLORS);
        auto* pixels = static_cast<RGBQUAD*>(bits);
        const auto count = static_cast<std::size_t>(info.bmWidth) * static_cast<std::size_t>(info.bmHeight);
        for (std::size_t i = 0; i < count; ++i) {
            if (nearColourKey(pixels[i]))
                pixels[i] = RGBQUAD{0xFF, 0x00, 0xFF, 0};
        }
        GdiFlush();
    }
    ReleaseDC(nullptr, screen);
    picture->Release();
    return copy;
}

ResourcePictures::ResourcePictures(const PictureResource* resources, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        m_ids[resources[i].file] = resources[i].id;
}

ResourcePictures::~ResourcePictures()
{
    for (auto& [file, bitmap] : m_bitmaps)
        DeleteObject(bitmap);
}

HBITMAP ResourcePictures::bitmap(const std::string& file)
{
    if (auto kept = m_bitmaps.find(file); kept != m_bitmaps.end())
        return kept->second;
    HBITMAP bitmap = nullptr;
    if (auto id = m_ids.find(file); id != m_ids.end()) {
        HMODULE module = GetModuleHandleW(nullptr);
        if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id->second), MAKEINTRESOURCEW(10))) {
            if (HGLOBAL loaded = LoadResource(module, resource))
                bitmap = decodePicture(LockResource(loaded), SizeofResource(module, resource));
        }
    }
    m_bitmaps[file] = bitmap;
    return bitmap;
}

} // namespace ui::win32
