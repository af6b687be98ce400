#pragma once
#include <exception>

namespace com {

template <class Body>
HRESULT guard(Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (const platform::Error& e) {
        setErrorInfo({e.number(), e.source(), e.description()});
        return statusForError(e.number());
    } catch (const std::exception& e) {
        setErrorInfo({440, {}, e.what()});
        return statusForError(440);
    } catch (...) {
        setErrorInfo({440, {}, platform::standardDescription(440)});
        return statusForError(440);
    }
}

}  // namespace com
