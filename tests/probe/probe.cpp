// A console tool that looks at the windows of other processes in the same
// Wine session and prints what it finds as JSON, one object per line:
//
//   probe windows                  top-level windows
//   probe children HWND            child windows, in z-order from the top
//   probe props HWND               window properties
//   probe msgbox CAPTION           visible message boxes with that caption
//   probe post HWND MSG WPARAM LPARAM
//   probe press DIALOG BUTTON_ID   clicks a dialog button by its identifier
//   probe foreground               the foreground window
//   probe message NAME             the number of a registered window message
//   probe get HWND PROPERTY        a control property of the program (for
//                                  example 17, a slider's position)
//   probe set HWND PROPERTY VALUE  writes one, as the program itself would
//   probe waitpaint TITLE X Y RRGGBB TOLERANCE TIMEOUT_MS
//                                  prints "ready", then waits until the
//                                  window titled TITLE shows a colour within
//                                  TOLERANCE per channel at its client point
//                                  (X, Y), and prints how long that took
//   probe setonshow TITLE CONTROL_ID PROPERTY VALUE DELAY_MS TIMEOUT_MS
//                                  prints "ready", then writes a property of
//                                  a control of the window titled TITLE
//                                  DELAY_MS after that window is visible,
//                                  and prints how long it waited
//   probe postonshow TITLE CONTROL_ID MSG DELAY_MS TIMEOUT_MS
//                                  the same, but posts MSG (no parameters)
//                                  to the control, or to the window itself
//                                  for CONTROL_ID 0
//   probe holdfile PATH TIMEOUT_MS opens (or creates) the file for reading
//                                  and writing with no sharing, prints
//                                  "ready", and keeps it open until its
//                                  standard input ends or TIMEOUT_MS pass;
//                                  then closes it and prints "released"
//   probe accessible HWND          what a screen reader reads of a window's
//                                  client object: role, name, value, state
//                                  and default action
//   probe setvalue HWND TEXT       sets that object's value
//   probe valueevent HWND TIMEOUT_MS
//                                  prints "ready", then waits for a value
//                                  change event of the window's client object
//                                  (a hook out of context) and prints the
//                                  value it then has
//   probe identity PATH            what the shell reads of a file: its
//                                  version strings (GetFileVersionInfoW and
//                                  VerQueryValueW, through the first
//                                  translation, as Explorer asks), the fixed
//                                  file version, how many icons it carries
//                                  and the pixels of its large icon
//
// Handles and numbers are decimal or 0x-hex.
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include "ui/control_protocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                        size, nullptr, nullptr);
    return out;
}

std::string quoted(const std::wstring& text) {
    std::string out = "\"";
    for (unsigned char c : utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::wstring windowText(HWND window) {
    wchar_t buffer[4096];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    return std::wstring(buffer, length);
}

std::wstring className(HWND window) {
    wchar_t buffer[256];
    const int length = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, length > 0 ? length : 0);
}

unsigned long long number(const wchar_t* text) {
    return std::wcstoull(text, nullptr, 0);
}

HWND handle(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(number(text)));
}

unsigned long long id(HWND window) {
    return reinterpret_cast<uintptr_t>(window);
}

std::string rectJson(const RECT& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    return buffer;
}

void printWindow(HWND window, const std::string& extra) {
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT client{};
    GetClientRect(window, &client);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    std::printf(
        "{\"hwnd\":%llu,\"pid\":%lu,\"class\":%s,\"text\":%s,\"rect\":%s,\"client\":%s,"
        "\"style\":%lu,\"exstyle\":%lu,\"visible\":%s,\"iconic\":%s,\"enabled\":%s,"
        "\"owner\":%llu,\"parent\":%llu%s}\n",
        id(window), pid, quoted(className(window)).c_str(), quoted(windowText(window)).c_str(),
        rectJson(rect).c_str(), rectJson(client).c_str(),
        static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
        static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
        IsWindowVisible(window) ? "true" : "false", IsIconic(window) ? "true" : "false",
        IsWindowEnabled(window) ? "true" : "false", id(GetWindow(window, GW_OWNER)),
        id(GetAncestor(window, GA_PARENT)), extra.c_str());
}

BOOL CALLBACK collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

int listWindows() {
    std::vector<HWND> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) printWindow(window, "");
    return 0;
}

std::vector<HWND> childrenInZOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

int listChildren(HWND parent) {
    for (HWND child : childrenInZOrder(parent)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        char extra[160];
        std::snprintf(extra, sizeof extra, ",\"id\":%lu,\"inparent\":%s",
                      static_cast<unsigned long>(GetWindowLongW(child, GWL_ID)),
                      rectJson(rect).c_str());
        printWindow(child, extra);
    }
    return 0;
}

