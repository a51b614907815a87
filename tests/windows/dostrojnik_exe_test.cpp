// Starts dostrojnik.exe, opens its section windows from the main menu and clicks every target
// that writes the registry or runs commands with the real mouse messages, then reads the
// registry back and the commands from a logging command interpreter; answers its message boxes
// and types into its name entry; and compares every window as the screen shows it with the Qt
// front end's picture of it.

#include "app/definitions.h"
#include "chrome/definition.h"
#include "core/platform/win32/win32_text.h"
#include "core/registry/tregistry.h"
#include "core/registry/win32_registry.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

using core::win32::wide;

namespace {

using Expected = std::optional<std::variant<std::int32_t, std::string>>;

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds patience = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        // The program sends messages to the windows of this thread too (the System window asks
        // every top-level window for its caption): they are answered while waiting.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    return true;
}

// The first child window of `top` that passes `test`, given the child and its place in `top`.
HWND findChild(HWND top, const std::function<bool(HWND, const RECT&)>& test)
{
    struct Search {
        HWND top;
        const std::function<bool(HWND, const RECT&)>& test;
        HWND found = nullptr;
    } search{top, test};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            RECT rect{};
            GetWindowRect(child, &rect);
            MapWindowPoints(HWND_DESKTOP, s.top, reinterpret_cast<POINT*>(&rect), 2);
            if (s.test(child, rect))
                s.found = child;
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The child window that stands at the component's place.
HWND childAt(HWND top, const chrome::Component& component)
{
    const RECT place{component.place.x, component.place.y, component.place.x + component.place.width,
                     component.place.y + component.place.height};
    return findChild(top, [&](HWND, const RECT& rect) { return EqualRect(&rect, &place) != FALSE; });
}

// The top-level windows of one process, in their order from the top.
std::vector<HWND> windowsOf(DWORD process)
{
    struct Search {
        DWORD process;
        std::vector<HWND> found;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.process)
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string captionOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return core::win32::utf8(text);
}

void click(HWND target)
{
    const LPARAM middle = MAKELPARAM(2, 2);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(target, WM_LBUTTONUP, 0, middle);
}

void clickComponent(HWND top, const chrome::WindowDefinition& definition, const std::string& name)
{
    const chrome::Component* component = definition.find(name);
    ASSERT_NE(component, nullptr) << name;
    HWND target = childAt(top, *component);
    ASSERT_NE(target, nullptr) << definition.className << " " << name;
    click(target);
}

class Program {
public:
    explicit Program(const std::wstring& executable = wide(DOSTROJNIK_EXE))
    {
        std::wstring command = L"\"" + executable + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        m_started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &m_process) != FALSE;
    }
    ~Program()
    {
        if (!m_started)
            return;
        TerminateProcess(m_process.hProcess, 0);
        WaitForSingleObject(m_process.hProcess, 5000);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    bool started() const { return m_started; }
    DWORD id() const { return m_process.dwProcessId; }
    bool ended() const
    {
        return waitFor([&] { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; });
    }
    bool running() const { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }
    // The program's own window of this definition: another instance in the same prefix (one left
    // by an earlier run, or hung at start) has windows of the same class and caption.
    HWND window(const chrome::WindowDefinition& definition) const
    {
        for (HWND window : windowsOf(m_process.dwProcessId)) {
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (std::wstring_view(className) == L"DostrojnikWindow" && captionOf(window) == definition.caption)
                return window;
        }
        return nullptr;
    }
    // The captions of the program's windows, the visible ones (a message box among them)
    // marked, and of the desktop's other visible windows, for a failure.
    std::string windowList() const
    {
        std::string list;
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                if (IsWindowVisible(window))
                    *reinterpret_cast<std::string*>(data) += "\"" + captionOf(window) + "\" ";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&list));
        list += "; the program's: ";
        for (HWND window : windowsOf(m_process.dwProcessId))
            list += (IsWindowVisible(window) ? "+\"" : "\"") + captionOf(window) + "\" ";
        return list;
    }
    // Waits for the main window; a fresh prefix on a busy machine takes its time at the first start.
    HWND mainWindow() const
    {
        const chrome::WindowDefinition& main = app::mainDefinition();
        waitFor([&] { return IsWindowVisible(window(main)) != FALSE; }, std::chrono::seconds(60));
        return IsWindowVisible(window(main)) ? window(main) : nullptr;
    }

private:
    PROCESS_INFORMATION m_process{};
    bool m_started = false;
};

