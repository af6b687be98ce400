#pragma once
// Writing a component library: reference-counted objects answering their
// interface ids, dual interfaces whose members can also be called by name or
// dispatch number, an enumerator over variants, and the four entry points.
//
// A class of a component library:
//
//   class CLog final : public com::server::ComObject<CLog, logging::ICLog> {
//   public:
//       HRESULT LogMe(const std::string& strLogMsg) override;
//       ...
//       static const com::server::DispatchTable<CLog>& dispatchTable();
//   };
//
//   const com::server::DispatchTable<CLog>& CLog::dispatchTable() {
//       using namespace com::server;
//       static const DispatchTable<CLog> table{
//           method("LogMe", &logging::ICLog::LogMe),
//           propPut("FileName", &logging::ICLog::put_FileName),
//           propGet("FileName", &logging::ICLog::get_FileName),
//       };
//       return table;
//   }
//
// and once per library, in one source file:
//
//   COM_INTERFACE_ID(logging::ICLog, logging::IID_CLog)
//   static const com::ServerModule module{LIBID, "Logging", "1.0",
//       {{CLSID_CLog, "CLog", "", true, {{IID_CLog, "_CLog"}}, &com::server::newInstance<CLog>}}};
//   COM_DEFINE_SERVER_ENTRY_POINTS(module)
//
// Every interface a ComObject lists needs its id declared with
// COM_INTERFACE_ID (InterfaceId.h) before the class is used.
//
// Everything in com::server is hidden from other libraries, so each component
// library counts its own objects and locks for DllCanUnloadNow.

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Error.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Dispatch.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/InterfaceId.h"
#include "platform/com/Variant.h"

namespace com {

// What a library registers (DllRegisterServer) and hands out (DllGetClassObject).
struct ServerInterface {
    Guid iid;
    std::string name;
};

struct ServerClass {
    Guid clsid;
    std::string name;    // class name, for messages
    std::string progId;  // program identifier; empty for none
    bool creatable = true;
    std::vector<ServerInterface> interfaces;
    // Makes a new object and queries it for iid; null for classes that only
    // their library creates.
    HRESULT (*create)(const Guid& iid, void** object) = nullptr;
};

struct ServerModule {
    Guid libraryId;
    std::string libraryName;
    std::string version;  // "major.minor"
    std::vector<ServerClass> classes;
};

// The work of DllRegisterServer / DllUnregisterServer, for the library that
// holds addressInLibrary, in the registry file of the process. Never raise;
// a failure comes back as a status with the error object beside it.
HRESULT registerServerModule(const ServerModule& module, const void* addressInLibrary) noexcept;
HRESULT unregisterServerModule(const ServerModule& module, const void* addressInLibrary) noexcept;

// The absolute path of the library that holds an address (empty if unknown).
std::string libraryPathOf(const void* addressInLibrary);

}  // namespace com

