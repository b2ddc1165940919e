#include "ui/GdiPlusBitmap.h"

#include <cstring>

namespace ui {

namespace {

// The bytes of a resource, or an empty view when it is missing or empty.
struct ResourceBytes {
    const void* data = nullptr;
    DWORD size = 0;
};

ResourceBytes FindResourceBytes(UINT id, LPCSTR type, HMODULE module) {
    ResourceBytes bytes;
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(id & 0xFFFF), type);
    if (!info)
        return bytes;
    const DWORD size = ::SizeofResource(module, info);
    HGLOBAL loaded = ::LoadResource(module, info);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data && size != 0) {
        bytes.data = data;
        bytes.size = size;
    }
    return bytes;
}

} // namespace

std::unique_ptr<Gdiplus::Image> LoadImageFromResource(UINT id, LPCSTR type, HMODULE module) {
    const ResourceBytes bytes = FindResourceBytes(id, type, module);
    if (!bytes.data)
        return nullptr;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size);
    if (!block)
        return nullptr;
    void* target = ::GlobalLock(block);
    if (!target) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes.data, bytes.size);
    ::GlobalUnlock(block);
    // The stream owns the block and frees it when its last reference goes: the
    // image holds one for as long as it lives, so deleting the image releases
    // the copy too instead of leaving it allocated until the process ends.
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return nullptr;
    }
    auto image = std::make_unique<Gdiplus::Image>(stream);
    stream->Release();
    if (image->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return image;
}

void CGdiPlusBitmap::Empty() {
    m_pBitmap.reset();
}

void CGdiPlusBitmapResource::Empty() {
    CGdiPlusBitmap::Empty();
    if (m_hBuffer) {
        ::GlobalUnlock(m_hBuffer);
        ::GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

bool CGdiPlusBitmapResource::Load(UINT id, LPCSTR type, HMODULE module) {
    Empty();
    const ResourceBytes bytes = FindResourceBytes(id, type, module);
    if (!bytes.data)
        return false;
    m_hBuffer = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size);
    if (!m_hBuffer)
        return false;
    if (void* target = ::GlobalLock(m_hBuffer)) {
        std::memcpy(target, bytes.data, bytes.size);
        IStream* stream = nullptr;
        if (SUCCEEDED(::CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream))) {
            m_pBitmap = std::make_unique<Gdiplus::Bitmap>(stream, FALSE);
            stream->Release();
        }
        if (m_pBitmap && m_pBitmap->GetLastStatus() == Gdiplus::Ok)
            return true;
        m_pBitmap.reset();
        ::GlobalUnlock(m_hBuffer);
    }
    ::GlobalFree(m_hBuffer);
    m_hBuffer = nullptr;
    return false;
}

} // namespace ui