BOOL CALLBACK printProperty(HWND, LPWSTR name, HANDLE value, ULONG_PTR) {
    const bool isAtom = (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
    const std::wstring key = isAtom ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name))
                                    : std::wstring(name);
    std::printf("{\"name\":%s,\"value\":%llu}\n", quoted(key).c_str(),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value)));
    return TRUE;
}

int listProperties(HWND window) {
    EnumPropsExW(window, printProperty, 0);
    return 0;
}

int listMessageBoxes(const std::wstring& caption) {
    std::vector<HWND> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (className(window) != L"#32770" || !IsWindowVisible(window)) continue;
        if (windowText(window) != caption) continue;
        std::wstring text;
        std::string buttons = "[";
        bool hasIcon = false;
        for (HWND child : childrenInZOrder(window)) {
            const std::wstring kind = className(child);
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            if (kind == L"Button") {
                char entry[64];
                std::snprintf(entry, sizeof entry, "%s{\"id\":%ld,\"text\":",
                              buttons.size() > 1 ? "," : "", GetWindowLongW(child, GWL_ID));
                buttons += entry + quoted(windowText(child)) + "}";
            } else if (kind == L"Static") {
                if ((style & SS_TYPEMASK) == SS_ICON)
                    hasIcon = true;
                else if (text.empty())
                    text = windowText(child);
            }
        }
        buttons += "]";
        printWindow(window, ",\"message\":" + quoted(text) + ",\"buttons\":" + buttons +
                                ",\"icon\":" + (hasIcon ? "true" : "false"));
    }
    return 0;
}

int getProperty(HWND window, int property) {
    DWORD_PTR value = 0;
    if (!SendMessageTimeoutW(window, kGetPropertyMessage, static_cast<WPARAM>(property), 0,
                             SMTO_ABORTIFHUNG, 5000, &value))
        return 1;
    std::printf("{\"value\":%ld}\n", static_cast<long>(static_cast<int32_t>(value)));
    return 0;
}

int setProperty(HWND window, int property, int32_t value) {
    DWORD_PTR handled = 0;
    if (!SendMessageTimeoutW(window, kSetPropertyMessage, static_cast<WPARAM>(property),
                             static_cast<LPARAM>(value), SMTO_ABORTIFHUNG, 5000, &handled))
        return 1;
    return handled ? 0 : 1;
}

bool closeTo(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Polls the screen without sleeping, so the time is exact to a millisecond
// or so; the caller starts the program after "ready".
int waitForPaint(const std::wstring& title, POINT point, COLORREF wanted, int tolerance,
                 DWORD timeoutMs) {
    std::printf("ready\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    HDC screen = GetDC(nullptr);
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindWindowW(nullptr, title.c_str());
        if (window && IsWindowVisible(window)) {
            POINT at = point;
            ClientToScreen(window, &at);
            const COLORREF seen = GetPixel(screen, at.x, at.y);
            if (seen != CLR_INVALID && closeTo(seen, wanted, tolerance)) {
                std::printf("{\"ms\":%lu}\n", static_cast<unsigned long>(GetTickCount() - start));
                ReleaseDC(nullptr, screen);
                return 0;
            }
        }
        Sleep(1);
    }
    ReleaseDC(nullptr, screen);
    return 1;
}

// Prints "ready", then polls without sleeping, like waitForPaint, so that
// what follows lands within a millisecond or so of the window being shown;
// returns the window DELAY_MS after that (0 on time-out) and how long it
// waited.
HWND waitShown(const std::wstring& title, DWORD delayMs, DWORD timeoutMs, DWORD* waited) {
    std::printf("ready\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindWindowW(nullptr, title.c_str());
        if (window && IsWindowVisible(window)) {
            Sleep(delayMs);
            *waited = GetTickCount() - start;
            return window;
        }
        Sleep(1);
    }
    return nullptr;
}

int setOnShow(const std::wstring& title, int controlId, int property, int32_t value,
              DWORD delayMs, DWORD timeoutMs) {
    DWORD waited = 0;
    HWND window = waitShown(title, delayMs, timeoutMs, &waited);
    if (!window || setProperty(GetDlgItem(window, controlId), property, value) != 0) return 1;
    std::printf("{\"ms\":%lu}\n", static_cast<unsigned long>(waited));
    return 0;
}

int postOnShow(const std::wstring& title, int controlId, UINT message, DWORD delayMs,
               DWORD timeoutMs) {
    DWORD waited = 0;
    HWND window = waitShown(title, delayMs, timeoutMs, &waited);
    if (!window) return 1;
    HWND target = controlId ? GetDlgItem(window, controlId) : window;
    if (!target || !PostMessageW(target, message, 0, 0)) return 1;
    std::printf("{\"ms\":%lu}\n", static_cast<unsigned long>(waited));
    return 0;
}

DWORD WINAPI readUntilEnd(void*) {
    char buffer[256];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
           read > 0) {
    }
    return 0;
}

