#pragma once
// Reference-counted objects queried by interface id, and the status codes
// their members return. An interface is an abstract class whose virtual
// members stand in table-slot order; a let/get property pair is two members.

#include <cstdint>
#include <utility>

#include "platform/com/Guid.h"

namespace com {

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

inline constexpr bool succeeded(HRESULT hr) { return hr >= 0; }
inline constexpr bool failed(HRESULT hr) { return hr < 0; }

inline constexpr Guid IID_IUnknown = Guid::of("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IClassFactory = Guid::of("{00000001-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IDispatch = Guid::of("{00020400-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IEnumVARIANT = Guid::of("{00020404-0000-0000-C000-000000000046}");

class IUnknown {
public:
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;  // objects die by Release, never by delete
};

// Owning smart pointer: one reference per ComPtr.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own.
    explicit ComPtr(T* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr& o) : m_p(o.m_p) {
        if (m_p) m_p->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }

    // Adopts a reference already counted (an out parameter of a call).
    static ComPtr attach(T* p) {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    T* detach() { return std::exchange(m_p, nullptr); }

    void reset() {
        if (auto* p = std::exchange(m_p, nullptr)) p->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &m_p;
    }
    void** putVoid() {
        reset();
        return reinterpret_cast<void**>(&m_p);
    }

    // QueryInterface into another interface; empty when not supported.
    template <class U>
    ComPtr<U> as(const Guid& iid) const {
        ComPtr<U> out;
        if (m_p) m_p->QueryInterface(iid, out.putVoid());
        return out;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }

private:
    T* m_p = nullptr;
};

}  // namespace com