// A window's picture: 32-bit pixels, top row first.
struct Face {
    int width = 0;
    int height = 0;
    std::vector<RGBQUAD> pixels;
    const RGBQUAD& at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

Face faceOf(HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    Face face{width, height, std::vector<RGBQUAD>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), face.pixels.data(), &format, DIB_RGB_COLORS) != height)
        face = {};
    return face;
}

// The window as the screen shows it.
Face screenFace(HWND window)
{
    RECT place{};
    GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    Face face = faceOf(memory, bitmap, width, height);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return face;
}

Face fileFace(const std::string& path)
{
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, wide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap)
        return {};
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    HDC screen = GetDC(nullptr);
    Face face = faceOf(screen, bitmap, info.bmWidth, info.bmHeight);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return face;
}

// Keeps a face as a BMP file, to look at when it differs.
void saveFace(const Face& face, const std::string& path)
{
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = face.width;
    info.biHeight = -face.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    const auto bytes = static_cast<DWORD>(face.pixels.size() * sizeof(RGBQUAD));
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + bytes;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&header, sizeof(header), 1, out);
        std::fwrite(&info, sizeof(info), 1, out);
        std::fwrite(face.pixels.data(), 1, bytes, out);
        std::fclose(out);
    }
}

// The shares of a window's pixels that the screen shows more than `step` away in a channel from
// the Qt front end's face of it, inside the window's shape (the face's pixels that are not the
// colour key): outside the places of its texts and of the system's controls, and inside them,
// where the two systems' fonts and control styles differ by design.
struct Differences {
    double pictures = 1;
    double texts = 1;
};

Differences differingShares(const Face& shown, const Face& drawn, const chrome::WindowDefinition& definition, int step)
{
    std::vector<RECT> texts;
    for (const chrome::Component& component : definition.components) {
        if (component.kind == chrome::ComponentKind::Picture || component.kind == chrome::ComponentKind::Timer)
            continue;
        const chrome::Rect& place = component.place;
        // A label sized to its text has no size of its own: the row it stands in is left out.
        const int width = place.width > 0 ? place.width : definition.width - place.x;
        const int height = place.height > 0 ? place.height : 20;
        texts.push_back({place.x - 2, place.y - 2, place.x + width + 2, place.y + height + 2});
    }
    long counted[2] = {};
    long differing[2] = {};
    for (int y = 0; y < std::min(shown.height, drawn.height); ++y) {
        for (int x = 0; x < std::min(shown.width, drawn.width); ++x) {
            const RGBQUAD& want = drawn.at(x, y);
            if (want.rgbRed > 200 && want.rgbBlue > 200 && want.rgbGreen < 60)
                continue;
            const POINT point{x, y};
            const bool text =
                std::any_of(texts.begin(), texts.end(), [&](const RECT& place) { return PtInRect(&place, point); });
            const RGBQUAD& got = shown.at(x, y);
            ++counted[text];
            if (std::abs(got.rgbRed - want.rgbRed) > step || std::abs(got.rgbGreen - want.rgbGreen) > step ||
                std::abs(got.rgbBlue - want.rgbBlue) > step)
                ++differing[text];
        }
    }
    auto share = [](long part, long whole) {
        return whole ? static_cast<double>(part) / static_cast<double>(whole) : 0.0;
    };
    return {share(differing[0], counted[0]), share(differing[1], counted[1])};
}

// Gives a variable of this process's environment, which the programs it starts inherit, another
// value until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : m_name(name)
    {
        std::wstring old(32767, L'\0');
        const DWORD length = GetEnvironmentVariableW(name, old.data(), static_cast<DWORD>(old.size()));
        if (length > 0 && length < old.size())
            m_old = old.substr(0, length);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(m_name, m_old ? m_old->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* m_name;
    std::optional<std::wstring> m_old;
};

// The programs started in its scope get the logging command interpreter, which writes each
// command line it is given to a log, a line each, and runs nothing.
class ShellLog {
public:
    std::string text() const { return testing_support::readText(m_folder / "shell.log"); }
    void clear() const { DeleteFileW((m_folder / "shell.log").wstring().c_str()); }
    bool holds(const std::string& lines) const
    {
        return waitFor([&] { return text() == lines; }, std::chrono::seconds(5));
    }

private:
    testing_support::TemporaryFolder m_folder;
    ScopedVariable m_shell{L"COMSPEC", std::filesystem::path(wide(DOSTROJNIK_LOGGING_SHELL)).make_preferred()};
    ScopedVariable m_log{L"DOSTROJNIK_SHELL_LOG", m_folder / "shell.log"};
};

// A copy of the program beside its own settings file, when there is one.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::string& settings = {})
    {
        CopyFileW(wide(DOSTROJNIK_EXE).c_str(), (m_folder / "dostrojnik.exe").wstring().c_str(), FALSE);
        if (!settings.empty())
            testing_support::writeText(m_folder / "dostrojnik.ini", settings);
    }
    std::wstring executable() const { return (m_folder / "dostrojnik.exe").wstring(); }
    std::string settings() const { return testing_support::readText(m_folder / "dostrojnik.ini"); }

private:
    testing_support::TemporaryFolder m_folder;
};

