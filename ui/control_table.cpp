#include "ui/control_table.h"

#include <iterator>

#include "ui/resources.h"

namespace {

// The channel names: the face, height and character set that the system's
// default GUI font has at 96 dpi, named here so that the names grow with
// their window's scale, not with the system's.
constexpr FontSpec kChannelFont{L"MS Shell Dlg", -12, FW_NORMAL, GB2312_CHARSET, 0, 0, 0,
                                VARIABLE_PITCH | FF_SWISS};
constexpr FontSpec kBrandFont{L"微软雅黑", -14, FW_NORMAL, GB2312_CHARSET, OUT_STROKE_PRECIS,
                              CLIP_STROKE_PRECIS, DRAFT_QUALITY, VARIABLE_PITCH | FF_SWISS};
// An empty face name leaves the choice of face to the system.
constexpr FontSpec kGlyphFont{L"", -19, FW_BOLD, GB2312_CHARSET, 0, 0, 0, 0};

constexpr COLORREF kWhite = RGB(255, 255, 255);

constexpr LabelLook kBrandLook{RGB(92, 124, 154), &kBrandFont, HorizontalAlign::Left,
                               VerticalAlign::Middle, false};
constexpr LabelLook kGlyphLook{kWhite, &kGlyphFont, HorizontalAlign::Centre,
                               VerticalAlign::Middle, false};
constexpr LabelLook kChannelLook{kWhite, &kChannelFont, HorizontalAlign::Left,
                                 VerticalAlign::Middle, false};
// Hot spots have no caption, so nothing of this look is ever drawn.
constexpr LabelLook kHotSpotLook{RGB(0, 0, 0), nullptr, HorizontalAlign::Left,
                                 VerticalAlign::Middle, false};

constexpr ControlKind Label = ControlKind::TransLabel;
constexpr ControlKind Bar = ControlKind::SuperBar;
constexpr ControlKind Player = ControlKind::MediaPlay;
constexpr ControlKind Timer = ControlKind::Timer;

// In the order of the window's unit list: it fixes the creation order (last
// row first) and the z-order (first row on top).
const ControlRow kRows[] = {
    {"brandLabel", Label, ids::brandLabel, 13, 8, 76, 24, true, kCursorHand, L"禾语听泉", &kBrandLook},
    {"edgeHotSpot", Label, ids::edgeHotSpot, 0, 248, 24, 48, true, kCursorHand, nullptr, &kHotSpotLook},
    {"leftFlowerHotSpot", Label, ids::leftFlowerHotSpot, 56, 280, 48, 64, true, kCursorHand, nullptr, &kHotSpotLook},
    {"meadowHotSpot", Label, ids::meadowHotSpot, 496, 272, 192, 128, true, kCursorHand, nullptr, &kHotSpotLook},
    {"poppyHotSpot", Label, ids::poppyHotSpot, 152, 312, 48, 64, true, kCursorHand, nullptr, &kHotSpotLook},
    {"girlHotSpot", Label, ids::girlHotSpot, 427, 120, 48, 152, true, kCursorHand, nullptr, &kHotSpotLook},
    {"boyHotSpot", Label, ids::boyHotSpot, 336, 96, 88, 168, true, kCursorHand, nullptr, &kHotSpotLook},
    {"loopTimer", Timer, ids::loopTimer, 608, 384, 26, 26, false, kCursorArrow, nullptr, nullptr},
    {"helpLabel", Label, ids::helpLabel, 683, 3, 24, 32, true, kCursorHelp, L"?", &kGlyphLook},
    {"minimizeLabel", Label, ids::minimizeLabel, 711, 2, 24, 32, true, kCursorHand, L"-", &kGlyphLook},
    {"closeLabel", Label, ids::closeLabel, 740, -1, 24, 32, true, kCursorHand, L"x", &kGlyphLook},
    {"player6", Player, ids::player[5], 672, 376, 26, 26, false, kCursorArrow, nullptr, nullptr},
    {"volumeBar6", Bar, ids::volumeBar[5], 113, 179, 160, 32, true, kCursorArrow, nullptr, nullptr},
    {"channelLabel6", Label, ids::channelLabel[5], 45, 177, 64, 32, true, kCursorArrow, L"夏夜虫鸣", &kChannelLook},
    {"volumeBar5", Bar, ids::volumeBar[4], 113, 155, 160, 32, true, kCursorArrow, nullptr, nullptr},
    {"volumeBar4", Bar, ids::volumeBar[3], 113, 127, 160, 32, true, kCursorArrow, nullptr, nullptr},
    {"volumeBar3", Bar, ids::volumeBar[2], 113, 99, 160, 32, true, kCursorArrow, nullptr, nullptr},
    {"volumeBar2", Bar, ids::volumeBar[1], 113, 71, 160, 32, true, kCursorArrow, nullptr, nullptr},
    {"volumeBar1", Bar, ids::volumeBar[0], 113, 43, 160, 32, true, kCursorArrow, nullptr, nullptr},
    {"channelLabel5", Label, ids::channelLabel[4], 45, 152, 64, 32, true, kCursorArrow, L"惊涛拍岸", &kChannelLook},
    {"channelLabel4", Label, ids::channelLabel[3], 45, 124, 64, 32, true, kCursorArrow, L"冬雷阵阵", &kChannelLook},
    {"channelLabel3", Label, ids::channelLabel[2], 45, 96, 64, 32, true, kCursorArrow, L"春雨细细", &kChannelLook},
    {"channelLabel2", Label, ids::channelLabel[1], 45, 68, 64, 32, true, kCursorArrow, L"篝火星夜", &kChannelLook},
    {"channelLabel1", Label, ids::channelLabel[0], 45, 40, 64, 32, true, kCursorArrow, L"鸟语花香", &kChannelLook},
    {"player5", Player, ids::player[4], 640, 376, 26, 26, false, kCursorArrow, nullptr, nullptr},
    {"player4", Player, ids::player[3], 672, 344, 26, 26, false, kCursorArrow, nullptr, nullptr},
    {"player3", Player, ids::player[2], 640, 344, 26, 26, false, kCursorArrow, nullptr, nullptr},
    {"player2", Player, ids::player[1], 608, 344, 26, 26, false, kCursorArrow, nullptr, nullptr},
    {"player1", Player, ids::player[0], 576, 344, 26, 26, false, kCursorArrow, nullptr, nullptr},
};

// Down the sliders, then along the glyphs at the top right, then the
// product name at the top left: a keyboard reaches every control a click
// does something on, the invisible hot spots aside.
constexpr uint32_t kTabOrder[] = {
    ids::volumeBar[0], ids::volumeBar[1], ids::volumeBar[2], ids::volumeBar[3],
    ids::volumeBar[4], ids::volumeBar[5], ids::helpLabel,    ids::minimizeLabel,
    ids::closeLabel,   ids::brandLabel,
};

const FormDefinition kMainWindow{ids::mainWindow,  ids::mainWindowUnit, kMainWindowText,
                                 kMainWindowWidth, kMainWindowHeight,   IDR_BACKGROUND,
                                 IDR_BACKGROUND_2X, kRows,              std::size(kRows),
                                 kTabOrder,         std::size(kTabOrder)};

}  // namespace

const FormDefinition& mainWindowDefinition() {
    return kMainWindow;
}
