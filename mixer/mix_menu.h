// The mixes' entries in the program's menu: the mixes ("预设": the
// built-in ones, the user's three slots and "保存当前为"), the master level
// ("主音量 80%" with 100, 75, 50 and 25 %), drifting levels ("声音起伏"),
// starting with Windows ("开机启动") and starting hidden ("启动时隐藏窗口").
#pragma once

#include <windows.h>

// Adds the entries to the menu, with commands from firstCommand up.
void appendMixItems(HMENU menu, UINT firstCommand);

// Carries out one of those commands; false for any other.
bool runMixCommand(UINT command, UINT firstCommand);
