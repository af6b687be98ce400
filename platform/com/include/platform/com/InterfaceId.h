#pragma once
// The interface id that goes with an interface class, for code that works
// from the class alone (QueryInterface of server objects, typed arguments).
// Declare one with COM_INTERFACE_ID(ns::IThing, ns::IID_Thing) at global scope.

#include "platform/com/ClassFactory.h"
#include "platform/com/Dispatch.h"

namespace com {

template <class I>
struct InterfaceId;

template <>
struct InterfaceId<IUnknown> {
    static constexpr Guid value = IID_IUnknown;
};
template <>
struct InterfaceId<IDispatch> {
    static constexpr Guid value = IID_IDispatch;
};
template <>
struct InterfaceId<IEnumVARIANT> {
    static constexpr Guid value = IID_IEnumVARIANT;
};
template <>
struct InterfaceId<IClassFactory> {
    static constexpr Guid value = IID_IClassFactory;
};

template <class I>
concept HasInterfaceId = requires {
    InterfaceId<I>::value;
};

}  // namespace com

#define COM_INTERFACE_ID(Interface, iid)            \
    namespace com {                                 \
    template <>                                     \
    struct InterfaceId<Interface> {                 \
        static constexpr ::com::Guid value = (iid); \
    };                                              \
    }
