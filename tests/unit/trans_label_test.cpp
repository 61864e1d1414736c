// The labels' looks (the fonts made from the table's fields) and the keys
// of a label that has the focus.
#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"
#include "ui/control_table.h"
#include "ui/trans_label.h"

namespace {

LOGFONTW fontOf(HWND label) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    return font;
}

TEST(TransLabel, FontsCarryTheTablesFields) {
    test::TestForm form(BindingTable{nullptr, 0});
    ASSERT_NE(form.window(), nullptr);

    const LOGFONTW brand = fontOf(form.control(ids::brandLabel));
    EXPECT_STREQ(brand.lfFaceName, L"微软雅黑");
    EXPECT_EQ(brand.lfHeight, -14);
    EXPECT_EQ(brand.lfWeight, 400);
    EXPECT_EQ(brand.lfCharSet, 134);
    EXPECT_EQ(brand.lfOutPrecision, 3);
    EXPECT_EQ(brand.lfClipPrecision, 2);
    EXPECT_EQ(brand.lfQuality, 1);
    EXPECT_EQ(brand.lfPitchAndFamily, 0x22);

    for (uint32_t id : {ids::helpLabel, ids::minimizeLabel, ids::closeLabel}) {
        const LOGFONTW glyph = fontOf(form.control(id));
        EXPECT_STREQ(glyph.lfFaceName, L"");
        EXPECT_EQ(glyph.lfHeight, -19);
        EXPECT_EQ(glyph.lfWeight, 700);
        EXPECT_EQ(glyph.lfCharSet, 134);
        EXPECT_EQ(glyph.lfOutPrecision | glyph.lfClipPrecision | glyph.lfQuality |
                      glyph.lfPitchAndFamily,
                  0);
    }
    for (uint32_t id : ids::channelLabel) {
        const LOGFONTW name = fontOf(form.control(id));
        EXPECT_STREQ(name.lfFaceName, L"MS Shell Dlg");
        EXPECT_EQ(name.lfHeight, -12);
        EXPECT_EQ(name.lfCharSet, 134);
    }
}

std::vector<int> gRaised;

int32_t pressedHelp(const EventArgs& args) {
    gRaised.push_back(args.x * 1000 + args.y);
    return 0;
}

int32_t keyOfWindow(const EventArgs& args) {
    gRaised.push_back(-args.key);
    return 0;
}

TEST(TransLabel, EnterOnAFocusedLabelIsAClickInItsMiddleAndOtherKeysAreTheWindows) {
    const Binding bindings[] = {{ids::helpLabel, kEventLeftButtonDown, pressedHelp},
                                {ids::mainWindowUnit, kEventKeyDown, keyOfWindow}};
    test::TestForm form(BindingTable{bindings, std::size(bindings)});
    ASSERT_NE(form.window(), nullptr);
    HWND help = form.control(ids::helpLabel);
    SetFocus(help);
    gRaised.clear();
    SendMessageW(help, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(help, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(gRaised, (std::vector<int>{12 * 1000 + 16, -VK_SPACE}));
    SendMessageW(help, WM_KEYDOWN, VK_ESCAPE, 1);  // the window's close request
    EXPECT_FALSE(IsWindow(form.window()));
}

}  // namespace