// Where a label's text stands: the box of its place's pixels more than `step` away in a channel
// from the colour that most of the place shows. A label sized to its text has a place as wide as
// the room up to the next part on its row, and one line high.
struct Ink {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
    // How far the left or right edge lies from the other's; the top or bottom edge.
    int across(const Ink& other) const { return std::max(std::abs(left - other.left), std::abs(right - other.right)); }
    int down(const Ink& other) const { return std::max(std::abs(top - other.top), std::abs(bottom - other.bottom)); }
};

std::ostream& operator<<(std::ostream& out, const Ink& ink)
{
    return out << "(" << ink.left << "," << ink.top << ")-(" << ink.right << "," << ink.bottom << ")";
}

RECT roomOf(const chrome::Component& label, const chrome::WindowDefinition& definition)
{
    const chrome::Rect& place = label.place;
    RECT room{place.x, place.y, place.x + place.width, place.y + (place.height > 0 ? place.height : 16)};
    if (place.width > 0)
        return room;
    room.right = definition.width;
    for (const chrome::Component& other : definition.components) {
        const chrome::Rect& at = other.place;
        if (other.kind != chrome::ComponentKind::Timer && at.x > place.x && at.x < room.right && at.y < room.bottom &&
            at.y + std::max(at.height, 1) > room.top)
            room.right = at.x;
    }
    return room;
}

// Whether the window shows the label with the text of its design: it fills some in as it runs,
// in its own time.
bool showsDesignText(HWND top, const chrome::Component& label)
{
    return findChild(top, [&](HWND child, const RECT& rect) {
               std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
               text.resize(static_cast<std::size_t>(GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
               return rect.left == label.place.x && rect.top == label.place.y &&
                      (text == wide(label.text) || (!text.empty() && text == wide(label.accessibleName)));
           }) != nullptr;
}

Ink inkOf(const Face& face, RECT room, int step)
{
    room.right = std::min<LONG>(room.right, face.width);
    room.bottom = std::min<LONG>(room.bottom, face.height);
    auto key = [](const RGBQUAD& pixel) {
        return (pixel.rgbRed >> 4) << 8 | (pixel.rgbGreen >> 4) << 4 | pixel.rgbBlue >> 4;
    };
    std::map<int, std::pair<int, RGBQUAD>> colours;
    for (int y = room.top; y < room.bottom; ++y) {
        for (int x = room.left; x < room.right; ++x) {
            auto& [count, colour] = colours[key(face.at(x, y))];
            colour = face.at(x, y);
            ++count;
        }
    }
    if (colours.empty())
        return {};
    const RGBQUAD ground = std::max_element(colours.begin(), colours.end(), [](const auto& a, const auto& b) {
                               return a.second.first < b.second.first;
                           })->second.second;
    Ink ink{room.right, room.bottom, -1, -1};
    for (int y = room.top; y < room.bottom; ++y) {
        for (int x = room.left; x < room.right; ++x) {
            const RGBQUAD& pixel = face.at(x, y);
            if (std::abs(pixel.rgbRed - ground.rgbRed) > step || std::abs(pixel.rgbGreen - ground.rgbGreen) > step ||
                std::abs(pixel.rgbBlue - ground.rgbBlue) > step)
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x), std::max(ink.bottom, y)};
        }
    }
    return ink.right < 0 ? Ink{} : ink;
}

Expected readBack(core::RegistryApi& api, const chrome::RegistryKey& key, const std::string& name, bool integer)
{
    core::TRegistry registry(api);
    registry.SetRootKey(key.root);
    if (!registry.OpenKey(key.path, false) || !registry.ValueExists(name))
        return std::nullopt;
    if (integer)
        return registry.ReadInteger(name);
    return registry.ReadString(name);
}

// A window's text as the window itself gives it: an edit box's is what was typed into it.
std::string textOf(HWND window)
{
    wchar_t text[256] = {};
    SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return core::win32::utf8(text);
}

bool showsText(HWND top, const std::string& text)
{
    return findChild(top, [&](HWND child, const RECT&) { return IsWindowVisible(child) && textOf(child) == text; }) !=
           nullptr;
}