namespace com {
namespace [[gnu::visibility("hidden")]] server {

struct ModuleCounts {
    long objects = 0;
    long locks = 0;
};

// This library's counts; defined by COM_DEFINE_SERVER_ENTRY_POINTS or, for
// code outside a component library, COM_DEFINE_MODULE_COUNTS.
ModuleCounts& moduleCounts();

template <class First, class... Rest>
struct FirstOf {
    using type = First;
};

// An object of a component library: reference counted (one thread, the
// apartment's, so no atomics), answering IUnknown, IDispatch (when one of its
// interfaces is dual) and every listed interface. A dual object's Impl gives
// static const DispatchTable<Impl>& dispatchTable().
template <class Impl, class... Interfaces>
class ComObject : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "a component object implements at least one interface");
    static_assert((std::is_base_of_v<IUnknown, Interfaces> && ...), "interfaces derive from IUnknown");

public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = findInterface(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    uint32_t AddRef() override { return ++m_refs; }
    uint32_t Release() override {
        const uint32_t left = --m_refs;
        if (left == 0) delete static_cast<Impl*>(this);
        return left;
    }

    // Dual interfaces: names and dispatch numbers from Impl's table. Members
    // that fail leave their error object beside the status.
    HRESULT GetIDOfName(const std::string& name, DISPID* dispid) {
        if (!dispid) return E_POINTER;
        return Impl::dispatchTable().idOfName(name, dispid);
    }
    HRESULT Invoke(DISPID dispid, uint16_t flags, std::vector<Variant>& args, Variant* result) {
        if (result) *result = Variant();
        HRESULT hr = S_OK;
        const HRESULT status =
            guard([&] { hr = Impl::dispatchTable().invoke(static_cast<Impl&>(*this), dispid, flags, args, result); });
        return failed(status) ? status : hr;
    }

    // A counted reference to this object through one of its interfaces.
    template <class I>
    ComPtr<I> ptr() {
        return ComPtr<I>(static_cast<I*>(static_cast<Impl*>(this)));
    }

protected:
    ComObject() { ++moduleCounts().objects; }
    virtual ~ComObject() { --moduleCounts().objects; }

private:
    using Primary = typename FirstOf<Interfaces...>::type;

    void* findInterface(const Guid& iid) {
        auto* self = static_cast<Impl*>(this);
        if (iid == IID_IUnknown) return static_cast<IUnknown*>(static_cast<Primary*>(self));
        void* found = nullptr;
        if (iid == IID_IDispatch) {
            ((found = found ? found : dispatchOf<Interfaces>(self)), ...);
            return found;
        }
        ((found = (found || !(iid == InterfaceId<Interfaces>::value)) ? found : static_cast<Interfaces*>(self)), ...);
        return found;
    }
    template <class I>
    static void* dispatchOf(Impl* self) {
        if constexpr (std::is_base_of_v<IDispatch, I>) return static_cast<IDispatch*>(static_cast<I*>(self));
        else return nullptr;
    }

    uint32_t m_refs = 0;
};

// A new object, held by the returned pointer.
template <class Impl, class... Args>
ComPtr<Impl> make(Args&&... args) {
    return ComPtr<Impl>(new Impl(std::forward<Args>(args)...));
}

// ServerClass::create for a class made by its default constructor.
template <class Impl>
HRESULT newInstance(const Guid& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    HRESULT hr = S_OK;
    const HRESULT status = guard([&] { hr = make<Impl>()->QueryInterface(iid, object); });
    return failed(status) ? status : hr;
}

// ---- Arguments of late-bound calls -------------------------------------

using Arguments = std::vector<Variant>;

template <class T>
struct InArg;  // how a parameter of type T is taken from a Variant

template <class T, class Convert>
struct ValueInArg {
    using Holder = T;
    static constexpr bool takesMissing = false;
    static T from(const Variant& v) { return Convert{}(v); }
    static const T& pass(const Holder& h) { return h; }
};

struct ToString {
    std::string operator()(const Variant& v) const { return v.toString(); }
};
struct ToInt16 {
    int16_t operator()(const Variant& v) const { return v.toInt16(); }
};
struct ToInt32 {
    int32_t operator()(const Variant& v) const { return v.toInt32(); }
};
struct ToBool {
    bool operator()(const Variant& v) const { return v.toBool(); }
};
struct ToFloat {
    float operator()(const Variant& v) const { return v.toFloat(); }
};
struct ToDouble {
    double operator()(const Variant& v) const { return v.toDouble(); }
};

template <>
struct InArg<std::string> : ValueInArg<std::string, ToString> {};
template <>
struct InArg<int16_t> : ValueInArg<int16_t, ToInt16> {};
template <>
struct InArg<int32_t> : ValueInArg<int32_t, ToInt32> {};
template <>
struct InArg<bool> : ValueInArg<bool, ToBool> {};
template <>
struct InArg<float> : ValueInArg<float, ToFloat> {};
template <>
struct InArg<double> : ValueInArg<double, ToDouble> {};

// A Variant parameter takes the argument as it comes, "missing" included.
template <>
struct InArg<Variant> {
    using Holder = Variant;
    static constexpr bool takesMissing = true;
    static Variant from(const Variant& v) { return v; }
    static const Variant& pass(const Holder& h) { return h; }
};

// An interface pointer parameter: the object queried for that interface;
// Nothing and Empty pass null, anything else is a type mismatch.
template <class I>
requires std::is_base_of_v<IUnknown, I>
struct InArg<I*> {
    using Holder = ComPtr<I>;
    static constexpr bool takesMissing = false;
    static ComPtr<I> from(const Variant& v) {
        ComPtr<IUnknown> unknown = v.toUnknown();
        if (!unknown) return {};
        ComPtr<I> out = unknown.as<I>(InterfaceId<I>::value);
        if (!out) platform::raise(platform::ErrTypeMismatch, {});
        return out;
    }
    static I* pass(const Holder& h) { return h.get(); }
};

template <class T>
struct OutArg {
    static constexpr bool isOut = false;
};

template <class T>
struct ValueOutArg {
    static constexpr bool isOut = true;
    using Holder = T;
    static Variant pack(Holder& h) { return Variant(std::move(h)); }
};

template <>
struct OutArg<std::string*> : ValueOutArg<std::string> {};
template <>
struct OutArg<int16_t*> : ValueOutArg<int16_t> {};
template <>
struct OutArg<int32_t*> : ValueOutArg<int32_t> {};
template <>
struct OutArg<bool*> : ValueOutArg<bool> {};
template <>
struct OutArg<float*> : ValueOutArg<float> {};
template <>
struct OutArg<double*> : ValueOutArg<double> {};
template <>
struct OutArg<Variant*> : ValueOutArg<Variant> {};

// An interface pointer result: the reference the member handed out is
// adopted by the result variant (an object, or Nothing).
template <class I>
requires std::is_base_of_v<IUnknown, I>
struct OutArg<I**> {
    static constexpr bool isOut = true;
    using Holder = I*;
    static Variant pack(Holder& h) {
        I* p = std::exchange(h, nullptr);
        if constexpr (std::is_base_of_v<IDispatch, I>)
            return Variant(ComPtr<IDispatch>::attach(static_cast<IDispatch*>(p)));
        else return Variant(ComPtr<IUnknown>::attach(static_cast<IUnknown*>(p)));
    }
};

template <class PMF>
struct MemberFn;
template <class C, class... Ps>
struct MemberFn<HRESULT (C::*)(Ps...)> {
    using Class = C;
    using Params = std::tuple<Ps...>;
};
template <class C, class... Ps>
struct MemberFn<HRESULT (C::*)(Ps...) const> {
    using Class = const C;
    using Params = std::tuple<Ps...>;
};
template <class C, class... Ps>
struct MemberFn<HRESULT (C::*)(Ps...) noexcept> : MemberFn<HRESULT (C::*)(Ps...)> {};
template <class C, class... Ps>
struct MemberFn<HRESULT (C::*)(Ps...) const noexcept> : MemberFn<HRESULT (C::*)(Ps...) const> {};

template <class P>
using InArgOf = InArg<std::conditional_t<std::is_pointer_v<P>, P, std::remove_cvref_t<P>>>;

// Unpacks the arguments (converted, defaults for the trailing optional ones),
// calls the member through its pointer, the same virtual slot a bound caller
// uses, and packs the result.
template <class PMF, class Self, std::size_t... Is>
HRESULT callMember(PMF pmf, const std::vector<Variant>& defaults, Self& self, Arguments& args, Variant* result,
                   std::index_sequence<Is...>) {
    using Params = typename MemberFn<PMF>::Params;
    constexpr std::size_t count = std::tuple_size_v<Params>;
    using Last = std::tuple_element_t<count - 1, Params>;
    using Out = OutArg<Last>;
    constexpr std::size_t inputs = sizeof...(Is);
    constexpr bool takesMissing[inputs + 1] = {InArgOf<std::tuple_element_t<Is, Params>>::takesMissing..., false};

    if (args.size() > inputs) return DISP_E_BADPARAMCOUNT;
    const std::size_t firstDefault = inputs - std::min(defaults.size(), inputs);
    std::vector<Variant> actual(inputs);
    for (std::size_t i = 0; i < inputs; ++i) {
        if (i < args.size() && !args[i].isMissing()) actual[i] = args[i];
        else if (i >= firstDefault) actual[i] = defaults[i - firstDefault];
        else if (takesMissing[i]) actual[i] = Variant::missing();
        else return DISP_E_PARAMNOTFOUND;
    }
    std::tuple<typename InArgOf<std::tuple_element_t<Is, Params>>::Holder...> held{
        InArgOf<std::tuple_element_t<Is, Params>>::from(actual[Is])...};
    auto& object = static_cast<typename MemberFn<PMF>::Class&>(self);
    if constexpr (Out::isOut) {
        typename Out::Holder out{};
        const HRESULT hr = (object.*pmf)(InArgOf<std::tuple_element_t<Is, Params>>::pass(std::get<Is>(held))..., &out);
        Variant packed = Out::pack(out);  // adopts a handed-out reference even on failure
        if (succeeded(hr) && result) *result = std::move(packed);
        return hr;
    } else {
        return (object.*pmf)(InArgOf<std::tuple_element_t<Is, Params>>::pass(std::get<Is>(held))...);
    }
}

template <class PMF>
HRESULT callMember(PMF pmf, const std::vector<Variant>& defaults, auto& self, Arguments& args, Variant* result) {
    using Params = typename MemberFn<PMF>::Params;
    constexpr std::size_t count = std::tuple_size_v<Params>;
    if constexpr (count == 0) {
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        auto& object = static_cast<typename MemberFn<PMF>::Class&>(self);
        return (object.*pmf)();
    } else {
        constexpr bool hasOut = OutArg<std::tuple_element_t<count - 1, Params>>::isOut;
        return callMember(pmf, defaults, self, args, result, std::make_index_sequence<count - (hasOut ? 1 : 0)>{});
    }
}

// ---- Dispatch tables ---------------------------------------------------

// A member bound to a member function (made by method, propGet, propPut).
template <class PMF>
struct Bound {
    std::string name;
    PMF pmf;
    uint16_t kinds;
    DISPID dispid = DISPID_UNKNOWN;
    std::vector<Variant> defaults;