// Another process's open handle without sharing: every open and delete of
// the file by the program fails until it is released.
int holdFile(const std::wstring& path, DWORD timeoutMs) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    HANDLE reader = CreateThread(nullptr, 0, readUntilEnd, nullptr, 0, nullptr);
    if (reader) {
        WaitForSingleObject(reader, timeoutMs);
        CloseHandle(reader);
    } else {
        Sleep(timeoutMs);
    }
    CloseHandle(file);
    std::printf("released\n");
    std::fflush(stdout);
    return 0;
}

// The large icon's colour bitmap as "rrggbbaa" hex per pixel, top row first.
std::string iconPixels(HICON icon, int* size) {
    ICONINFO parts{};
    if (!GetIconInfo(icon, &parts)) return {};
    BITMAP bitmap{};
    GetObjectW(parts.hbmColor, sizeof bitmap, &bitmap);
    *size = bitmap.bmWidth;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, parts.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format,
                                DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    if (lines != bitmap.bmHeight) return {};
    std::string hex;
    for (const RGBQUAD& p : pixels) {
        char entry[9];
        std::snprintf(entry, sizeof entry, "%02x%02x%02x%02x", p.rgbRed, p.rgbGreen, p.rgbBlue,
                      p.rgbReserved);
        hex += entry;
    }
    return hex;
}

int describeFile(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<BYTE> info(size);
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return 1;
    WORD* translation = nullptr;  // language, code page
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD))
        return 1;
    wchar_t table[16];
    std::swprintf(table, 16, L"%04x%04x", translation[0], translation[1]);
    std::string json = "{\"table\":" + quoted(table);
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                L"LegalCopyright", L"OriginalFilename", L"ProductName",
                                L"ProductVersion"}) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\") + table + L"\\" + name;
        wchar_t* value = nullptr;
        if (VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) &&
            value)
            json += "," + quoted(name) + ":" + quoted(value);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        char version[64];
        std::snprintf(version, sizeof version, ",\"fixed\":\"%lu.%lu.%lu.%lu\"",
                      fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                      fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
        json += version;
    }
    const UINT icons = ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0);
    HICON large = nullptr;
    int iconSize = 0;
    std::string pixels;
    if (icons && ExtractIconExW(path.c_str(), 0, &large, nullptr, 1) && large) {
        pixels = iconPixels(large, &iconSize);
        DestroyIcon(large);
    }
    std::printf("%s,\"icons\":%u,\"iconSize\":%d,\"iconPixels\":\"%s\"}\n", json.c_str(), icons,
                iconSize, pixels.c_str());
    return 0;
}

// The client object of a window, as a screen reader asks for it.
IAccessible* clientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::string accessibleText(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                           IAccessible* object) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if ((object->*get)(self, &text) != S_OK || !text) return "null";
    const std::string out = quoted(std::wstring(text, SysStringLen(text)));
    SysFreeString(text);
    return out;
}

long accessibleNumber(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*),
                      IAccessible* object) {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT answer{};
    if ((object->*get)(self, &answer) != S_OK || answer.vt != VT_I4) return -1;
    return answer.lVal;
}

int describeAccessible(HWND window) {
    IAccessible* object = clientObject(window);
    if (!object) return 1;
    std::printf("{\"role\":%ld,\"name\":%s,\"value\":%s,\"state\":%ld,\"action\":%s}\n",
                accessibleNumber(&IAccessible::get_accRole, object),
                accessibleText(&IAccessible::get_accName, object).c_str(),
                accessibleText(&IAccessible::get_accValue, object).c_str(),
                accessibleNumber(&IAccessible::get_accState, object),
                accessibleText(&IAccessible::get_accDefaultAction, object).c_str());
    object->Release();
    return 0;
}

int setAccessibleValue(HWND window, const wchar_t* value) {
    IAccessible* object = clientObject(window);
    if (!object) return 1;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = SysAllocString(value);
    const HRESULT result = object->put_accValue(self, text);
    SysFreeString(text);
    object->Release();
    return result == S_OK ? 0 : 1;
}

HWND g_watched = nullptr;
bool g_changed = false;

