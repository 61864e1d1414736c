#include "overlay/messages.h"

#include <objbase.h>
#include <shellapi.h>

#include "base/system_library.h"
#include "overlay/mask.h"
#include "ui/control_table.h"
#include "ui/form.h"

// The build passes these as narrow string literals of plain ASCII.
#if !defined(HEYU_AUTHOR_EMAIL) || !defined(HEYU_AUTHOR_QQ) || !defined(HEYU_MAKER_DOMAIN) || \
    !defined(HEYU_MAKER_URL)
#error "HEYU_AUTHOR_EMAIL, HEYU_AUTHOR_QQ, HEYU_MAKER_DOMAIN and HEYU_MAKER_URL must be defined"
#endif

const wchar_t kAuthorEmail[] = L"" HEYU_AUTHOR_EMAIL;
const wchar_t kAuthorQq[] = L"" HEYU_AUTHOR_QQ;
const wchar_t kMakerDomain[] = L"" HEYU_MAKER_DOMAIN;
const wchar_t kMakerAddress[] = L"" HEYU_MAKER_URL;

namespace {

constexpr wchar_t kWordless[] = L"不语";
constexpr wchar_t kWelcome[] = L"欢迎使用 墨川禾语听泉";
constexpr UINT kInformation = MB_ICONINFORMATION;        // OK
constexpr UINT kYesNo = MB_YESNO | MB_ICONINFORMATION;  // Yes, No

// The texts as they are shown, line by line. "\u3000" is the ideographic
// space; the about text's first line is indented by two of them.
const MessageText kMessages[] = {
    // The easter egg in the narrow strip on the window's left edge.
    {ids::edgeHotSpot,
     L"这么偏的角落你都点到了？墨川懂你的寂寞和情怀。 缘份一场，给墨川发邮件倾诉您的故事吧。邮箱："
     HEYU_AUTHOR_EMAIL L" ",
     kWordless, kInformation, nullptr},
    {ids::girlHotSpot,
     L"记得她曾说过，我们会在某个阳光灿烂的日子里重逢\r\n"
     L"阳光灿烂的日子常有，她却再未出现。",
     kWordless, kInformation, nullptr},
    {ids::leftFlowerHotSpot,
     L"多少人等待，是因为相信念念不忘必有回响。但多少人千辛万苦等来的回响，却只是冰冷的一句，别再念念不忘。",
     kWordless, kInformation, nullptr},
    {ids::meadowHotSpot,
     L"愿你以后的人生有酒有肉有姑娘，无风无雨年复年。\r\n"
     L"遗憾的是，我不能奉陪。",
     kWordless, kInformation, nullptr},
    {ids::brandLabel,
     L"人之心若镜，物来相应，物去不留\r\n"
     L"是时候听听自己内心的声音了。",
     kWordless, kInformation, nullptr},
    {ids::poppyHotSpot,
     L"已识乾坤大，犹怜草木青。",
     kWordless, kInformation, nullptr},
    // The usage hint.
    {ids::boyHotSpot,
     L"点击手指向的滑动条，单独设置各种背景音的音量。\r\n"
     L"已经有多久，没有人为你指路，今后的路，你要一个人走。\r\n"
     L"前路会有那么多的风雪，和那么多的忧伤，陪伴你的，只有坚强。",
     kWordless, kInformation, nullptr},
    // The introduction and about text; Yes opens the maker's page.
    {ids::helpLabel,
     L"\u3000\u3000本程序绿色温纯，情深意重。\u3000用于在您工作/睡觉/冥想时，模仿自然界各种风雨雷电虫鸣等声音，并可自由单独设置每种声音的音量大小，以让你工作效率增加，更容易入眠。\r\n"
     L"\r\n"
     L"作者：墨川 , 联系QQ：" HEYU_AUTHOR_QQ L" , 邮箱: " HEYU_AUTHOR_EMAIL L"\r\n"
     L"欢迎OEM，定制软件。\r\n"
     L"\r\n"
     L"点击 [是] 访问墨川软件 官网 " HEYU_MAKER_DOMAIN,
     kWelcome, kYesNo, openMakerPage},
};

// Task-modal unless the style asks for system modality: with the main
// window as its owner the box disables that window alone until it closes
// (only a box without an owner would disable every window of the thread).
UINT withModality(UINT style) {
    return (style & MB_SYSTEMMODAL) ? style : style | MB_TASKMODAL;
}

}  // namespace

const MessageText* messageFor(uint32_t controlId) {
    for (const MessageText& message : kMessages)
        if (message.controlId == controlId) return &message;
    return nullptr;
}

void ShowMessage(const wchar_t* text, const wchar_t* caption, UINT style, YesAction onYes) {
    HWND mainWindow = formWindow(ids::mainWindow);
    // Without a mask the box is shown all the same, over the sharp window.
    ShowMask(mainWindow);
    // The main window stays disabled, and masked, until the box is closed.
    const int answer = MessageBoxW(mainWindow, text, caption, withModality(style));
    if (answer == IDYES && onYes) onYes();
    RemoveMask();
}

void showMessageOf(uint32_t controlId) {
    if (const MessageText* message = messageFor(controlId))
        ShowMessage(message->text, message->caption, message->style, message->onYes);
}

void openMakerPage() {
    // The shell may hand a web address to extensions that need COM on the
    // calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // The result is ignored: nothing is reported, and the mask goes as usual.
    platform::ShellExecuteW(nullptr, nullptr, kMakerAddress, nullptr, L"", SW_SHOWNORMAL);
    if (SUCCEEDED(com)) CoUninitialize();
}
