#include "ui/win32/win32_parts.h"

#include "chrome/skin.h"
#include "core/error.h"
#include "core/io/drive_files.h"
#include "core/platform/win32/win32_text.h"
#include "ui/win32/resource_pictures.h"
#include "ui/win32/win32_accessible.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <iterator>
#include <system_error>
#include <utility>

namespace ui::win32 {

namespace {

constexpr const wchar_t* kWindowClass = L"DostrojnikWindow";
constexpr const wchar_t* kPartClass = L"DostrojnikPart";
// The colour key of the skin: these pixels show what lies behind the window.
constexpr COLORREF kColourKey = RGB(0xFF, 0x00, 0xFF);

using core::win32::utf8;
using core::win32::wide;

LRESULT CALLBACK controlProcedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

Win32Part* partOf(HWND handle)
{
    return reinterpret_cast<Win32Part*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
}

HWND makeChild(Win32Window& window, const wchar_t* windowClass, DWORD style, DWORD exStyle, const Rect& place, int id)
{
    HWND child = CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | style, place.x, place.y,
                                 place.width, place.height, window.handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    // Later parts lie on top of earlier ones, as the window's design has them.
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The system's controls write in the design's font too.
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(window.font(LabelStyle{})), FALSE);
    return child;
}

std::wstring windowText(HWND handle)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(handle, text.data(), static_cast<int>(text.size()))));
    return text;
}

LRESULT CALLBACK partProcedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (Win32Part* part = partOf(handle))
        return part->message(msg, wParam, lParam);
    return DefWindowProcW(handle, msg, wParam, lParam);
}

// The face the texts are drawn in: the design's where the system has it with the Polish letters,
// else the first substitute it has; else the font mapper's own choice for the design's name.
std::wstring designFace()
{
    std::vector<std::string> faces{chrome::skin::fontFamily};
    faces.insert(faces.end(), std::begin(chrome::skin::fontSubstitutes), std::end(chrome::skin::fontSubstitutes));
    HDC dc = GetDC(nullptr);
    std::wstring chosen;
    for (const std::string& face : faces) {
        const std::wstring name = wide(face);
        HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, name.c_str());
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t given[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, given);
        const bool found = GetTextCharset(dc) == EASTEUROPE_CHARSET &&
                           CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, given, -1, name.c_str(), -1) == CSTR_EQUAL;
        SelectObject(dc, old);
        DeleteObject(font);
        if (found) {
            chosen = name;
            break;
        }
    }
    ReleaseDC(nullptr, dc);
    return chosen.empty() ? wide(chrome::skin::fontFamily) : chosen;
}

} // namespace

void registerClasses(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX controls{static_cast<DWORD>(sizeof(INITCOMMONCONTROLSEX)),
                                  ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    // The colour key shows until the background picture covers it.
    windowClass.hbrBackground = CreateSolidBrush(kColourKey);
    windowClass.lpfnWndProc = &Win32Window::procedure;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
    windowClass.hIcon = nullptr;
    windowClass.hbrBackground = nullptr;
    windowClass.lpfnWndProc = &partProcedure;
    windowClass.lpszClassName = kPartClass;
    RegisterClassExW(&windowClass);
}

// Parts

Win32Part::Win32Part(Win32Window& window, HWND handle) : m_window(window), m_handle(handle)
{
    SetWindowLongPtrW(m_handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Part::~Win32Part()
{
    RemoveWindowSubclass(m_handle, &controlProcedure, 1);
    SetWindowLongPtrW(m_handle, GWLP_USERDATA, 0);
    RemovePropW(m_handle, L"DostrojnikName");
}

LRESULT Win32Part::message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_handle, msg, wParam, lParam);
}

namespace {

LRESULT CALLBACK controlProcedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    LRESULT result = 0;
    if (reinterpret_cast<Win32Part*>(data)->controlMessage(msg, wParam, lParam, result))
        return result;
    if (msg == WM_GETOBJECT && answerObjectRequest(handle, wParam, lParam, result))
        return result;
    return DefSubclassProc(handle, msg, wParam, lParam);
}

} // namespace

