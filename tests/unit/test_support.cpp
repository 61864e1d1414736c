#include "test_support.h"

#include <algorithm>

#include <vector>

#include "app/startup.h"
#include "ui/control_table.h"

namespace test {

namespace {

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::wstring(temp) + L"heyu-test-" + name + L"-" +
            std::to_wstring(GetCurrentProcessId());
    removeTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    removeTree(path_);
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string readBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ownExecutable() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(),
                                            static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

long runAndWait(const std::wstring& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -2;
    CloseHandle(process.hThread);
    long result = -3;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result = static_cast<long>(code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return result;
}

bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

TestForm::TestForm(BindingTable bindings) {
    static const bool gdiplusStarted = (startGdiplus(), true);
    (void)gdiplusStarted;
    window_ = LoadForm(GetModuleHandleW(nullptr), mainWindowDefinition(), bindings);
    if (window_) {
        SetForegroundWindow(window_);
        UpdateWindow(window_);
        pumpFor(50);
    }
}

TestForm::~TestForm() {
    if (IsWindow(window_)) DestroyWindow(window_);
    pumpFor(10);
}

HWND TestForm::control(uint32_t id) const {
    return GetDlgItem(window_, static_cast<int>(id));
}

MessageBoxWatcher::MessageBoxWatcher(std::wstring caption, DWORD timeoutMs)
    : caption_(std::move(caption)), timeoutMs_(timeoutMs), thread_([this] { watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (thread_.joinable()) thread_.join();
}

SeenMessageBox MessageBoxWatcher::result() {
    if (thread_.joinable()) thread_.join();
    return seen_;
}

void MessageBoxWatcher::watch() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs_) {
        HWND box = FindWindowW(L"#32770", caption_.c_str());
        if (box && IsWindowVisible(box)) {
            seen_.found = true;
            seen_.owner = GetWindow(box, GW_OWNER);
            seen_.exStyle = GetWindowLongW(box, GWL_EXSTYLE);
            HWND firstButton = nullptr;
            for (HWND child = GetWindow(box, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t kind[32];
                GetClassNameW(child, kind, 32);
                if (lstrcmpiW(kind, L"Button") == 0) {
                    ++seen_.buttonCount;
                    if (!firstButton) firstButton = child;
                } else if (lstrcmpiW(kind, L"Static") == 0) {
                    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                        seen_.hasIcon = true;
                    } else if (seen_.text.empty()) {
                        wchar_t text[4096];
                        const int length = GetWindowTextW(child, text, 4096);
                        seen_.text.assign(text, length > 0 ? length : 0);
                    }
                }
            }
            if (firstButton) {
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(firstButton), BN_CLICKED),
                             reinterpret_cast<LPARAM>(firstButton));
            }
            return;
        }
        Sleep(20);
    }
}

namespace {

INPUT mouseInput(DWORD flags, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        // Absolute moves are in 1/65536 of the screen; the extra unit keeps
        // the rounding from landing one pixel short.
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = at.x * 65536 / GetSystemMetrics(SM_CXSCREEN) + 1;
        input.mi.dy = at.y * 65536 / GetSystemMetrics(SM_CYSCREEN) + 1;
    }
    return input;
}

}  // namespace

void sendMouse(DWORD flags, POINT at) {
    INPUT input = mouseInput(flags, at);
    SendInput(1, &input, sizeof(input));
}

void clickAt(POINT at) {
    INPUT inputs[3] = {mouseInput(MOUSEEVENTF_MOVE, at), mouseInput(MOUSEEVENTF_LEFTDOWN, {}),
                       mouseInput(MOUSEEVENTF_LEFTUP, {})};
    SendInput(3, inputs, sizeof(INPUT));
}

double nowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

HBITMAP bottomUpSection(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace test
