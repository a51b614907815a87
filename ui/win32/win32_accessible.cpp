#include "ui/win32/win32_accessible.h"

#include <oleacc.h>

namespace ui::win32 {

namespace {

constexpr const wchar_t* kRoleProperty = L"DostrojnikTargetRole";
constexpr const wchar_t* kCheckedProperty = L"DostrojnikTargetChecked";
constexpr const wchar_t* kNameProperty = L"DostrojnikName";

TargetRole roleOf(HWND handle)
{
    return static_cast<TargetRole>(reinterpret_cast<INT_PTR>(GetPropW(handle, kRoleProperty)));
}

const std::wstring* nameOf(HWND handle)
{
    return static_cast<const std::wstring*>(GetPropW(handle, kNameProperty));
}

bool isSelf(const VARIANT& child)
{
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// COM objects end through Release, never through a pointer to their interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The system's object of the window, with the role and the state of the target in its place.
// It reads them from the window at every question, so a client that keeps it sees the marks
// change; once the window is gone it answers as the system's object does.
class TargetAccessible final : public IAccessible {
public:
    TargetAccessible(HWND handle, IAccessible* system) : m_handle(handle), m_system(system) {}
    ~TargetAccessible() { m_system->Release(); }
    TargetAccessible(const TargetAccessible&) = delete;
    TargetAccessible& operator=(const TargetAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // IOleWindow, IEnumVARIANT: the system's object answers for the window.
        return m_system->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return m_system->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return m_system->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return m_system->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* wrong) override
    {
        return m_system->Invoke(id, iid, locale, flags, parameters, result, exception, wrong);
    }

    // IAccessible: the role, the state and a name of its own; everything else is the system's.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        const TargetRole target = IsWindow(m_handle) ? roleOf(m_handle) : TargetRole::None;
        if (!role || !isSelf(child) || target == TargetRole::None)
            return m_system->get_accRole(child, role);
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = target == TargetRole::CheckBox ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const HRESULT result = m_system->get_accState(child, state);
        if (FAILED(result) || !state || state->vt != VT_I4 || !isSelf(child) || !IsWindow(m_handle))
            return result;
        state->lVal &= ~static_cast<LONG>(STATE_SYSTEM_CHECKED);
        if (roleOf(m_handle) == TargetRole::CheckBox && GetPropW(m_handle, kCheckedProperty))
            state->lVal |= STATE_SYSTEM_CHECKED;
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return m_system->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return m_system->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return m_system->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        const std::wstring* own = IsWindow(m_handle) ? nameOf(m_handle) : nullptr;
        if (!name || !isSelf(child) || !own)
            return m_system->get_accName(child, name);
        *name = SysAllocStringLen(own->data(), static_cast<UINT>(own->size()));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return m_system->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return m_system->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return m_system->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        return m_system->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return m_system->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_system->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return m_system->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return m_system->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return m_system->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        return m_system->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return m_system->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override
    {
        return m_system->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return m_system->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return m_system->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return m_system->put_accValue(child, value);
    }

private:
    LONG m_references = 1;
    HWND m_handle;
    IAccessible* m_system;
};

#pragma GCC diagnostic pop

} // namespace

void setTargetFacts(HWND handle, TargetRole role, bool checked)
{
    const bool changed = roleOf(handle) != role || (GetPropW(handle, kCheckedProperty) != nullptr) != checked;
    SetPropW(handle, kRoleProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(role)));
    SetPropW(handle, kCheckedProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(checked)));
    if (changed)
        NotifyWinEvent(EVENT_OBJECT_STATECHANGE, handle, OBJID_CLIENT, CHILDID_SELF);
}

void giveAccessibleName(HWND handle, const std::wstring* name)
{
    SetPropW(handle, kNameProperty, const_cast<std::wstring*>(name));
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, handle, OBJID_CLIENT, CHILDID_SELF);
}

bool answerObjectRequest(HWND handle, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || (roleOf(handle) == TargetRole::None && !nameOf(handle)))
        return false;
    IAccessible* system = nullptr;
    // __uuidof: the toolchain's oleacc import library makes IID_IAccessible the address of an
    // import from oleacc.dll, not the interface's identifier.
    if (FAILED(
            CreateStdAccessibleObject(handle, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&system))))
        return false;
    auto* object = new TargetAccessible(handle, system);
    result = LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return true;
}

} // namespace ui::win32
