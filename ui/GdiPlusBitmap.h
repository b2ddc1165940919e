#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

namespace ui {

// A PNG (or any image GDI+ decodes) from the program's resources of the given
// type. Null when the resource is missing or does not decode.
std::unique_ptr<Gdiplus::Image> LoadImageFromResource(UINT id, LPCSTR type, HMODULE module);

// An owned GDI+ bitmap.
class CGdiPlusBitmap {
public:
    CGdiPlusBitmap() = default;
    virtual ~CGdiPlusBitmap() { CGdiPlusBitmap::Empty(); }
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    virtual void Empty();
    operator Gdiplus::Bitmap*() const { return m_pBitmap.get(); }

protected:
    std::unique_ptr<Gdiplus::Bitmap> m_pBitmap;
};

// A bitmap decoded from a resource. GDI+ reads the image's bytes lazily from
// its stream, so the memory block behind the stream lives as long as the
// bitmap does.
class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource() = default;
    ~CGdiPlusBitmapResource() override { CGdiPlusBitmapResource::Empty(); }

    void Empty() override;
    bool Load(UINT id, LPCSTR type, HMODULE module = nullptr);

private:
    HGLOBAL m_hBuffer = nullptr;
};

} // namespace ui
