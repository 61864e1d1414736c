// The start-up routines and the two ways of ending the process. Routines
// that end the process run in a child copy of this executable, started with
// one of the modes handled in main() below.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include "app/program_state.h"
#include "app/startup.h"
#include "base/at_exit.h"
#include "test_support.h"

namespace {

constexpr wchar_t kNotice[] = L"墨川禾语听泉已经运行";
constexpr DWORD kTimeoutMs = 30000;

std::wstring markerPath() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + L"heyu-startup-marker.txt";
}

void appendMarker(const char* text) {
    test::writeBytes(markerPath(), test::readBytes(markerPath()) + text);
}

void markFirst() { appendMarker("first\n"); }
void markSecond() { appendMarker("second\n"); }

long runChild(const std::wstring& arguments) {
    return test::runAndWait(L"\"" + test::ownExecutable() + L"\" " + arguments, kTimeoutMs);
}

std::wstring uniqueMutexBase() {
    return L"heyu-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount());
}

TEST(AtExit, RoutinesRunOnceEachInTheOrderOfRegistration) {
    DeleteFileW(markerPath().c_str());
    registerAtExit(markFirst);
    registerAtExit(markSecond);
    registerAtExit(markFirst);
    runAtExitRoutines();
    runAtExitRoutines();  // the list is used up by the first run
    EXPECT_EQ(test::readBytes(markerPath()), "first\nsecond\n");
    DeleteFileW(markerPath().c_str());
}

TEST(AtExit, ReleaseFreesTheProgramTextsAndListsOnly) {
    ProgramState& state = programState();
    state.maskList.push_back(reinterpret_cast<HWND>(1));
    state.settingsPath = L"C:\\x\\config.ini";
    state.tempDir = L"C:\\temp\\";
    state.trackPaths[5] = L"C:\\temp\\\\tmmmA06.tmp";
    state.volumes[0] = 57;
    releaseProgramState();
    EXPECT_TRUE(state.maskList.empty());
    EXPECT_TRUE(state.settingsPath.empty());
    EXPECT_TRUE(state.tempDir.empty());
    EXPECT_TRUE(state.trackPaths[5].empty());
    EXPECT_EQ(state.volumes[0], 57);
}

TEST(EndProgram, RunsTheAtExitRoutinesThenEndsWithTheGivenCode) {
    DeleteFileW(markerPath().c_str());
    EXPECT_EQ(runChild(L"--end-program 7"), 7);
    EXPECT_EQ(test::readBytes(markerPath()), "first\nsecond\n");
    EXPECT_EQ(runChild(L"--end-program -1"), -1);
    DeleteFileW(markerPath().c_str());
}

// A thread of the process faults; the child waits for the fault's outcome.
DWORD WINAPI faultHere(void*) {
    static volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
    return 0;
}

TEST(EndQuietlyOnFault, AFaultEndsTheProcessWithZeroOnceArmedAndIsACrashBefore) {
    EXPECT_EQ(runChild(L"--fault armed"), 0);
    const long unarmed = runChild(L"--fault unarmed");
    EXPECT_NE(unarmed, 0);
    EXPECT_NE(unarmed, 4);  // the fault ended the child, not its wait
}

TEST(FailedLoad, ShowsTheErrorBoxAndEndsWithMinusOneWithoutTheAtExitRoutines) {
    DeleteFileW(markerPath().c_str());
    test::MessageBoxWatcher watcher(L"错误", kTimeoutMs);
    EXPECT_EQ(runChild(L"--fail-load"), -1);
    const test::SeenMessageBox box = watcher.result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.buttonCount, 1);
    EXPECT_FALSE(test::fileExists(markerPath()));
}

TEST(ShowNotice, IsATopmostInformationBoxWithoutOwner) {
    test::MessageBoxWatcher watcher(L"提示", kTimeoutMs);
    showNotice(L"第一行\r\n第二行");
    const test::SeenMessageBox box = watcher.result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, L"第一行\r\n第二行");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(box.buttonCount, 1);
}

TEST(SingleInstance, TheFirstClaimsTheGlobalMutexAndASecondShowsTheNoticeAndEnds) {
    const std::wstring base = uniqueMutexBase();
    ensureSingleInstance(base, kNotice);  // returns: nobody held it
    EXPECT_EQ(programState().existingInstance, nullptr);

    HANDLE seen = OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + base).c_str());
    EXPECT_NE(seen, nullptr);
    if (seen) CloseHandle(seen);

    test::MessageBoxWatcher watcher(L"提示", kTimeoutMs);
    EXPECT_EQ(runChild(L"--guard " + base), 0);
    const test::SeenMessageBox box = watcher.result();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, kNotice);
    EXPECT_EQ(box.owner, nullptr);
}

TEST(SingleInstance, AGuardThatDeniesAccessIsAnotherUsersInstance) {
    // As a copy in another user's session holds it: a security descriptor
    // that lets only the system in.
    const std::wstring base = uniqueMutexBase();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"O:SYG:SYD:(A;;GA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    HANDLE held = CreateMutexW(&attributes, TRUE, (L"Global\\" + base).c_str());
    LocalFree(descriptor);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, (L"Global\\" + base).c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    test::MessageBoxWatcher watcher(L"提示", kTimeoutMs);
    EXPECT_EQ(runChild(L"--guard " + base), 0);
    EXPECT_TRUE(watcher.result().found);
    CloseHandle(held);
}

TEST(SingleInstance, AMutexNamedInTheLocalNamespaceIsNotTheGuard) {
    const std::wstring base = uniqueMutexBase();
    HANDLE local = CreateMutexW(nullptr, TRUE, (L"Local\\" + base).c_str());
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(runChild(L"--guard " + base), 3);  // the child ran on
    CloseHandle(local);
}

// Child modes: each ends the process itself.
int runChildMode(int argc, wchar_t** argv) {
    const std::wstring mode = argv[1];
    if (mode == L"--end-program" && argc == 3) {
        registerAtExit(markFirst);
        registerAtExit(markSecond);
        endProgram(static_cast<int32_t>(wcstol(argv[2], nullptr, 10)));
    }
    if (mode == L"--fail-load") {
        registerAtExit(markFirst);
        failMainWindowLoad();
    }
    if (mode == L"--fault" && argc == 3) {
        if (std::wstring(argv[2]) == L"armed") endQuietlyOnFault();
        const HANDLE thread = CreateThread(nullptr, 0, faultHere, nullptr, 0, nullptr);
        WaitForSingleObject(thread, kTimeoutMs);  // the fault ends the process first
        return 4;
    }
    if (mode == L"--guard" && argc == 3) {
        ensureSingleInstance(argv[2], kNotice);
        return 3;
    }
    return 99;
}

}  // namespace

int main(int argc, char** argv) {
    int wideCount = 0;
    wchar_t** wideArgs = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wideCount > 1 && wcsncmp(wideArgs[1], L"--", 2) == 0 &&
        wcsncmp(wideArgs[1], L"--gtest", 7) != 0)
        return runChildMode(wideCount, wideArgs);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