    // A fixed dispatch number (DISPID_VALUE for a default member,
    // DISPID_NEWENUM for the enumerator).
    Bound id(DISPID fixed) && {
        dispid = fixed;
        return std::move(*this);
    }
    // Values for the trailing optional parameters, used when the caller
    // leaves them out or passes "missing".
    Bound defaultsFor(std::initializer_list<Variant> values) && {
        defaults.assign(values.begin(), values.end());
        return std::move(*this);
    }
};

template <class PMF>
Bound<PMF> method(std::string name, PMF pmf) {
    return Bound<PMF>{std::move(name), pmf, DISPATCH_METHOD, DISPID_UNKNOWN, {}};
}
template <class PMF>
Bound<PMF> propGet(std::string name, PMF pmf) {
    return Bound<PMF>{std::move(name), pmf, DISPATCH_PROPERTYGET, DISPID_UNKNOWN, {}};
}
template <class PMF>
Bound<PMF> propPut(std::string name, PMF pmf) {
    return Bound<PMF>{std::move(name), pmf, DISPATCH_PROPERTYPUT, DISPID_UNKNOWN, {}};
}
template <class PMF>
Bound<PMF> propPutRef(std::string name, PMF pmf) {
    return Bound<PMF>{std::move(name), pmf, DISPATCH_PROPERTYPUTREF, DISPID_UNKNOWN, {}};
}

template <class Impl>
struct Member {
    using Invoker = std::function<HRESULT(Impl& self, Arguments& args, Variant* result)>;