void Win32Part::subclass()
{
    SetWindowSubclass(m_handle, &controlProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

void Win32Part::setVisiblePart(bool visible)
{
    ShowWindow(m_handle, visible ? SW_SHOWNA : SW_HIDE);
    m_window.invalidateOver(*this);
}

Rect Win32Part::placeOf() const
{
    RECT rect{};
    GetWindowRect(m_handle, &rect);
    MapWindowPoints(HWND_DESKTOP, m_window.handle(), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Win32Part::setPlaceOf(const Rect& place)
{
    SetWindowPos(m_handle, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Part::setName(const std::string& name)
{
    // Screen readers read a control by its window text; an edit box's window text is what it
    // holds, which a name must not replace: it tells its name when asked.
    wchar_t windowClass[8] = {};
    GetClassNameW(m_handle, windowClass, 8);
    if (_wcsicmp(windowClass, L"Edit") != 0) {
        SetWindowTextW(m_handle, wide(name).c_str());
        return;
    }
    m_accessibleName = wide(name);
    giveAccessibleName(m_handle, &m_accessibleName);
}

void Win32Part::setHintText(const std::string& text)
{
    m_hint = text;
    setHintOn(m_hintShown);
}

void Win32Part::setHintOn(bool shown)
{
    m_hintShown = shown;
    HWND tooltip = m_window.tooltip();
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window.handle();
    tool.uId = reinterpret_cast<UINT_PTR>(m_handle);
    if (m_toolAdded) {
        SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        m_toolAdded = false;
    }
    if (!shown || m_hint.empty())
        return;
    std::wstring text = wide(m_hint);
    tool.lpszText = text.data();
    m_toolAdded = SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

LRESULT ClickBehaviour::message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    ui::Clickable& target = clickable();
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        SetCapture(m_handle);
        m_pressed = msg == WM_LBUTTONDOWN;
        if (target.onMouseDown)
            target.onMouseDown();
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const bool click = msg == WM_LBUTTONUP && m_pressed;
        m_pressed = false;
        if (GetCapture() == m_handle)
            ReleaseCapture();
        if (target.onMouseUp)
            target.onMouseUp();
        RECT inside{};
        GetClientRect(m_handle, &inside);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (click && PtInRect(&inside, at) && target.onClick)
            target.onClick();
        return 0;
    }
    case WM_SETCURSOR:
        if (m_target) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE: return m_target ? DLGC_WANTCHARS | DLGC_BUTTON : 0;
    case WM_KEYDOWN:
        if (m_target && (wParam == VK_SPACE || wParam == VK_RETURN) && target.onClick) {
            target.onClick();
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(m_handle, nullptr, FALSE); break;
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (answerObjectRequest(m_handle, wParam, lParam, result))
            return result;
        break;
    }
    default: break;
    }
    return Win32Part::message(msg, wParam, lParam);
}

void ClickBehaviour::setTargetPart(bool target)
{
    m_target = target;
    LONG_PTR style = GetWindowLongPtrW(m_handle, GWL_STYLE);
    style = target ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(m_handle, GWL_STYLE, style);
    tellFacts();
}

void ClickBehaviour::setMarkedPart(bool marked)
{
    m_hasState = true;
    if (marked != m_marked) {
        m_marked = marked;
        InvalidateRect(m_handle, nullptr, FALSE);
    }
    tellFacts();
}

void ClickBehaviour::tellFacts() const
{
    const TargetRole role = !m_target ? TargetRole::None : m_hasState ? TargetRole::CheckBox : TargetRole::PushButton;
    setTargetFacts(m_handle, role, m_marked);
}

void ClickBehaviour::drawFrames(HDC dc) const
{
    RECT rect{};
    GetClientRect(m_handle, &rect);
    if (m_marked) {
        constexpr std::uint32_t accent = chrome::skin::accent;
        HBRUSH brush = CreateSolidBrush(RGB((accent >> 16) & 0xFF, (accent >> 8) & 0xFF, accent & 0xFF));
        FrameRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    if (GetFocus() == m_handle) {
        InflateRect(&rect, -2, -2);
        DrawFocusRect(dc, &rect);
    }
}

Win32Picture::Win32Picture(Win32Window& window, const std::string& name, const Rect& place)
    : PartOf(window, makeChild(window, kPartClass, 0, 0, place, 0))
{
    setName(name);
}

void Win32Picture::setPicture(const std::string& file)
{
    m_bitmap = file.empty() ? nullptr : m_window.pictures().bitmap(file);
    InvalidateRect(m_handle, nullptr, FALSE);
    m_window.invalidateOver(*this);
}

LRESULT Win32Picture::message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND)
        return TRUE;
    if (msg != WM_PAINT)
        return ClickBehaviour::message(msg, wParam, lParam);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_handle, &paint);
    m_window.paintUnder(*this, dc);
    if (m_bitmap) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, m_bitmap);
        BITMAP info{};
        GetObjectW(m_bitmap, sizeof(info), &info);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    drawFrames(dc);
    EndPaint(m_handle, &paint);
    return 0;
}

Win32Label::Win32Label(Win32Window& window, const Rect& place, const LabelStyle& style)
    : PartOf(window, makeChild(window, kPartClass, 0, 0, place, 0))
    , m_style(style)
    , m_font(window.font(style))
    , m_autoWidth(place.width == 0)
    , m_autoHeight(place.height == 0)
{
}

void Win32Label::setName(const std::string& name)
{
    m_named = !name.empty();
    Win32Part::setName(m_named ? name : m_text);
}

void Win32Label::setText(const std::string& text)
{
    m_text = text;
    // The window text is what screen readers read: the text, unless the label has a name.
    if (!m_named)
        SetWindowTextW(m_handle, wide(text).c_str());
    fit();
    InvalidateRect(m_handle, nullptr, FALSE);
    m_window.invalidateOver(*this);
}

void Win32Label::fit()
{
    if (!m_autoWidth && !m_autoHeight)
        return;
    Rect place = placeOf();
    HDC dc = GetDC(m_handle);
    HGDIOBJ old = SelectObject(dc, m_font);
    RECT bounds{0, 0, m_autoWidth ? 0 : place.width, 0};
    const std::wstring text = wide(m_text.empty() ? std::string(" ") : m_text);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
              (m_style.format & ~static_cast<UINT>(DT_VCENTER)) | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(m_handle, dc);
    if (m_autoWidth)
        place.width = bounds.right;
    place.height = bounds.bottom;
    setPlaceOf(place);
}

LRESULT Win32Label::message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND)
        return TRUE;
    if (msg != WM_PAINT)
        return ClickBehaviour::message(msg, wParam, lParam);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_handle, &paint);
    RECT rect{};
    GetClientRect(m_handle, &rect);
    if (!m_style.filled)
        m_window.paintUnder(*this, dc);
    draw(dc, rect);
    drawFrames(dc);
    EndPaint(m_handle, &paint);
    return 0;
}

