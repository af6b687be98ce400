#include "platform/com/Dispatch.h"

#include "platform/Error.h"
#include "platform/com/ErrorInfo.h"

namespace com {

Variant invoke(IDispatch* object, DISPID dispid, uint16_t flags, std::vector<Variant> args) {
    if (!object) platform::raise(platform::ErrObjectNotSet, {});
    Variant result;
    check(object->Invoke(dispid, flags, args, &result));
    return result;
}

Variant invoke(IDispatch* object, const std::string& name, uint16_t flags, std::vector<Variant> args) {
    if (!object) platform::raise(platform::ErrObjectNotSet, {});
    DISPID dispid = DISPID_UNKNOWN;
    if (failed(object->GetIDOfName(name, &dispid))) platform::raise(platform::ErrNoSuchMember, {});
    return invoke(object, dispid, flags, std::move(args));
}

std::vector<Variant> collectItems(IDispatch* collection) {
    Variant enumVariant = invoke(collection, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    auto enumerator = enumVariant.toUnknown().as<IEnumVARIANT>(IID_IEnumVARIANT);
    if (!enumerator) platform::raise(platform::ErrNoSuchMember, {});
    std::vector<Variant> items;
    for (;;) {
        Variant item;
        uint32_t fetched = 0;
        HRESULT hr = enumerator->Next(1, &item, &fetched);
        check(hr);
        if (fetched == 0) break;
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace com
