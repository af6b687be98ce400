#pragma once
#include "platform/Error.h"

namespace com {

[[noreturn]] void raiseCannotCreate(const Guid& clsid, HRESULT hr);

template <class T>
ComPtr<T> create(const Guid& clsid, const Guid& iid) {
    ComPtr<T> out;
    HRESULT hr = createInstance(clsid, iid, out.putVoid());
    if (failed(hr) || !out) raiseCannotCreate(clsid, hr);
    return out;
}

}  // namespace com