void Win32Label::draw(HDC dc, RECT rect) const
{
    if (m_style.filled) {
        HBRUSH brush = CreateSolidBrush(m_style.background);
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }
    HGDIOBJ old = SelectObject(dc, m_font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_style.colour);
    const std::wstring text = wide(m_text);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, m_style.format);
    SelectObject(dc, old);
}

Win32EditBox::Win32EditBox(Win32Window& window, const Rect& place)
    : PartOf(window, makeChild(window, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, place, 0))
{
    SendMessageW(m_handle, EM_SETLIMITTEXT, 0, 0);
    subclass();
}

bool Win32EditBox::controlMessage(UINT msg, WPARAM, LPARAM, LRESULT&)
{
    // A held key repeats its presses but is let go once.
    if (msg == WM_KEYUP && onKeyUp)
        onKeyUp();
    return false;
}

void Win32EditBox::setText(const std::string& text)
{
    m_setting = true;
    SetWindowTextW(m_handle, wide(text).c_str());
    m_setting = false;
}

std::string Win32EditBox::text() const
{
    return utf8(windowText(m_handle));
}

void Win32EditBox::notify(WORD code)
{
    if (code == EN_CHANGE && !m_setting && onChange)
        onChange();
}

namespace {

// The list box and the file list are both the system's list control.
HWND makeList(Win32Window& window, const Rect& place, DWORD style = 0)
{
    return makeChild(window, L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | style,
                     WS_EX_CLIENTEDGE, place, 0);
}

// The file list's lines: as high as its glyphs.
constexpr int kFileLineHeight = 16;

bool isProgramName(const std::wstring& name)
{
    for (const wchar_t* extension : {L".exe", L".com", L".bat", L".pif"}) {
        const std::size_t length = std::wcslen(extension);
        if (name.size() >= length &&
            CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str() + name.size() - length,
                           static_cast<int>(length), extension, static_cast<int>(length)) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// The two glyphs of the file list, 16 pixels square at (x, y): a window for programs, a sheet of
// paper with a folded corner for other files.
void drawFileGlyph(HDC dc, int x, int y, bool program)
{
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    if (program) {
        Rectangle(dc, x + 1, y + 3, x + 15, y + 14);
        RECT bar{x + 2, y + 4, x + 14, y + 7};
        HBRUSH title = CreateSolidBrush(RGB(10, 36, 106));
        FillRect(dc, &bar, title);
        DeleteObject(title);
    } else {
        const POINT sheet[] = {{x + 3, y + 1}, {x + 10, y + 1}, {x + 13, y + 4}, {x + 13, y + 14}, {x + 3, y + 14}};
        Polygon(dc, sheet, 5);
        const POINT fold[] = {{x + 10, y + 1}, {x + 10, y + 4}, {x + 13, y + 4}};
        Polyline(dc, fold, 3);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void fillList(HWND list, const std::vector<std::string>& lines)
{
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(line).c_str()));
}

int listSelection(HWND list)
{
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

} // namespace

Win32ListBox::Win32ListBox(Win32Window& window, const Rect& place) : PartOf(window, makeList(window, place)) {}

void Win32ListBox::setLines(const std::vector<std::string>& lines)
{
    m_lines = lines;
    fillList(m_handle, lines);
}

int Win32ListBox::selection() const
{
    return listSelection(m_handle);
}

void Win32ListBox::setSelection(int line)
{
    SendMessageW(m_handle, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

void Win32ListBox::notify(WORD code)
{
    if (code == LBN_SELCHANGE && onPick)
        onPick();
}

Win32SpinEdit::Win32SpinEdit(Win32Window& window, const Rect& place, int minimum, int maximum)
    : PartOf(window, makeChild(window, L"EDIT", WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, place, 0))
{
    m_arrows =
        CreateWindowExW(0, UPDOWN_CLASSW, L"",
                        WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                        0, 0, 0, window.handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(m_arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_handle), 0);
    SendMessageW(m_arrows, UDM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
    subclass();
}

int Win32SpinEdit::value() const
{
    try {
        return std::stoi(utf8(windowText(m_handle)));
    } catch (const std::exception&) {
        return 0;
    }
}

void Win32SpinEdit::setValue(int value)
{
    m_setting = true;
    SendMessageW(m_arrows, UDM_SETPOS32, 0, value);
    SetWindowTextW(m_handle, std::to_wstring(value).c_str());
    m_setting = false;
}

void Win32SpinEdit::notify(WORD code)
{
    if (code == EN_CHANGE && !m_setting && onChange)
        onChange();
}

Win32FileList::Win32FileList(Win32Window& window, const Rect& place)
    : PartOf(window, makeList(window, place, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS))
{
    SendMessageW(m_handle, LB_SETITEMHEIGHT, 0, kFileLineHeight);
}

bool Win32FileList::drawItem(const DRAWITEMSTRUCT& item)
{
    if (item.itemID == static_cast<UINT>(-1))
        return true;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    std::wstring name(static_cast<std::size_t>(SendMessageW(m_handle, LB_GETTEXTLEN, item.itemID, 0)) + 1, L'\0');
    name.resize(static_cast<std::size_t>(
        SendMessageW(m_handle, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(name.data()))));
    drawFileGlyph(item.hDC, item.rcItem.left, item.rcItem.top, isProgramName(name));
    RECT text = item.rcItem;
    text.left += kFileLineHeight + 2;
    // A list given no font draws in the dialogs' own.
    auto* font = reinterpret_cast<HFONT>(SendMessageW(m_handle, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(item.hDC, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(item.hDC, oldFont);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

void Win32FileList::setNames(const std::vector<std::string>& names)
{
    m_names = names;
    fillList(m_handle, names);
}

int Win32FileList::selection() const
{
    return listSelection(m_handle);
}

void Win32FileList::notify(WORD code)
{
    if (code == LBN_SELCHANGE && onPick)
        onPick();
}

Win32Preview::Win32Preview(Win32Window& window, const Rect& place)
    : PartOf(window, makeChild(window, kPartClass, 0, WS_EX_CLIENTEDGE, place, 0))
{
}

Win32Preview::~Win32Preview()
{
    clear();
}

void Win32Preview::showFile(const core::DriveFiles& drive, const std::vector<std::string>& file)
{
    // Larger files are no wallpaper anybody previews.
    constexpr std::size_t largest = 256 * 1024 * 1024;
    const std::string name = file.empty() ? std::string() : file.back();
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    bool known = false;
    for (const char* format : {"bmp", "ico", "wmf", "emf", "jpg", "jpeg"})
        known =
            known || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, extension.c_str(), -1, format, -1) == CSTR_EQUAL;
    if (!known)
        throw core::Error("Unknown picture file extension (." + extension + ")");
    std::string data;
    if (const int error = drive.readFile(file, data, largest)) {
        if (error == EFBIG)
            throw core::Error("The picture file " + name + " is too large to show");
        throw core::Error("Cannot read the picture file " + name + ": " + std::generic_category().message(error));
    }
    IPicture* picture = decodeFile(data.data(), data.size());
    if (!picture)
        throw core::Error("The file " + name + " is not a valid picture");
    clear();
    m_picture = picture;
    InvalidateRect(m_handle, nullptr, TRUE);
}

void Win32Preview::clear()
{
    if (m_picture) {
        m_picture->Release();
        m_picture = nullptr;
    }
    InvalidateRect(m_handle, nullptr, TRUE);
}

void Win32Preview::setStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    InvalidateRect(m_handle, nullptr, TRUE);
}

LRESULT Win32Preview::message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return Win32Part::message(msg, wParam, lParam);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_handle, &paint);
    RECT area{};
    GetClientRect(m_handle, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    if (m_picture) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        m_picture->get_Width(&width);
        m_picture->get_Height(&height);
        // HIMETRIC is hundredths of a millimetre.
        const int pixelsWide = m_stretch ? area.right : MulDiv(width, GetDeviceCaps(dc, LOGPIXELSX), 2540);
        const int pixelsHigh = m_stretch ? area.bottom : MulDiv(height, GetDeviceCaps(dc, LOGPIXELSY), 2540);
        m_picture->Render(dc, 0, 0, pixelsWide, pixelsHigh, 0, height, width, -height, nullptr);
    }
    EndPaint(m_handle, &paint);
    return 0;
}

Win32Button::Win32Button(Win32Window& window, const Rect& place, const std::string& caption, bool compact)
    : PartOf(window, makeChild(window, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, place, 0))
{
    LabelStyle style;
    style.pointSize -= compact ? 1 : 0;
    SendMessageW(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(window.font(style)), FALSE);
    setText(caption);
    subclass();
}

void Win32Button::setText(const std::string& text)
{
    SetWindowTextW(m_handle, wide(text).c_str());
}

std::string Win32Button::text() const
{
    return utf8(windowText(m_handle));
}

void Win32Button::notify(WORD code)
{
    if (code == BN_CLICKED && onClick)
        onClick();
}

bool Win32Button::controlMessage(UINT msg, WPARAM, LPARAM, LRESULT& result)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (onMouseDown)
            onMouseDown();
        break;
    case WM_LBUTTONUP:
        if (onMouseUp)
            onMouseUp();
        break;
    case WM_SETCURSOR:
        if (m_target) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        break;
    default: break;
    }
    return false;
}

Win32CheckBox::Win32CheckBox(Win32Window& window, const Rect& place, const std::string& caption, bool checked)
    : PartOf(window, makeChild(window, L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, place, 0))
{
    SetWindowTextW(m_handle, wide(caption).c_str());
    setChecked(checked);
}

bool Win32CheckBox::isChecked() const
{
    return SendMessageW(m_handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32CheckBox::setChecked(bool checked)
{
    SendMessageW(m_handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Timers

Win32Timer::Win32Timer(HWND window, UINT_PTR id, int interval) : m_window(window), m_id(id), m_interval(interval) {}

Win32Timer::~Win32Timer()
{
    if (m_enabled)
        KillTimer(m_window, m_id);
}

void Win32Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        SetTimer(m_window, m_id, static_cast<UINT>(std::max(m_interval, 1)), nullptr);
    else
        KillTimer(m_window, m_id);
}

void Win32Timer::setInterval(int milliseconds)
{
    if (milliseconds == m_interval)
        return;
    m_interval = milliseconds;
    // SetTimer on a running timer starts its period anew.
    if (m_enabled)
        SetTimer(m_window, m_id, static_cast<UINT>(std::max(m_interval, 1)), nullptr);
}

// The window

Win32Window::Win32Window(PictureSource& pictures, const std::string& className, const std::string& caption, Size size)
    : m_pictures(pictures)
    , m_fontFace(designFace())
{
    // WS_EX_APPWINDOW: a borderless window still has its taskbar button.
    m_handle =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kWindowClass, wide(caption).c_str(),
                        WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                        size.width, size.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    (void)className;
    setOpacity(255);
}

Win32Window::~Win32Window()
{
    m_timers.clear();
    m_parts.clear();
    SetWindowLongPtrW(m_handle, GWLP_USERDATA, 0);
    DestroyWindow(m_handle);
    for (const auto& [size, font] : m_fonts)
        DeleteObject(font);
}

HFONT Win32Window::font(const LabelStyle& style)
{
    int height = -style.pixelSize;
    if (style.pixelSize == 0) {
        HDC dc = GetDC(m_handle);
        height = -MulDiv(style.pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(m_handle, dc);
    }
    const int weight = style.bold ? FW_BOLD : FW_NORMAL;
    HFONT& font = m_fonts[{height, weight}];
    if (!font)
        font = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, m_fontFace.c_str());
    return font;
}

HWND Win32Window::tooltip()
{
    if (!m_tooltip) {
        m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_handle, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        // Long hints wrap.
        SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    return m_tooltip;
}

template <class Kind>
Kind& Win32Window::keep(const std::string& name, std::unique_ptr<Kind> part)
{
    Kind& kept = *part;
    m_byName[name] = &kept;
    m_parts.push_back(std::move(part));
    return kept;
}

Win32Picture& Win32Window::addPicture(const std::string& name, const Rect& place)
{
    return keep(name, std::make_unique<Win32Picture>(*this, name, place));
}

Win32Label& Win32Window::addLabel(const std::string& name, const Rect& place, const LabelStyle& style)
{
    return keep(name, std::make_unique<Win32Label>(*this, place, style));
}

Win32EditBox& Win32Window::addEditBox(const std::string& name, const Rect& place)
{
    return keep(name, std::make_unique<Win32EditBox>(*this, place));
}

Win32ListBox& Win32Window::addListBox(const std::string& name, const Rect& place)
{
    return keep(name, std::make_unique<Win32ListBox>(*this, place));
}

Win32SpinEdit& Win32Window::addSpinEdit(const std::string& name, const Rect& place, int minimum, int maximum)
{
    return keep(name, std::make_unique<Win32SpinEdit>(*this, place, minimum, maximum));
}

Win32FileList& Win32Window::addFileList(const std::string& name, const Rect& place)
{
    return keep(name, std::make_unique<Win32FileList>(*this, place));
}

Win32Preview& Win32Window::addPreview(const std::string& name, const Rect& place)
{
    return keep(name, std::make_unique<Win32Preview>(*this, place));
}

Win32Button& Win32Window::addButton(const std::string& name, const Rect& place, const std::string& caption,
                                    bool compact)
{
    return keep(name, std::make_unique<Win32Button>(*this, place, caption, compact));
}

Win32CheckBox& Win32Window::addCheckBox(const std::string& name, const Rect& place, const std::string& caption,
                                        bool checked)
{
    return keep(name, std::make_unique<Win32CheckBox>(*this, place, caption, checked));
}

Win32Timer& Win32Window::addTimer(const std::string& name, int interval)
{
    const UINT_PTR id = m_timerIds.size() + 1;
    auto timer = std::make_unique<Win32Timer>(m_handle, id, interval);
    Win32Timer& kept = *timer;
    m_timerIds[id] = &kept;
    m_timers[name] = std::move(timer);
    return kept;
}

void Win32Window::placeAtFirstShow()
{
    if (m_placed)
        return;
    m_placed = true;
    // Centred in the work area of the monitor that holds the program's active window.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HWND active = GetActiveWindow();
    GetMonitorInfoW(MonitorFromWindow(active ? active : m_handle, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT own{};
    GetWindowRect(m_handle, &own);
    const RECT& area = monitor.rcWork;
    move({area.left + (area.right - area.left - (own.right - own.left)) / 2,
          area.top + (area.bottom - area.top - (own.bottom - own.top)) / 2});
}

void Win32Window::setVisible(bool visible)
{
    if (visible)
        placeAtFirstShow();
    ShowWindow(m_handle, visible ? SW_SHOW : SW_HIDE);
    if (visible)
        tellShown();
}

void Win32Window::tellShown()
{
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (onFirstShow)
            onFirstShow();
    }
    if (onShow)
        onShow();
}

bool Win32Window::isVisible() const
{
    return IsWindowVisible(m_handle) != FALSE;
}

void Win32Window::bringForward()
{
    placeAtFirstShow();
    ShowWindow(m_handle, IsIconic(m_handle) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_handle);
    tellShown();
}

void Win32Window::minimise()
{
    if (isVisible())
        ShowWindow(m_handle, SW_MINIMIZE);
}

void Win32Window::close()
{
    SendMessageW(m_handle, WM_CLOSE, 0, 0);
}

void Win32Window::showModal()
{
    // The skinned windows are never modal; the restart prompt is a message box of its own.
    bringForward();
}

Point Win32Window::position() const
{
    RECT rect{};
    GetWindowRect(m_handle, &rect);
    return {rect.left, rect.top};
}

void Win32Window::move(Point topLeft)
{
    SetWindowPos(m_handle, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::setOpacity(std::uint8_t alpha)
{
    m_alpha = alpha;
    SetLayeredWindowAttributes(m_handle, kColourKey, alpha, LWA_COLORKEY | LWA_ALPHA);
}

Picture* Win32Window::picture(const std::string& name)
{
    auto found = m_byName.find(name);
    return found == m_byName.end() ? nullptr : dynamic_cast<Picture*>(found->second);
}

Label* Win32Window::label(const std::string& name)
{
    auto found = m_byName.find(name);
    return found == m_byName.end() ? nullptr : dynamic_cast<Label*>(found->second);
}

Timer* Win32Window::timer(const std::string& name)
{
    auto found = m_timers.find(name);
    return found == m_timers.end() ? nullptr : found->second.get();
}

Part* Win32Window::part(const std::string& name)
{
    auto found = m_byName.find(name);
    return found == m_byName.end() ? nullptr : found->second;
}

void Win32Window::paintUnder(const Win32Part& child, HDC dc) const
{
    const Rect place = child.placeOf();
    for (const auto& part : m_parts) {
        if (part.get() == &child)
            break;
        if (!IsWindowVisible(part->handle()))
            continue;
        const Rect under = part->placeOf();
        // A label overlapped by a later part (a row's caption by the line under the row) shows
        // through it as the pictures do.
        if (const auto* label = dynamic_cast<const Win32Label*>(part.get())) {
            const int left = under.x - place.x;
            const int top = under.y - place.y;
            label->draw(dc, {left, top, left + under.width, top + under.height});
            continue;
        }
        const auto* picture = dynamic_cast<const Win32Picture*>(part.get());
        if (!picture || !picture->bitmap())
            continue;
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture->bitmap());
        BitBlt(dc, under.x - place.x, under.y - place.y, under.width, under.height, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
}

void Win32Window::invalidateOver(const Win32Part& part) const
{
    const Rect place = part.placeOf();
    const RECT area{place.x, place.y, place.x + place.width, place.y + place.height};
    bool above = false;
    for (const auto& other : m_parts) {
        if (above) {
            const Rect at = other->placeOf();
            const RECT over{at.x, at.y, at.x + at.width, at.y + at.height};
            RECT common{};
            if (IntersectRect(&common, &area, &over))
                InvalidateRect(other->handle(), nullptr, FALSE);
        }
        above = above || other.get() == &part;
    }
}

LRESULT CALLBACK Win32Window::procedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (!window)
        return DefWindowProcW(handle, msg, wParam, lParam);
    if (!window->m_handle)
        window->m_handle = handle;
    return window->message(msg, wParam, lParam);
}

LRESULT Win32Window::message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER: {
        auto found = m_timerIds.find(wParam);
        if (found != m_timerIds.end() && found->second->isEnabled() && found->second->onTick)
            found->second->onTick();
        return 0;
    }
    case WM_COMMAND:
        if (lParam != 0) {
            if (Win32Part* part = partOf(reinterpret_cast<HWND>(lParam)))
                part->notify(HIWORD(wParam));
        }
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        Win32Part* part = partOf(item.hwndItem);
        return part && part->drawItem(item) ? TRUE : FALSE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // The controls' frames and grounds would take the window's colour, the colour key.
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) {
            m_minimised = true;
        } else if (wParam == SIZE_RESTORED && m_minimised) {
            m_minimised = false;
            if (onRestored)
                onRestored();
        }
        break;
    case WM_CLOSE:
        if (!onClose || onClose()) {
            ShowWindow(m_handle, SW_HIDE);
            if (onClosed)
                onClosed();
        }
        return 0;
    default: break;
    }
    return DefWindowProcW(m_handle, msg, wParam, lParam);
}

// Message boxes

void Win32MessageBoxes::message(const std::string& text)
{
    MessageBoxW(GetActiveWindow(), wide(text).c_str(), wide(m_title).c_str(), MB_OK);
}

bool Win32MessageBoxes::askYesNo(const std::string& title, const std::string& text)
{
    return MessageBoxW(GetActiveWindow(), wide(text).c_str(), wide(title).c_str(), MB_YESNO) == IDYES;
}

void showErrorBox(const std::string& title, const std::string& text)
{
    MessageBoxW(GetActiveWindow(), wide(text).c_str(), wide(title).c_str(), MB_OK | MB_ICONSTOP);
}

} // namespace ui::win32