    // A member written by hand: it unpacks args itself and may raise.
    Member(std::string name, DISPID dispid, uint16_t kinds, Invoker call)
        : name(std::move(name)), dispid(dispid), kinds(kinds), call(std::move(call)) {}

    template <class PMF>
    Member(Bound<PMF> bound) : name(std::move(bound.name)), dispid(bound.dispid), kinds(bound.kinds) {
        call = [pmf = bound.pmf, defaults = std::move(bound.defaults)](Impl& self, Arguments& args, Variant* result) {
            return callMember(pmf, defaults, self, args, result);
        };
    }

    std::string name;
    DISPID dispid = DISPID_UNKNOWN;  // unknown: numbered by position
    uint16_t kinds = DISPATCH_METHOD;
    Invoker call;
};

inline bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Members without a fixed number get FirstAutoDispid + the position of their
// name among the table's distinct names; a let/get pair shares one number.
inline constexpr DISPID FirstAutoDispid = 0x60030000;

template <class Impl>
class DispatchTable {
public:
    DispatchTable(std::initializer_list<Member<Impl>> members) : m_members(members) {
        std::vector<std::pair<std::string, DISPID>> names;
        for (const auto& m : m_members) {
            auto it = std::find_if(names.begin(), names.end(), [&](auto& n) { return sameName(n.first, m.name); });
            if (it == names.end()) {
                names.emplace_back(m.name, FirstAutoDispid + static_cast<DISPID>(names.size()));
                it = names.end() - 1;
            }
            if (m.dispid != DISPID_UNKNOWN) it->second = m.dispid;
        }
        for (auto& m : m_members) {
            for (const auto& n : names) {
                if (sameName(n.first, m.name)) m.dispid = n.second;
            }
        }
    }

    HRESULT idOfName(std::string_view name, DISPID* dispid) const {
        for (const auto& m : m_members) {
            if (sameName(m.name, name)) {
                *dispid = m.dispid;
                return S_OK;
            }
        }
        *dispid = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }

    // May raise (argument conversion, hand-written members); the caller guards.
    HRESULT invoke(Impl& self, DISPID dispid, uint16_t flags, Arguments& args, Variant* result) const {
        const Member<Impl>* chosen = nullptr;
        const uint16_t puts = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
        const uint16_t wanted = (flags & puts) ? (flags & puts) : (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET));
        const uint16_t accepted = (flags & puts) ? puts : (DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        for (const auto& m : m_members) {
            if (m.dispid != dispid || !(m.kinds & accepted)) continue;
            if (!chosen || ((m.kinds & wanted) && !(chosen->kinds & wanted))) chosen = &m;
        }
        if (!chosen) return DISP_E_MEMBERNOTFOUND;
        Variant ignored;
        return chosen->call(self, args, result ? result : &ignored);
    }

    const std::vector<Member<Impl>>& members() const { return m_members; }

private:
    std::vector<Member<Impl>> m_members;
};

// ---- Enumerator ----------------------------------------------------------

// For-each over a snapshot of items (dispatch number -4 of a collection).
class VariantEnumerator final : public ComObject<VariantEnumerator, IEnumVARIANT> {
public:
    explicit VariantEnumerator(std::vector<Variant> items, std::size_t position = 0)
        : m_items(std::make_shared<const std::vector<Variant>>(std::move(items))), m_position(position) {}

    static ComPtr<IUnknown> create(std::vector<Variant> items) {
        auto e = make<VariantEnumerator>(std::move(items));
        return e->ptr<IUnknown>();
    }

    HRESULT Next(uint32_t count, Variant* items, uint32_t* fetched) override {
        if (fetched) *fetched = 0;
        if (count > 0 && !items) return E_POINTER;
        uint32_t n = 0;
        while (n < count && m_position < m_items->size()) items[n++] = (*m_items)[m_position++];
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(uint32_t count) override {
        const std::size_t left = m_items->size() - m_position;
        m_position += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        auto copy = make<VariantEnumerator>(std::vector<Variant>{}, m_position);
        copy->m_items = m_items;
        *out = copy->ptr<IEnumVARIANT>().detach();
        return S_OK;
    }

private:
    std::shared_ptr<const std::vector<Variant>> m_items;
    std::size_t m_position;
};

// ---- Entry points ----------------------------------------------------------

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    explicit ClassFactory(HRESULT (*create)(const Guid&, void**)) : m_create(create) {}

    HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return m_create(iid, object);
    }
    HRESULT LockServer(bool lock) override {
        moduleCounts().locks += lock ? 1 : -1;
        return S_OK;
    }

private:
    HRESULT (*m_create)(const Guid&, void**);
};

inline HRESULT getClassObject(const ServerModule& module, const Guid& clsid, const Guid& iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const auto& c : module.classes) {
        if (c.clsid != clsid || !c.creatable || !c.create) continue;
        HRESULT hr = S_OK;
        const HRESULT status = guard([&] { hr = make<ClassFactory>(c.create)->QueryInterface(iid, object); });
        return failed(status) ? status : hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

inline HRESULT canUnloadNow() noexcept {
    const auto& counts = moduleCounts();
    return counts.objects == 0 && counts.locks == 0 ? S_OK : S_FALSE;
}

// clang-format off
}  // namespace server
// clang-format on
}  // namespace com

#define COM_DEFINE_MODULE_COUNTS()                               \
    ::com::server::ModuleCounts& ::com::server::moduleCounts() { \
        static ::com::server::ModuleCounts counts;               \
        return counts;                                           \
    }

// The four entry points of a component library, for the ServerModule that
// `module` names (evaluated at each call).
#define COM_DEFINE_SERVER_ENTRY_POINTS(module)                                                               \
    COM_DEFINE_MODULE_COUNTS()                                                                               \
    extern "C" __attribute__((visibility("default"))) ::com::HRESULT DllGetClassObject(                      \
        const ::com::Guid& clsid, const ::com::Guid& iid, void** object) {                                   \
        return ::com::server::getClassObject((module), clsid, iid, object);                                  \
    }                                                                                                        \
    extern "C" __attribute__((visibility("default"))) ::com::HRESULT DllCanUnloadNow() {                     \
        return ::com::server::canUnloadNow();                                                                \
    }                                                                                                        \
    extern "C" __attribute__((visibility("default"))) ::com::HRESULT DllRegisterServer() {                   \
        return ::com::registerServerModule((module), reinterpret_cast<const void*>(&DllRegisterServer));     \
    }                                                                                                        \
    extern "C" __attribute__((visibility("default"))) ::com::HRESULT DllUnregisterServer() {                 \
        return ::com::unregisterServerModule((module), reinterpret_cast<const void*>(&DllUnregisterServer)); \
    }