void pause(std::chrono::milliseconds length)
{
    const auto end = std::chrono::steady_clock::now() + length;
    waitFor([&] { return std::chrono::steady_clock::now() > end; });
}

// The visible message box of the process: a window of the system's dialog class.
HWND messageBoxOf(const Program& program, std::chrono::seconds patience = std::chrono::seconds(10))
{
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND window : windowsOf(program.id())) {
                wchar_t name[16] = {};
                GetClassNameW(window, name, 16);
                if (std::wstring_view(name) == L"#32770" && IsWindowVisible(window))
                    found = window;
            }
            return found != nullptr;
        },
        patience);
    return found;
}

long differingPixels(const Face& one, const Face& other, int step)
{
    long differing = 0;
    for (std::size_t i = 0; i < std::min(one.pixels.size(), other.pixels.size()); ++i) {
        const RGBQUAD& a = one.pixels[i];
        const RGBQUAD& b = other.pixels[i];
        differing += std::abs(a.rgbRed - b.rgbRed) > step || std::abs(a.rgbGreen - b.rgbGreen) > step ||
                     std::abs(a.rgbBlue - b.rgbBlue) > step;
    }
    return differing;
}

// The system icon that a message box's icon place shows, "" for none: drawing that icon over
// the place's picture changes next to nothing, any other icon much.
std::string iconShown(HWND place)
{
    if (!SendMessageW(place, STM_GETICON, 0, 0))
        return {};
    const Face shown = screenFace(place);
    const std::pair<const char*, LPCWSTR> icons[] = {
        {"stop", IDI_HAND}, {"question", IDI_QUESTION}, {"warning", IDI_EXCLAMATION}, {"information", IDI_ASTERISK}};
    std::string closest;
    long fewest = shown.width * shown.height + 1;
    HDC screen = GetDC(nullptr);
    for (const auto& [name, icon] : icons) {
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, shown.width, shown.height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BITMAPINFO format{};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), shown.width, -shown.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(memory, 0, 0, static_cast<DWORD>(shown.width), static_cast<DWORD>(shown.height), 0, 0, 0,
                          static_cast<UINT>(shown.height), shown.pixels.data(), &format, DIB_RGB_COLORS);
        DrawIconEx(memory, 0, 0, LoadIconW(nullptr, icon), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
        SelectObject(memory, old);
        const long differing = differingPixels(shown, faceOf(memory, bitmap, shown.width, shown.height), 48);
        if (differing < fewest) {
            fewest = differing;
            closest = name;
        }
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return fewest * 10 < shown.width * shown.height ? closest : "";
}

// What a message box shows: its caption, its text and its icon ("" for none).
struct BoxFace {
    std::string caption;
    std::string text;
    std::string icon;
    bool operator==(const BoxFace&) const = default;
};

std::ostream& operator<<(std::ostream& out, const BoxFace& face)
{
    return out << "\"" << face.caption << "\" \"" << face.text << "\" " << face.icon;
}

BoxFace faceOfBox(HWND box)
{
    // Its parts paint after it shows.
    pause(std::chrono::milliseconds(500));
    struct Parts {
        std::string text;
        HWND icon = nullptr;
    } parts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            auto& p = *reinterpret_cast<Parts*>(data);
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (_wcsicmp(name, L"Static") != 0 || !IsWindowVisible(child))
                return TRUE;
            if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                p.icon = child;
            else if (const std::string text = textOf(child); text.size() > p.text.size())
                p.text = text;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&parts));
    return {captionOf(box), parts.text, parts.icon ? iconShown(parts.icon) : ""};
}

// Answers a message box with one of its buttons, as a click does, and waits until it is gone.
bool answer(HWND box, int button)
{
    PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
    return waitFor([&] { return IsWindow(box) == FALSE; });
}

const chrome::WindowDefinition& definitionOf(const std::string& className)
{
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        if (definition->className == className)
            return *definition;
    }
    throw std::logic_error("no window " + className);
}

// Opens a window from the main window's menu and gives it when it shows.
HWND openFromMenu(const Program& program, HWND menu, const std::string& className)
{
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        if (entry.windowClass == className)
            clickComponent(menu, app::mainDefinition(), entry.target);
    }
    const HWND top = program.window(definitionOf(className));
    return waitFor([&] { return IsWindowVisible(top) != FALSE; }) ? top : nullptr;
}

bool keyExists(const std::string& path)
{
    core::Win32Registry api;
    return core::TRegistry(api).OpenKey(path, false);
}

} // namespace

