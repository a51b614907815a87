// The window parts as assistive technology reads them, through the system's accessibility API:
// targets are push buttons, or check boxes once they have a state, checked while marked; edit
// boxes are named without their text being touched.

#include "ui/win32/win32_parts.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

using namespace ui::win32;

namespace {

class NoPictures final : public PictureSource {
public:
    HBITMAP bitmap(const std::string&) override { return nullptr; }
};

std::vector<HWND> g_stateChanges;

void CALLBACK stateChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (object == OBJID_CLIENT && child == CHILDID_SELF)
        g_stateChanges.push_back(window);
}

void pumpMessages()
{
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

struct Read {
    LONG role = 0;
    bool checked = false;
    std::wstring name;
};

Read read(HWND part)
{
    IAccessible* object = nullptr;
    Read seen;
    if (FAILED(AccessibleObjectFromWindow(part, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return seen;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT value{};
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4)
        seen.role = value.lVal;
    if (SUCCEEDED(object->get_accState(self, &value)) && value.vt == VT_I4)
        seen.checked = (value.lVal & STATE_SYSTEM_CHECKED) != 0;
    BSTR name = nullptr;
    if (object->get_accName(self, &name) == S_OK && name) {
        seen.name = name;
        SysFreeString(name);
    }
    object->Release();
    return seen;
}

} // namespace

TEST(Win32Parts, TargetsReadAsPushButtonsOrCheckBoxes)
{
    OleInitialize(nullptr);
    registerClasses(GetModuleHandleW(nullptr));
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, &stateChanged,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    {
        NoPictures pictures;
        Win32Window window(pictures, "TForm1", "Okno", {200, 100});
        Win32Label& button = window.addLabel("Label1", {0, 0, 80, 20}, LabelStyle{});
        button.setText("Zamknij");
        button.setTarget(true);
        button.setAccessibleName("Okno: Zamknij");
        Win32Picture& choice = window.addPicture("Image1", {0, 20, 80, 20});
        choice.setTarget(true);
        choice.setAccessibleName("Okno: Włącz");
        Win32EditBox& entry = window.addEditBox("Edit1", {0, 40, 80, 20});
        entry.setText("Jan");
        entry.setAccessibleName("Nazwa użytkownika");
        Win32SpinEdit& spin = window.addSpinEdit("SpinEdit1", {0, 60, 80, 20}, 1, 60);
        spin.setValue(5);
        spin.setAccessibleName("Odświeżanie");
        window.setVisible(true);

        struct Case {
            const char* what;
            HWND part;
            int marked; // -1: left as it is
            LONG role;
            bool checked;
            const wchar_t* name;
        };
        const Case cases[] = {
            {"a target never marked", button.handle(), -1, ROLE_SYSTEM_PUSHBUTTON, false, L"Okno: Zamknij"},
            {"a target given a state", choice.handle(), 0, ROLE_SYSTEM_CHECKBUTTON, false, L"Okno: Włącz"},
            {"a marked target", choice.handle(), 1, ROLE_SYSTEM_CHECKBUTTON, true, L"Okno: Włącz"},
            {"a target no longer marked", choice.handle(), 0, ROLE_SYSTEM_CHECKBUTTON, false, L"Okno: Włącz"},
            // Their names, not in their window texts, which hold what they hold.
            {"an edit box", entry.handle(), -1, ROLE_SYSTEM_TEXT, false, L"Nazwa użytkownika"},
            {"a spin edit", spin.handle(), -1, ROLE_SYSTEM_TEXT, false, L"Odświeżanie"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            g_stateChanges.clear();
            if (c.marked >= 0)
                choice.setMarked(c.marked != 0);
            pumpMessages();
            const Read seen = read(c.part);
            EXPECT_EQ(seen.role, c.role);
            EXPECT_EQ(seen.checked, c.checked);
            EXPECT_EQ(seen.name, c.name);
            if (c.role == ROLE_SYSTEM_TEXT) {
                EXPECT_EQ(entry.text() + "/" + std::to_string(spin.value()), "Jan/5");
            }
            // Screen readers hear of a mark that changes.
            if (c.marked >= 0) {
                EXPECT_EQ(g_stateChanges, std::vector<HWND>{c.part});
            }
        }
    }
    UnhookWinEvent(hook);
    OleUninitialize();
}
