#include "mixer/mix_menu.h"

#include <iterator>
#include <string>

#include "app/autostart.h"
#include "app/settings.h"
#include "mixer/channels.h"
#include "mixer/mixes.h"

namespace {

// Commands past the first one the menu gives.
enum : UINT {
    kBuiltInMixOffset = 0,  // + the built-in mix's index
    kUserMixOffset = 10,    // + the slot, 1..3
    kSaveMixOffset = 20,    // + the slot
    kMasterOffset = 30,     // + the row of kMasterChoices
    kDriftOffset = 40,
    kAutostartOffset,
    kStartHiddenOffset,
};

constexpr wchar_t kMixesText[] = L"预设";
constexpr wchar_t kSaveMixText[] = L"保存当前为";
constexpr wchar_t kDriftText[] = L"声音起伏";
constexpr wchar_t kAutostartText[] = L"开机启动";
constexpr wchar_t kStartHiddenText[] = L"启动时隐藏窗口";
constexpr int32_t kMasterChoices[] = {100, 75, 50, 25};

std::wstring userMixName(int slot) {
    return L"我的组合 " + std::to_wstring(slot);
}

UINT checkedIf(bool on) {
    return MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED);
}

}  // namespace

void appendMixItems(HMENU menu, UINT base) {
    HMENU mixes = CreatePopupMenu();
    for (size_t i = 0; i < kBuiltInMixCount; ++i)
        AppendMenuW(mixes, MF_STRING, base + kBuiltInMixOffset + i, builtInMix(i).name);
    AppendMenuW(mixes, MF_SEPARATOR, 0, nullptr);
    HMENU save = CreatePopupMenu();
    for (int slot = 1; slot <= kUserMixSlots; ++slot) {
        // An empty slot is there to be filled, not chosen.
        AppendMenuW(mixes, MF_STRING | (userMix(slot) ? MF_ENABLED : MF_GRAYED),
                    base + kUserMixOffset + slot, userMixName(slot).c_str());
        AppendMenuW(save, MF_STRING, base + kSaveMixOffset + slot, userMixName(slot).c_str());
    }
    AppendMenuW(mixes, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(mixes, MF_POPUP, reinterpret_cast<UINT_PTR>(save), kSaveMixText);
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(mixes), kMixesText);

    HMENU master = CreatePopupMenu();
    for (size_t i = 0; i < std::size(kMasterChoices); ++i)
        AppendMenuW(master, checkedIf(kMasterChoices[i] == masterLevel()),
                    base + kMasterOffset + i, (std::to_wstring(kMasterChoices[i]) + L"%").c_str());
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(master),
                masterText(masterLevel()).c_str());
    AppendMenuW(menu, checkedIf(driftOn()), base + kDriftOffset, kDriftText);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, checkedIf(startsWithWindows()), base + kAutostartOffset, kAutostartText);
    AppendMenuW(menu, checkedIf(loadMixSettings().startHidden), base + kStartHiddenOffset,
                kStartHiddenText);
}

bool runMixCommand(UINT command, UINT base) {
    if (command < base) return false;
    const UINT offset = command - base;
    if (offset < kBuiltInMixOffset + kBuiltInMixCount) {
        recallMix(builtInMix(offset - kBuiltInMixOffset).volumes);
        return true;
    }
    const int slot = static_cast<int>(offset % 10);
    const bool aSlot = slot >= 1 && slot <= kUserMixSlots;
    if (aSlot && offset / 10 == kUserMixOffset / 10) {
        if (const auto volumes = userMix(slot)) recallMix(*volumes);
        return true;
    }
    if (aSlot && offset / 10 == kSaveMixOffset / 10) {
        saveUserMix(slot);
        return true;
    }
    if (offset >= kMasterOffset && offset < kMasterOffset + std::size(kMasterChoices)) {
        setMaster(kMasterChoices[offset - kMasterOffset]);
        return true;
    }
    switch (offset) {
    case kDriftOffset: setDriftStored(!driftOn()); return true;
    case kAutostartOffset: setStartsWithWindows(!startsWithWindows()); return true;
    case kStartHiddenOffset: saveStartHidden(!loadMixSettings().startHidden); return true;
    default: return false;
    }
}
