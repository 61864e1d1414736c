// Owners of GDI+ objects and of the COM stream GDI+ decodes pictures from,
// each given back once by its one owner.
#pragma once

#include "app/gdiplus_api.h"

#include <objidl.h>

#include "app/unique_owner.h"

struct ReleaseComInterface {
    bool operator()(IUnknown* object) const {
        object->Release();
        return true;
    }
};

template <typename Interface>
using ComPointer = UniqueOwner<Interface*, ReleaseComInterface>;

struct DeleteGdipGraphics {
    bool operator()(Gdiplus::GpGraphics* graphics) const {
        return Gdiplus::DllExports::GdipDeleteGraphics(graphics) == Gdiplus::Ok;
    }
};

struct DisposeGdipImage {
    bool operator()(Gdiplus::GpImage* image) const {
        return Gdiplus::DllExports::GdipDisposeImage(image) == Gdiplus::Ok;
    }
};

struct DeleteGdipPath {
    bool operator()(Gdiplus::GpPath* path) const {
        return Gdiplus::DllExports::GdipDeletePath(path) == Gdiplus::Ok;
    }
};

struct DeleteGdipPen {
    bool operator()(Gdiplus::GpPen* pen) const {
        return Gdiplus::DllExports::GdipDeletePen(pen) == Gdiplus::Ok;
    }
};

using GdipGraphics = UniqueOwner<Gdiplus::GpGraphics*, DeleteGdipGraphics>;
using GdipBitmap = UniqueOwner<Gdiplus::GpBitmap*, DisposeGdipImage>;
using GdipImage = UniqueOwner<Gdiplus::GpImage*, DisposeGdipImage>;
using GdipPath = UniqueOwner<Gdiplus::GpPath*, DeleteGdipPath>;
using GdipPen = UniqueOwner<Gdiplus::GpPen*, DeleteGdipPen>;