TEST(DostrojnikExe, EveryTargetWritesWhatItsRowSays)
{
    core::Win32Registry api;
    // The keys that rows open without creating them, as a machine in use has them; Windows has
    // the shell's policy key from the start, and the Protection window writes there when it is made.
    {
        core::TRegistry registry(api);
        registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", true);
    }
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        for (const chrome::OptionRow& row : definition->options) {
            if (row.action.steps.empty())
                continue;
            core::TRegistry registry(api);
            registry.SetRootKey(row.action.key.root);
            registry.OpenKey(row.action.key.path, true);
        }
    }

    // A wallpaper on the real drive C:, for the Removal window's list.
    CreateDirectoryW(L"C:\\windows\\Web", nullptr);
    CreateDirectoryW(L"C:\\windows\\Web\\Wallpaper", nullptr);
    testing_support::writeText("C:\\windows\\Web\\Wallpaper\\dostrojnik-test.bmp", "BM");

    // What the rows that run commands hand to the command interpreter, a line each.
    const std::map<std::pair<std::string, std::string>, std::string> commandLines{
        {{"TForm2", "Image4"}, "copy sysoc.inf C:\\Windows\\inf\\\n"},
        {{"TForm2", "Image9"}, "start net user Administrator /active:yes\n"},
        {{"TForm2", "Image10"}, "start net user Administrator /active:no\n"},
        {{"TForm2", "Image12"}, "start regsvr32 zipfldr.dll\n"},
        {{"TForm2", "Image13"}, "start regsvr32 /u zipfldr.dll\n"},
        {{"TForm5", "Image3"}, "start defrag c: -b\n"},
        {{"TForm5", "Image6"}, "rundll32.exe advapi32.dll ,ProcessIdleTasks\n"},
        {{"TForm6", "Image2"}, "rd /s /q %TMP%\nmd %TMP%\n"},
        {{"TForm6", "Image3"}, "rd /s /q Recent\nmd Recent\n"},
        {{"TForm6", "Image8"}, "start %WinDir%\\System32\\dllcache\\sfc.exe /purgecache\n"},
        {{"TForm6", "Image9"}, "start Rundll32 advpack.dll,LaunchINFSection %Windir%\\INF\\msmsgs.inf,BLC.Remove\n"},
        {{"TForm9", "Image5"}, "start sfc /scannow\n"},
        {{"TForm9", "Image8"}, "start sfc /scanboot\n"},
        {{"TForm9", "Image9"}, "start sfc /revert\n"},
    };
    const ShellLog shell;
    const ProgramCopy copy;
    Program program(copy.executable());
    ASSERT_TRUE(program.started());
    const chrome::WindowDefinition& mainWindow = app::mainDefinition();
    const HWND menu = program.mainWindow();
    ASSERT_NE(menu, nullptr) << "no main window; running: " << program.running()
                             << "; windows shown: " << program.windowList();
    std::map<std::string, std::string> menuTargets;
    for (const app::MenuEntry& entry : app::sectionMenu())
        menuTargets[entry.windowClass] = entry.target;

    int checked = 0;
    std::size_t commandRows = 0;
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        SCOPED_TRACE(definition->className);
        HWND top = program.window(*definition);
        ASSERT_NE(top, nullptr) << "window not built";
        if (auto entry = menuTargets.find(definition->className); entry != menuTargets.end()) {
            clickComponent(menu, mainWindow, entry->second);
            EXPECT_TRUE(waitFor([&] { return IsWindowVisible(top) != FALSE; })) << "the menu did not open it";
        }
        for (const chrome::OptionRow& row : definition->options) {
            const chrome::Action& action = row.action;
            SCOPED_TRACE(row.target);
            if (!action.commands.empty()) {
                const auto lines = commandLines.find({definition->className, row.target});
                ASSERT_NE(lines, commandLines.end()) << "a row that runs commands the test does not know";
                shell.clear();
                clickComponent(top, *definition, row.target);
                EXPECT_TRUE(shell.holds(lines->second)) << shell.text();
                ++commandRows;
            }
            if (action.steps.empty())
                continue;
            // What the row leaves, value by value: the last step on a name wins.
            std::map<std::string, std::pair<Expected, bool>> expected;
            for (const chrome::OptionStep& step : action.steps) {
                switch (step.kind) {
                case chrome::OptionStepKind::WriteInteger: expected[step.name] = {step.integer, true}; break;
                case chrome::OptionStepKind::WriteString: expected[step.name] = {step.text, false}; break;
                case chrome::OptionStepKind::DeleteValue: expected[step.name] = {std::nullopt, true}; break;
                case chrome::OptionStepKind::DeleteKey: break;
                }
            }
            // The value before the click must differ, or the click would prove nothing.
            for (const auto& [name, value] : expected) {
                core::TRegistry registry(api);
                registry.SetRootKey(action.key.root);
                registry.OpenKey(action.key.path, true);
                if (value.first)
                    registry.DeleteValue(name);
                else
                    registry.WriteString(name, "?");
            }
            clickComponent(top, *definition, row.target);
            for (const auto& [name, value] : expected) {
                const bool integer = value.second;
                const Expected want = value.first;
                EXPECT_TRUE(waitFor([&] { return readBack(api, action.key, name, integer) == want; }))
                    << action.key.path << " " << name;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
    EXPECT_EQ(commandRows, commandLines.size());

    // The first-run panel's restore button starts the restore tool where this Windows keeps it.
    const struct {
        std::vector<const wchar_t*> tools;
        std::string line;
    } restores[] = {
        {{}, "start %WinDir%\\System32\\Restore\\rstrui.exe\n"},
        {{L"C:\\windows\\system32\\rstrui.exe"}, "start %WinDir%\\System32\\rstrui.exe\n"},
        {{L"C:\\windows\\system32\\rstrui.exe", L"C:\\windows\\system32\\Restore\\rstrui.exe"},
         "start %WinDir%\\System32\\Restore\\rstrui.exe\n"},
    };
    CreateDirectoryW(L"C:\\windows\\system32\\Restore", nullptr);
    for (const auto& restore : restores) {
        SCOPED_TRACE(restore.line);
        for (const wchar_t* tool : restore.tools)
            testing_support::writeText(tool, "MZ");
        shell.clear();
        const HWND button = childAt(menu, *mainWindow.find("Button2"));
        ASSERT_TRUE(IsWindowVisible(button));
        click(button);
        EXPECT_TRUE(shell.holds(restore.line)) << shell.text();
        for (const wchar_t* tool : restore.tools)
            DeleteFileW(tool);
    }

    // The Removal window, opened above, lists the wallpaper folder of the drive.
    const chrome::WindowDefinition* removal = nullptr;
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        if (definition->className == "TForm6")
            removal = definition;
    }
    ASSERT_NE(removal, nullptr);
    const HWND list = childAt(program.window(*removal), *removal->find("FileListBox1"));
    ASSERT_NE(list, nullptr);
    std::vector<std::string> names;
    for (LRESULT line = 0; line < SendMessageW(list, LB_GETCOUNT, 0, 0); ++line) {
        wchar_t name[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(name));
        names.push_back(core::win32::utf8(name));
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "dostrojnik-test.bmp"), names.end());
    DeleteFileW(L"C:\\windows\\Web\\Wallpaper\\dostrojnik-test.bmp");
    EXPECT_TRUE(program.running());
}

