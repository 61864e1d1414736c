// ShowMessage on the main window: the box over the masked window, its
// owner, text and buttons, the Yes action before the mask goes; and the box
// all the same when no mask can be made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/program_state.h"
#include "overlay/messages.h"
#include "test_support.h"
#include "ui/control_table.h"

namespace {

constexpr DWORD kTimeoutMs = 10000;

// What the Yes action found while it ran.
struct SeenAtYes {
    bool ran = false;
    std::vector<HWND> masks;
    HWND maskParent = nullptr;
};
SeenAtYes gSeenAtYes;

void noteYes() {
    gSeenAtYes.ran = true;
    gSeenAtYes.masks = programState().maskList;
    if (!gSeenAtYes.masks.empty()) gSeenAtYes.maskParent = GetParent(gSeenAtYes.masks[0]);
}

bool hasMaskChild(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32];
        GetClassNameW(child, name, 32);
        if (lstrcmpW(name, L"HalyxMask") == 0) return true;
    }
    return false;
}

// Run a second time under a western code page (see CMakeLists.txt): the
// texts go to the box in UTF-16 and read the same under any code page.
void expectTheCodePageAskedFor() {
    if (const char* expected = std::getenv("HEYU_EXPECT_CODE_PAGE")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
}

TEST(ShowMessage, TheAboutBoxShowsOverTheMaskedWindowAndYesActsBeforeTheMaskGoes) {
    expectTheCodePageAskedFor();
    test::TestForm form(BindingTable{nullptr, 0});
    ASSERT_NE(form.window(), nullptr);
    const MessageText* about = messageFor(ids::helpLabel);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->onYes, &openMakerPage);

    // The watcher presses the first button, Yes.
    test::MessageBoxWatcher watcher(about->caption, kTimeoutMs);
    ShowMessage(about->text, about->caption, about->style, noteYes);
    const test::SeenMessageBox seen = watcher.result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, about->text);
    EXPECT_EQ(seen.owner, form.window());
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_EQ(seen.buttonCount, 2);

    ASSERT_TRUE(gSeenAtYes.ran);
    ASSERT_EQ(gSeenAtYes.masks.size(), 1u);
    EXPECT_EQ(gSeenAtYes.maskParent, form.window());

    EXPECT_TRUE(programState().maskList.empty());
    EXPECT_FALSE(hasMaskChild(form.window()));
    EXPECT_TRUE(IsWindowEnabled(form.window()));
}

TEST(ShowMessage, WithoutAMainWindowTheBoxIsShownAllTheSame) {
    ASSERT_EQ(formWindow(ids::mainWindow), nullptr);
    const MessageText* quote = messageFor(ids::poppyHotSpot);
    ASSERT_NE(quote, nullptr);
    test::MessageBoxWatcher watcher(quote->caption, kTimeoutMs);
    ShowMessage(quote->text, quote->caption, quote->style, nullptr);
    const test::SeenMessageBox seen = watcher.result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, quote->text);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.buttonCount, 1);
    EXPECT_TRUE(programState().maskList.empty());
}

}  // namespace
