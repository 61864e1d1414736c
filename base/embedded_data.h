// Read-only blocks that the executable carries as RCDATA resources, used in
// place without a copy.
#pragma once

#include <windows.h>

#include <cstddef>

struct EmbeddedBlock {
    const void* data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The RCDATA resource with this identifier in the executable; empty when
// there is none.
EmbeddedBlock lockEmbeddedBlock(int resourceId);