// The look: the main window and every window its menu opens, against the Qt front end's face
// of it, which the Linux build draws at the scale of 1 from the same pictures with a user name
// stored, so that the main window shows the name instead of the first-run panel.
TEST(DostrojnikExe, EveryWindowLooksAsTheQtFrontEndDrawsIt)
{
    // Beyond 48 in a channel is no JPEG noise or edge smoothing but another colour. The texts
    // and controls are counted apart: the fonts differ (the system stands in its own face for
    // "MS Sans Serif"), so there only a text missing or far out of place exceeds the tolerance.
    constexpr int step = 48;
    constexpr double pictureTolerance = 0.01;
    constexpr double textTolerance = 0.2;
    // A label's text may end this many pixels from where the Qt front end's ends, at any edge:
    // the same face in whole pixels instead of fractions (11 instead of 10.67), with the system's
    // own hinting; lines of wrapped text stand up to a pixel closer or further apart.
    constexpr int inkTolerance = 6;
    {
        core::Win32Registry api;
        core::TRegistry registry(api);
        registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", true);
    }
    // A copy beside its own settings file, which holds the user's name (Windows-1250).
    testing_support::TemporaryFolder folder;
    const std::wstring copy = (folder / "dostrojnik.exe").wstring();
    ASSERT_TRUE(CopyFileW(wide(DOSTROJNIK_EXE).c_str(), copy.c_str(), FALSE));
    testing_support::writeText(folder / "dostrojnik.ini", "[U\xbfytkownik]\r\nNazwa=Jan Kowalski\r\n");
    Program program(copy);
    ASSERT_TRUE(program.started());
    const HWND menu = program.mainWindow();
    ASSERT_NE(menu, nullptr) << "windows shown: " << program.windowList();
    const chrome::WindowDefinition& mainWindow = app::mainDefinition();
    std::vector<std::pair<const chrome::WindowDefinition*, std::string>> windows{{&mainWindow, ""}};
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
            if (definition->className == entry.windowClass)
                windows.emplace_back(definition, entry.target);
        }
    }
    for (const auto& [definition, target] : windows) {
        SCOPED_TRACE(definition->className);
        const HWND top = program.window(*definition);
        ASSERT_NE(top, nullptr);
        if (!target.empty())
            clickComponent(menu, mainWindow, target);
        ASSERT_TRUE(waitFor([&] { return IsWindowVisible(top) != FALSE; }));
        // Its parts paint after it shows.
        const auto painted = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
        waitFor([&] { return std::chrono::steady_clock::now() > painted; });
        const Face drawn = fileFace(std::string(DOSTROJNIK_FACES) + "/" + definition->className + ".bmp");
        ASSERT_GT(drawn.width, 0) << "no face drawn by the Linux build";
        const Face shown = screenFace(top);
        EXPECT_EQ(shown.width, drawn.width);
        EXPECT_EQ(shown.height, drawn.height);
        const Differences differences = differingShares(shown, drawn, *definition, step);
        std::printf("%s: %.2f%% of the pictures' pixels differ, %.2f%% of the texts'\n", definition->className.c_str(),
                    differences.pictures * 100, differences.texts * 100);
        EXPECT_LE(differences.pictures, pictureTolerance);
        EXPECT_LE(differences.texts, textTolerance);
        int worstAcross = 0;
        int worstDown = 0;
        for (const chrome::Component& label : definition->components) {
            if (label.kind != chrome::ComponentKind::Label || !showsDesignText(top, label))
                continue;
            const RECT room = roomOf(label, *definition);
            const Ink want = inkOf(drawn, room, step);
            const Ink got = inkOf(shown, room, step);
            worstAcross = std::max(worstAcross, got.across(want));
            worstDown = std::max(worstDown, got.down(want));
            EXPECT_LE(got.across(want), inkTolerance)
                << label.name << " \"" << label.text << "\" " << got << " " << want;
            EXPECT_LE(got.down(want), inkTolerance + (want.bottom - want.top) / 11)
                << label.name << " \"" << label.text << "\" " << got << " " << want;
        }
        std::printf("%s: labels' texts end at most %d pixels to the side, %d up or down of the Qt front end's\n",
                    definition->className.c_str(), worstAcross, worstDown);
        if (HasFailure())
            saveFace(shown, definition->className + "-shown.bmp");
    }
}

