#pragma once

#include <windows.h>
#include <objbase.h>

namespace win {

// Holds one counted reference to a COM object and releases it once.
// Uncopyable: a second holder takes its own reference with Reset.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Release(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Releases the held reference and takes a new one to p (may be null).
    void Reset(T* p) {
        if (p)
            p->AddRef();
        Release();
        m_p = p;
    }
    void Release() {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    // For out parameters that hand over a reference: releases the held one.
    T** Receive() {
        Release();
        return &m_p;
    }
    // QueryInterface into another holder; the HRESULT of the query.
    template <class U> HRESULT QueryInto(REFIID iid, ComPtr<U>& target) const {
        if (!m_p)
            return E_POINTER;
        return m_p->QueryInterface(iid, reinterpret_cast<void**>(target.Receive()));
    }

private:
    T* m_p = nullptr;
};

} // namespace win
