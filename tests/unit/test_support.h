// Helpers shared by the unit tests: scratch folders, whole-file reads and
// writes, and a watcher that answers a message box from another thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/form.h"

namespace test {

// A fresh folder under the temporary directory, removed with its files.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void writeBytes(const std::wstring& path, const std::string& bytes);
std::string readBytes(const std::wstring& path);
bool fileExists(const std::wstring& path);

// The executable that is running, for tests that start a copy of themselves.
std::wstring ownExecutable();

// Runs a command line and returns its exit code; -2 when it could not start
// and -3 when it did not end within the time-out.
long runAndWait(const std::wstring& commandLine, DWORD timeoutMs);

// Dispatches this thread's messages until the condition holds or the time
// is up; returns the condition's last value. A quit message is taken out of
// the queue and dropped: windows the tests destroy post one.
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Dispatches this thread's messages for the given time.
void pumpFor(DWORD ms);

// One mouse input through the system's input queue: a move to a screen
// point (MOUSEEVENTF_MOVE), or a button's press or release.
void sendMouse(DWORD flags, POINT at = {});

// A real left click at a screen point: the move, the press and the release
// at once.
void clickAt(POINT at);

// The performance counter in milliseconds, and the median of measurements,
// for the benchmarks.
double nowMs();
double median(std::vector<double> values);

// A bottom-up 32-bit section, all zero, as the shadow draws into; the
// caller owns it, *bits points at its pixels.
HBITMAP bottomUpSection(int width, int height, void** bits);

// The main window's definition loaded with the given bindings (GDI+ started
// first, for the background), shown and painted. Destroyed with the owner.
class TestForm {
public:
    explicit TestForm(BindingTable bindings);
    ~TestForm();
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;

    HWND window() const { return window_; }
    HWND control(uint32_t id) const;

private:
    HWND window_;
};

// What a watched message box showed.
struct SeenMessageBox {
    bool found = false;
    std::wstring text;
    HWND owner = nullptr;
    LONG exStyle = 0;
    bool hasIcon = false;
    int buttonCount = 0;
};

// Waits on its own thread for a visible message box with the given caption
// in any process, records what it shows and presses its first button.
class MessageBoxWatcher {
public:
    MessageBoxWatcher(std::wstring caption, DWORD timeoutMs);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Waits for the watcher to finish and returns what it saw.
    SeenMessageBox result();

private:
    void watch();

    std::wstring caption_;
    DWORD timeoutMs_;
    SeenMessageBox seen_;
    std::thread thread_;
};

}  // namespace test