// The system's message boxes, answered as a user would, and the name entry, typed into with the
// keyboard's messages: what each shows and what its answer leads to.
TEST(DostrojnikExe, MessageBoxesAndTheNameEntryDoWhatTheirAnswersSay)
{
    const std::string title = "Kwintor Dostrojnik 2004";
    const std::string policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies";
    const BoxFace restartPrompt{"System Windows",
                                "Niektóre funkcje programu Kwintor Dostrojnik wymagają ponownego uruchomienia "
                                "komputera. Czy chcesz to zrobić teraz?",
                                ""};
    const chrome::WindowDefinition& mainWindow = app::mainDefinition();
    const ShellLog shell;

    // Without the shell's policy key the Protection window's write at its creation fails: the
    // error box, after which the start goes on. "Nie" of the restart prompt ends the program
    // without a command.
    RegDeleteTreeW(HKEY_CURRENT_USER, wide(policies + "\\Explorer").c_str());
    {
        const ProgramCopy copy;
        Program program(copy.executable());
        HWND box = messageBoxOf(program, std::chrono::seconds(60));
        ASSERT_NE(box, nullptr) << program.windowList();
        EXPECT_EQ(faceOfBox(box), (BoxFace{title, "Failed to set data for 'DisallowRun'.", "stop"}));
        EXPECT_TRUE(answer(box, IDOK));
        const HWND menu = program.mainWindow();
        ASSERT_NE(menu, nullptr) << program.windowList();
        clickComponent(menu, mainWindow, "Image5");
        box = messageBoxOf(program);
        ASSERT_NE(box, nullptr) << program.windowList();
        EXPECT_EQ(faceOfBox(box), restartPrompt);
        EXPECT_TRUE(answer(box, IDNO));
        EXPECT_TRUE(program.ended());
        EXPECT_EQ(shell.text(), "");
        EXPECT_NE(copy.settings().find("Partycja=C"), std::string::npos) << copy.settings();
    }
    EXPECT_FALSE(keyExists(policies + "\\Explorer"));
    core::Win32Registry api;
    core::TRegistry(api).OpenKey(policies + "\\Explorer", true);

    const ProgramCopy copy;
    Program program(copy.executable());
    const HWND menu = program.mainWindow();
    ASSERT_NE(menu, nullptr) << program.windowList();

    // The name entry takes 14 characters; Enter adds no line and confirms nothing. The typed
    // characters come as the character messages that the keyboard's translation makes.
    const HWND entry = childAt(menu, *mainWindow.find("Memo1"));
    ASSERT_TRUE(IsWindowVisible(entry));
    for (const wchar_t character : std::wstring(L"Zażółć gęślą jaźń"))
        PostMessageW(entry, WM_CHAR, character, 1);
    PostMessageW(entry, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(entry, WM_CHAR, L'\r', 1);
    PostMessageW(entry, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001));
    const std::string name = "Zażółć gęślą j";
    EXPECT_TRUE(waitFor([&] { return textOf(entry) == name; })) << textOf(entry);
    pause(std::chrono::milliseconds(300));
    EXPECT_EQ(textOf(entry), name);
    EXPECT_TRUE(IsWindowVisible(entry));
    click(childAt(menu, *mainWindow.find("Button3")));
    EXPECT_TRUE(waitFor([&] { return showsText(menu, "Zarejestrowano dla: " + name); }));
    EXPECT_FALSE(IsWindowVisible(entry));
    // The settings file is in the system's code page.
    EXPECT_NE(copy.settings().find("Nazwa=Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 j\r\n"), std::string::npos)
        << copy.settings();
    // The About window shows the name once its name timer has copied it: a second after start,
    // then every 20 seconds, so a name confirmed after that first copy can take 20 seconds.
    const HWND about = openFromMenu(program, menu, "TForm8");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(waitFor([&] { return showsText(about, name); }, std::chrono::seconds(25)));

    const HWND protection = openFromMenu(program, menu, "TForm4");
    const HWND system = openFromMenu(program, menu, "TForm2");
    ASSERT_NE(protection, nullptr);
    ASSERT_NE(system, nullptr);
    // The spin edit's box, narrowed by its arrows, holds its value, not its name.
    const HWND spin =
        findChild(system, [](HWND child, const RECT&) { return (GetWindowLongW(child, GWL_STYLE) & ES_NUMBER) != 0; });
    EXPECT_EQ(textOf(spin), "5");
    // Each entry loads itself from the registry shortly after the window opens.
    pause(std::chrono::milliseconds(500));
    const chrome::WindowDefinition& protectionWindow = definitionOf("TForm4");
    auto block = [&](const wchar_t* subkey) {
        SendMessageW(childAt(protection, *protectionWindow.find("Edit1")), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(subkey));
        SendMessageW(childAt(protection, *protectionWindow.find("Edit2")), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(L"gra.exe"));
        clickComponent(protection, protectionWindow, "Image4");
    };
    const std::string created = policies + "\\DostrojnikTest";
    RegDeleteTreeW(HKEY_CURRENT_USER, wide(created).c_str());
    const chrome::RegistryKey list{core::RootKey::CurrentUser, created + "\\DisallowRun", false};
    const struct {
        const char* what;
        std::function<void()> ask;
        BoxFace face;
        int button;
        std::function<bool()> effect;
    } boxes[] = {
        {"block without a subkey",
         [&] { block(L""); },
         {title, "Wpisz nazwę programu", ""},
         IDOK,
         [&] { return program.running(); }},
        {"end without a process",
         [&] { clickComponent(system, definitionOf("TForm2"), "Button3"); },
         {title, "Nie zaznaczono procesu", ""},
         IDOK,
         [&] { return program.running(); }},
        {"block into a missing subkey, no",
         [&] { block(L"DostrojnikTest"); },
         {"", "The specified key does not exist, create it?", ""},
         IDNO,
         [&] { return !keyExists(created); }},
        {"block into a missing subkey, yes",
         [&] { block(L"DostrojnikTest"); },
         {"", "The specified key does not exist, create it?", ""},
         IDYES,
         [&] { return readBack(api, list, "1", false) == Expected(std::string("gra.exe")); }},
        {"the restart prompt, yes", [&] { clickComponent(menu, mainWindow, "Image5"); }, restartPrompt, IDYES,
         [&] { return program.ended() && shell.text() == "shutdown -r -t 0\n"; }},
    };
    for (const auto& row : boxes) {
        SCOPED_TRACE(row.what);
        row.ask();
        const HWND box = messageBoxOf(program);
        ASSERT_NE(box, nullptr) << program.windowList();
        EXPECT_EQ(faceOfBox(box), row.face);
        EXPECT_TRUE(answer(box, row.button));
        EXPECT_TRUE(waitFor(row.effect));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, wide(created).c_str());
}
