#include "ui/win32/win32_program.h"

#include "picture_resources.h"

#include <objbase.h>

#include <iterator>
#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // OleLoadPicture decodes the pictures.
    OleInitialize(nullptr);
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    ui::win32::ResourcePictures pictures(kPictureResources, std::size(kPictureResources));
    const int code = ui::win32::runProgram(instance, std::filesystem::path(path), pictures);
    OleUninitialize();
    return code;
}
