#pragma once

#include "ui/win32/win32_parts.h"

#include <map>
#include <string>

namespace ui::win32 {

// One picture of the store: its file name and the number of its RCDATA resource.
struct PictureResource {
    const char* file;
    int id;
};

// The pictures embedded into the program as resources (JPEG files, decoded by OleLoadPicture),
// each decoded at its first use and kept. Colours near the colour key, which JPEG blurs, become
// the colour key, so that the window's shape has clean edges.
class ResourcePictures final : public PictureSource {
public:
    ResourcePictures(const PictureResource* resources, std::size_t count);
    ~ResourcePictures() override;
    ResourcePictures(const ResourcePictures&) = delete;
    ResourcePictures& operator=(const ResourcePictures&) = delete;

    HBITMAP bitmap(const std::string& file) override;

private:
    std::map<std::string, int> m_ids;
    std::map<std::string, HBITMAP> m_bitmaps;
};

// Decodes a JPEG, BMP, GIF or icon in memory into a 32-bit bitmap; null when it cannot.
HBITMAP decodePicture(const void* data, std::size_t size);
// A picture file in memory (JPEG, BMP, GIF, icon, metafile) as OLE's picture object, which the
// caller releases; null when it cannot be decoded.
IPicture* decodeFile(const void* data, std::size_t size);

} // namespace ui::win32
