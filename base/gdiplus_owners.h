// Owners of GDI+ objects and of the COM stream GDI+ decodes pictures from,
// each given back once by its one owner.
#pragma once

#include "base/gdiplus_api.h"

#include <objidl.h>

#include "base/unique_owner.h"

struct ReleaseComInterface {
    bool operator()(IUnknown* object) const {
        object->Release();
        return true;
    }
};

template <typename Interface>
using ComPointer = UniqueOwner<Interface*, ReleaseComInterface>;

// A GDI+ object given back by the flat API's function for its kind.
template <typename Object, auto destroy>
struct DestroyGdipObject {
    bool operator()(Object* object) const { return destroy(object) == Gdiplus::Ok; }
};

template <typename Object, auto destroy>
using GdipOwner = UniqueOwner<Object*, DestroyGdipObject<Object, destroy>>;

using GdipGraphics = GdipOwner<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>;
using GdipBitmap = GdipOwner<Gdiplus::GpBitmap, Gdiplus::DllExports::GdipDisposeImage>;
using GdipImage = GdipOwner<Gdiplus::GpImage, Gdiplus::DllExports::GdipDisposeImage>;
using GdipPath = GdipOwner<Gdiplus::GpPath, Gdiplus::DllExports::GdipDeletePath>;
using GdipPen = GdipOwner<Gdiplus::GpPen, Gdiplus::DllExports::GdipDeletePen>;
