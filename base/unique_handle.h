// Owners of kernel objects: handles (file, mutex, ...) closed once, and
// movable global memory freed once.
#pragma once

#include <windows.h>

#include "base/unique_owner.h"

struct CloseKernelHandle {
    bool operator()(HANDLE handle) const { return CloseHandle(handle) != FALSE; }
    // CreateFile and friends report failure as INVALID_HANDLE_VALUE, others
    // as null: both mean "no handle".
    static bool isEmpty(HANDLE handle) {
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    }
};

using UniqueHandle = UniqueOwner<HANDLE, CloseKernelHandle>;

struct FreeGlobalMemory {
    bool operator()(HGLOBAL memory) const { return GlobalFree(memory) == nullptr; }
};

using GlobalMemory = UniqueOwner<HGLOBAL, FreeGlobalMemory>;