void CALLBACK valueChanged(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                           DWORD, DWORD) {
    if (event == EVENT_OBJECT_VALUECHANGE && window == g_watched && object == OBJID_CLIENT &&
        child == CHILDID_SELF)
        g_changed = true;
}

int waitForValueEvent(HWND window, DWORD timeoutMs) {
    g_watched = window;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE,
                                         nullptr, valueChanged, process, 0,
                                         WINEVENT_OUTOFCONTEXT);
    if (!hook) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    while (!g_changed && GetTickCount() - start < timeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    if (!g_changed) return 1;
    return describeAccessible(window);
}

}  // namespace

// Wide arguments: the caption of a message box may be Chinese.
int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") return listWindows();
    if (command == L"children" && argc == 3) return listChildren(handle(argv[2]));
    if (command == L"props" && argc == 3) return listProperties(handle(argv[2]));
    if (command == L"msgbox" && argc == 3) return listMessageBoxes(argv[2]);
    if (command == L"post" && argc == 6) {
        return PostMessageW(handle(argv[2]), static_cast<UINT>(number(argv[3])),
                            static_cast<WPARAM>(number(argv[4])),
                            static_cast<LPARAM>(number(argv[5]))) ? 0 : 1;
    }
    if (command == L"press" && argc == 4) {
        HWND dialog = handle(argv[2]);
        const int button = static_cast<int>(number(argv[3]));
        return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                            reinterpret_cast<LPARAM>(GetDlgItem(dialog, button))) ? 0 : 1;
    }
    // The number a registered window message has in this session.
    if (command == L"message" && argc == 3) {
        std::printf("%u\n", RegisterWindowMessageW(argv[2]));
        return 0;
    }
    if (command == L"foreground") {
        printWindow(GetForegroundWindow(), "");
        return 0;
    }
    // The control with the keyboard focus in the thread of window H: what a
    // focus event would name, which Wine does not raise.
    if (command == L"focus" && argc == 3) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        const DWORD thread = GetWindowThreadProcessId(handle(argv[2]), nullptr);
        if (!thread || !GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return 1;
        printWindow(info.hwndFocus, "");
        return 0;
    }
    if (command == L"get" && argc == 4)
        return getProperty(handle(argv[2]), static_cast<int>(number(argv[3])));
    if (command == L"set" && argc == 5) {
        return setProperty(handle(argv[2]), static_cast<int>(number(argv[3])),
                           static_cast<int32_t>(std::wcstol(argv[4], nullptr, 0)));
    }
    if (command == L"waitpaint" && argc == 8) {
        const unsigned long rgb = std::wcstoul(argv[5], nullptr, 16);
        return waitForPaint(argv[2], POINT{std::wcstol(argv[3], nullptr, 0),
                                           std::wcstol(argv[4], nullptr, 0)},
                            RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF),
                            static_cast<int>(number(argv[6])),
                            static_cast<DWORD>(number(argv[7])));
    }
    if (command == L"setonshow" && argc == 8) {
        return setOnShow(argv[2], static_cast<int>(number(argv[3])),
                         static_cast<int>(number(argv[4])),
                         static_cast<int32_t>(std::wcstol(argv[5], nullptr, 0)),
                         static_cast<DWORD>(number(argv[6])),
                         static_cast<DWORD>(number(argv[7])));
    }
    if (command == L"postonshow" && argc == 7) {
        return postOnShow(argv[2], static_cast<int>(number(argv[3])),
                          static_cast<UINT>(number(argv[4])), static_cast<DWORD>(number(argv[5])),
                          static_cast<DWORD>(number(argv[6])));
    }
    if (command == L"holdfile" && argc == 4)
        return holdFile(argv[2], static_cast<DWORD>(number(argv[3])));
    if (command == L"identity" && argc == 3) return describeFile(argv[2]);
    if (command == L"accessible" || command == L"setvalue" || command == L"valueevent") {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (command == L"accessible" && argc == 3) return describeAccessible(handle(argv[2]));
        if (command == L"setvalue" && argc == 4) return setAccessibleValue(handle(argv[2]), argv[3]);
        if (command == L"valueevent" && argc == 4)
            return waitForValueEvent(handle(argv[2]), static_cast<DWORD>(number(argv[3])));
    }
    std::fprintf(stderr, "usage: probe windows|children H|props H|msgbox CAPTION|"
                         "post H MSG W L|press H ID|foreground|focus H|get H P|set H P V|"
                         "waitpaint TITLE X Y RRGGBB TOL MS|setonshow TITLE ID P V DELAY MS|"
                         "postonshow TITLE ID MSG DELAY MS|holdfile PATH MS|identity PATH|"
                         "accessible H|setvalue H TEXT|valueevent H MS\n");
    return 2;
}
