#include "ui/accessible_control.h"

#include <oleacc.h>

#include <cwchar>
#include <string>

#include "base/system_library.h"
#include "ui/control_protocol.h"
#include "ui/control_table.h"

namespace {

enum class Kind { Slider, Button };

struct Traits {
    Kind kind;
    LONG role;
    const wchar_t* name;  // a slider's is its channel label's text
    uint32_t nameLabel;   // that label, for a slider
};

// The word the platform's own push buttons give for their default action.
constexpr wchar_t kPressAction[] = L"按下";

// The controls a user can reach by keyboard, and only those: the hot spots,
// the players and the timer tell nothing new.
bool traitsOf(HWND control, Traits& traits) {
    const auto id = static_cast<uint32_t>(GetDlgCtrlID(control));
    for (size_t row = 0; row < ids::volumeBar.size(); ++row)
        if (id == ids::volumeBar.at(row)) {
            traits = Traits{Kind::Slider, ROLE_SYSTEM_SLIDER, nullptr, ids::channelLabel.at(row)};
            return true;
        }
    static constexpr struct {
        uint32_t id;
        const wchar_t* name;
    } kButtons[] = {
        {ids::helpLabel, L"帮助"},
        {ids::minimizeLabel, L"最小化"},
        {ids::closeLabel, L"关闭"},
        {ids::brandLabel, L"禾语听泉"},
    };
    for (const auto& button : kButtons)
        if (id == button.id) {
            traits = Traits{Kind::Button, ROLE_SYSTEM_PUSHBUTTON, button.name, 0};
            return true;
        }
    return false;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT giveText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring windowText(HWND window) {
    wchar_t text[64] = {};
    const int length = window ? GetWindowTextW(window, text, 64) : 0;
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

int32_t property(HWND control, int number) {
    return static_cast<int32_t>(SendMessageW(control, kGetPropertyMessage, number, 0));
}

// A control's object: the platform's standard client object for the
// control, with role, name, value, state and default action of its own.
// Every other question, and every question about a child, goes to the
// standard object.
class ControlObject final : public IAccessible {
public:
    ControlObject(HWND control, IAccessible* standard, const Traits& traits)
        : control_(control), standard_(standard), traits_(traits) {}
    ControlObject(const ControlObject&) = delete;
    ControlObject& operator=(const ControlObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // IOleWindow, IEnumVARIANT and the like: the standard object's.
        return standard_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return standard_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* error,
                                     UINT* wrong) override {
        return standard_->Invoke(member, iid, locale, flags, parameters, result, error, wrong);
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!isSelf(child)) return standard_->get_accName(child, name);
        if (traits_.kind == Kind::Slider)
            return giveText(windowText(GetDlgItem(GetParent(control_),
                                                  static_cast<int>(traits_.nameLabel))),
                            name);
        return giveText(traits_.name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!isSelf(child) || traits_.kind != Kind::Slider)
            return standard_->get_accValue(child, value);
        return giveText(std::to_wstring(property(control_, kPropertyPosition)), value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!isSelf(child)) return standard_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = traits_.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT standard = standard_->get_accState(child, state);
        if (!isSelf(child) || !state) return standard;
        if (FAILED(standard) || state->vt != VT_I4) {
            VariantClear(state);
            state->vt = VT_I4;
            state->lVal = 0;
        }
        state->lVal |= STATE_SYSTEM_FOCUSABLE;
        if (GetFocus() == control_) state->lVal |= STATE_SYSTEM_FOCUSED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!isSelf(child) || traits_.kind != Kind::Button)
            return standard_->get_accDefaultAction(child, action);
        return giveText(kPressAction, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG how, VARIANT child) override {
        return standard_->accSelect(how, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    // A click, posted: the caller, often in another process, is not held
    // while the about box or the quote is shown, or while the program ends.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!isSelf(child) || traits_.kind != Kind::Button)
            return standard_->accDoDefaultAction(child);
        RECT client;
        GetClientRect(control_, &client);
        const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
        PostMessageW(control_, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        PostMessageW(control_, WM_LBUTTONUP, 0, centre);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    // A value in the slider's range moves it as a key would: the channel
    // follows and the position is stored.
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        if (!isSelf(child) || traits_.kind != Kind::Slider)
            return standard_->put_accValue(child, value);
        if (!value || !*value) return E_INVALIDARG;
        wchar_t* end = nullptr;
        const long position = std::wcstol(value, &end, 10);
        if (*end != L'\0' || position < property(control_, kPropertyMinimum) ||
            position > property(control_, kPropertyMaximum))
            return E_INVALIDARG;
        SendMessageW(control_, kSetPropertyMessage, kPropertyPosition, position);
        return S_OK;
    }

private:
    ~ControlObject() { standard_->Release(); }

    LONG references_ = 1;
    HWND control_;
    IAccessible* standard_;
    Traits traits_;
};

// The objects are marshalled to other processes through COM, which the
// window's thread therefore joins once, for good (if something joined it
// in the other mode before, COM is there all the same).
bool comReady() {
    static const bool ready = [] {
        const HRESULT joined =
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        return SUCCEEDED(joined) || joined == RPC_E_CHANGED_MODE;
    }();
    return ready;
}

}  // namespace

LRESULT answerGetObject(HWND control, WPARAM wParam, LPARAM lParam) {
    const auto object = static_cast<LONG>(lParam);
    Traits traits{};
    if (object == OBJID_QUERYCLASSNAMEIDX) return 0;
    if (object != OBJID_CLIENT || !traitsOf(control, traits) || !comReady())
        return DefWindowProcW(control, WM_GETOBJECT, wParam, lParam);
    IAccessible* standard = nullptr;
    if (FAILED(platform::CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&standard))) ||
        !standard)
        return DefWindowProcW(control, WM_GETOBJECT, wParam, lParam);
    auto* own = new ControlObject(control, standard, traits);
    const LRESULT answer = platform::LresultFromObject(__uuidof(IAccessible), wParam, own);
    own->Release();  // the answer holds its own reference
    return answer;
}

void announceValueChange(HWND slider) {
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, slider, OBJID_CLIENT, CHILDID_SELF);
}
