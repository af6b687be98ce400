// A stand-in for the PDF automation objects that records every call instead
// of touching a PDF. Registered under the same program identifiers as the
// real ones ("AcroExch.App", "AcroExch.AVDoc", "AFormAut.App"); what it
// records and how it is configured is described in ../RecordingAcrobat.h.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "pdfauto/Acrobat.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/com/Runtime.h"
#include "platform/com/Server.h"

COM_INTERFACE_ID(pdfauto::IAFormApp, pdfauto::IID_IAFormApp)
COM_INTERFACE_ID(pdfauto::IFields, pdfauto::IID_IFields)
COM_INTERFACE_ID(pdfauto::IField, pdfauto::IID_IField)

namespace recording {

using com::HRESULT;
using com::Variant;
namespace fs = std::filesystem;

inline constexpr com::Guid LIBID_RecordingAcrobat = com::Guid::of("{213AD608-A635-4F86-AD43-048382B33D89}");
inline constexpr com::Guid CLSID_App = com::Guid::of("{8BC3BE42-829B-4231-B4DA-751C53F19257}");
inline constexpr com::Guid CLSID_AVDoc = com::Guid::of("{50519496-1017-437E-A866-3D865FA9C86D}");
inline constexpr com::Guid CLSID_FormApp = com::Guid::of("{14D1A6E0-D842-45E1-B806-586F2887E9CF}");
inline constexpr com::Guid CLSID_PDDoc = com::Guid::of("{8CEF496B-AD34-48F0-9ACD-03DD4A8BBC26}");
inline constexpr com::Guid CLSID_PDPage = com::Guid::of("{AF8677C4-F549-4340-94FD-6E2B319B4EAA}");
inline constexpr com::Guid CLSID_Fields = com::Guid::of("{DE18F283-02BB-44F5-B62E-9ED6950F66F9}");
inline constexpr com::Guid CLSID_Field = com::Guid::of("{DEA15376-71DD-4628-BD5B-54FB643D89D6}");

// ---- Files beside the registry ---------------------------------------------

fs::path folder() { return fs::path(platform::paths::toNative(com::registryPath())).parent_path(); }

void record(const std::string& line) {
    std::ofstream(folder() / "RecordingAcrobat.log", std::ios::binary | std::ios::app) << line << '\n';
}

std::string configValue(const std::string& key, const std::string& fallback) {
    std::ifstream in(folder() / "RecordingAcrobat.cfg", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos && line.substr(0, eq) == key) return line.substr(eq + 1);
    }
    return fallback;
}

// "open" may list the answers of successive opens ("true,false"): the n-th
// open recorded in the log takes the n-th answer, later ones the last.
bool openAnswer() {
    std::vector<std::string> answers(1);
    for (char c : configValue("open", "true")) {
        if (c == ',') answers.emplace_back();
        else answers.back() += c;
    }
    std::size_t opens = 0;
    std::ifstream log(folder() / "RecordingAcrobat.log", std::ios::binary);
    for (std::string line; std::getline(log, line);)
        if (line.rfind("AVDoc.Open(", 0) == 0) ++opens;
    const std::size_t index = std::min(opens == 0 ? 0 : opens - 1, answers.size() - 1);
    return answers[index] != "false";
}

std::string describe(const Variant& v) {
    switch (v.type()) {
    case com::VarType::Missing: return "<missing>";
    case com::VarType::Empty: return "<empty>";
    case com::VarType::Dispatch:
    case com::VarType::Unknown: return "<object>";
    default: return v.toString();
    }
}

std::string describe(const std::vector<Variant>& args) {
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) out += (i ? ", " : "") + describe(args[i]);
    return out;
}

// ---- Late-bound objects: application, document view, document, page --------

// An object reached only by dispatch number; members it knows are given by
// name and by the argument types Acrobat declares for them. A call with other
// types fails with Type mismatch and is recorded with " !type".
class LateBound : public com::server::ComObject<LateBound, com::IDispatch> {
public:
    struct Member {
        const char* name;
        com::DISPID dispid;
        std::vector<std::vector<com::VarType>> accepted;  // per argument, the types taken
    };

    HRESULT GetIDOfName(const std::string& name, com::DISPID* dispid) override {
        if (!dispid) return com::E_POINTER;
        for (const auto& m : members()) {
            if (com::server::sameName(m.name, name)) {
                *dispid = m.dispid;
                return com::S_OK;
            }
        }
        return com::DISP_E_UNKNOWNNAME;
    }

    HRESULT Invoke(com::DISPID dispid, uint16_t, std::vector<Variant>& args, Variant* result) override {
        Variant ignored;
        if (!result) result = &ignored;
        *result = Variant();
        const Member* member = nullptr;
        for (const auto& m : members())
            if (m.dispid == dispid) member = &m;
        const std::string line =
            objectName() + "." + (member ? member->name : std::to_string(dispid)) + "(" + describe(args) + ")";
        if (member && !typesMatch(*member, args)) {
            record(line + " !type");
            com::setErrorInfo({platform::ErrTypeMismatch, objectName(), platform::standardDescription(13)});
            return com::statusForError(platform::ErrTypeMismatch);
        }
        record(line);
        return com::guard([&] { *result = call(dispid, args); });
    }

    HRESULT QueryInterface(const com::Guid& iid, void** object) override {
        // The document objects are dispatch interfaces: their ids answer with IDispatch.
        if (object && dispatchIid() && iid == *dispatchIid()) {
            *object = static_cast<com::IDispatch*>(this);
            AddRef();
            return com::S_OK;
        }
        return ComObject::QueryInterface(iid, object);
    }

    static const com::server::DispatchTable<LateBound>& dispatchTable() {
        static const com::server::DispatchTable<LateBound> table{
            std::initializer_list<com::server::Member<LateBound>>{}};
        return table;
    }

protected:
    virtual std::string objectName() const = 0;
    virtual const std::vector<Member>& members() const = 0;
    virtual const com::Guid* dispatchIid() const { return nullptr; }
    virtual Variant call(com::DISPID dispid, const std::vector<Variant>& args) = 0;

private:
    static bool typesMatch(const Member& m, const std::vector<Variant>& args) {
        if (args.size() != m.accepted.size()) return false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            bool ok = false;
            for (auto t : m.accepted[i]) ok = ok || args[i].type() == t;
            if (!ok) return false;
        }
        return true;
    }
};

using VT = com::VarType;

class App final : public LateBound {
public:
    App() { record("new AcroExch.App"); }
    ~App() override { record("delete AcroExch.App"); }

protected:
    std::string objectName() const override { return "App"; }
    const std::vector<Member>& members() const override {
        static const std::vector<Member> m{{"Show21", pdfauto::app::Show21, {{VT::I4}}},
                                           {"Show24", pdfauto::app::Show24, {{VT::I4}}},
                                           {"Show25", pdfauto::app::Show25, {{VT::I4}}}};
        return m;
    }
    Variant call(com::DISPID, const std::vector<Variant>&) override { return Variant(true); }
};

class PDPage final : public LateBound {
protected:
    std::string objectName() const override { return "PDPage"; }
    const std::vector<Member>& members() const override {
        static const std::vector<Member> m;
        return m;
    }
    const com::Guid* dispatchIid() const override { return &pdfauto::IID_CAcroPDPage; }
    Variant call(com::DISPID, const std::vector<Variant>&) override { return Variant(true); }
};

class PDDoc final : public LateBound {
protected:
    std::string objectName() const override { return "PDDoc"; }
    const std::vector<Member>& members() const override {
        static const std::vector<Member> m{
            {"GetNumPages", pdfauto::pddoc::GetNumPages, {}},
            {"AcquirePage", pdfauto::pddoc::AcquirePage, {{VT::I2, VT::I4}}},
            {"Save", pdfauto::pddoc::Save, {{VT::I2}, {VT::String}}},
            {"AttachFile", pdfauto::pddoc::AttachFile, {{VT::String}, {VT::String}, {VT::String}}},
            {"FieldMaxLength", pdfauto::pddoc::FieldMaxLength, {{VT::String}}}};
        return m;
    }
    const com::Guid* dispatchIid() const override { return &pdfauto::IID_CAcroPDDoc; }
    Variant call(com::DISPID dispid, const std::vector<Variant>&) override {
        switch (dispid) {
        case pdfauto::pddoc::GetNumPages: return Variant(static_cast<int32_t>(std::stol(configValue("pages", "1"))));
        case pdfauto::pddoc::AcquirePage: return Variant(com::server::make<PDPage>()->ptr<com::IDispatch>());
        case pdfauto::pddoc::Save: return Variant(true);
        case pdfauto::pddoc::AttachFile: return Variant(true);
        case pdfauto::pddoc::FieldMaxLength: return Variant(int32_t{0});
        default: platform::raise(platform::ErrNoSuchMember, "PDDoc");
        }
    }
};

class AVDoc final : public LateBound {
public:
    AVDoc() { record("new AcroExch.AVDoc"); }
    ~AVDoc() override { record("delete AcroExch.AVDoc"); }

protected:
    std::string objectName() const override { return "AVDoc"; }
    const std::vector<Member>& members() const override {
        static const std::vector<Member> m{{"Open", pdfauto::avdoc::Open, {{VT::String}, {VT::String}}},
                                           {"GetPDDoc", pdfauto::avdoc::GetPDDoc, {}},
                                           {"Close", pdfauto::avdoc::Close, {{VT::I4}}},
                                           {"IsValid", pdfauto::avdoc::IsValid, {}}};
        return m;
    }
    const com::Guid* dispatchIid() const override { return &pdfauto::IID_CAcroAVDoc; }
    Variant call(com::DISPID dispid, const std::vector<Variant>& args) override {
        switch (dispid) {
        case pdfauto::avdoc::Open: {
            const std::string& path = args[0].get<std::string>();
            std::error_code ec;
            m_open = openAnswer() && path.find("fail-open") == std::string::npos &&
                     fs::is_regular_file(platform::paths::toNative(path), ec);
            return Variant(m_open);
        }
        case pdfauto::avdoc::GetPDDoc:
            if (!m_open) platform::raise(platform::ErrObjectNotSet, "AVDoc", "No document is open in this view");
            return Variant(com::server::make<PDDoc>()->ptr<com::IDispatch>());
        case pdfauto::avdoc::Close: {
            const bool was = m_open;
            m_open = false;
            return Variant(was);
        }
        case pdfauto::avdoc::IsValid: return Variant(m_open);
        default: platform::raise(platform::ErrNoSuchMember, "AVDoc");
        }
    }

private:
    bool m_open = false;
};

// ---- Forms objects ---------------------------------------------------------

struct FieldState {
    std::string name;
    std::string value;
    bool refusesValues = false;
    std::string font = "Helv";
    int16_t size = 0;
};

class Field final : public com::server::ComObject<Field, pdfauto::IField> {
public:
    explicit Field(std::shared_ptr<FieldState> state) : m_state(std::move(state)) {}

    HRESULT get_Name(std::string* name) override {
        return get("Name", [&] { *name = m_state->name; });
    }
    HRESULT get_Value(std::string* value) override {
        return get("Value", [&] { *value = m_state->value; });
    }
    HRESULT put_Value(const std::string& value) override {
        record(prefix() + "Value=" + value + (m_state->refusesValues ? " !refused" : ""));
        return com::guard([&] {
            if (m_state->refusesValues)
                platform::raise(platform::ErrInvalidArgument, "AFormAut.Field", "The field refuses the value " + value);
            m_state->value = value;
        });
    }
    HRESULT get_TextFont(std::string* font) override {
        return get("TextFont", [&] { *font = m_state->font; });
    }
    HRESULT put_TextFont(const std::string& font) override {
        record(prefix() + "TextFont=" + font);
        m_state->font = font;
        return com::S_OK;
    }
    HRESULT get_TextSize(int16_t* size) override {
        return get("TextSize", [&] { *size = m_state->size; });
    }
    HRESULT put_TextSize(int16_t size) override {
        record(prefix() + "TextSize=" + std::to_string(size));
        m_state->size = size;
        return com::S_OK;
    }
    HRESULT get_Type(std::string* type) override {
        return get("Type", [&] { *type = "text"; });
    }

    static const com::server::DispatchTable<Field>& dispatchTable() {
        using namespace com::server;
        static const DispatchTable<Field> table{
            propGet("Name", &pdfauto::IField::get_Name),
            propGet("Value", &pdfauto::IField::get_Value).id(com::DISPID_VALUE),
            propPut("Value", &pdfauto::IField::put_Value).id(com::DISPID_VALUE),
            propGet("TextFont", &pdfauto::IField::get_TextFont),
            propPut("TextFont", &pdfauto::IField::put_TextFont),
            propGet("TextSize", &pdfauto::IField::get_TextSize),
            propPut("TextSize", &pdfauto::IField::put_TextSize),
            propGet("Type", &pdfauto::IField::get_Type),
        };
        return table;
    }

private:
    std::string prefix() const { return "Field[" + m_state->name + "]."; }
    template <class Body>
    HRESULT get(const char* what, Body&& body) {
        record(prefix() + what);
        return com::guard(std::forward<Body>(body));
    }

    std::shared_ptr<FieldState> m_state;
};

// The fields of "the document in front", as the fields file lists them; with
// no fields file every name asked for exists.
class Fields final : public com::server::ComObject<Fields, pdfauto::IFields> {
public:
    Fields() {
        std::ifstream in(folder() / "RecordingAcrobat.fields", std::ios::binary);
        m_fixed = static_cast<bool>(in);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            auto state = std::make_shared<FieldState>();
            if (line.front() == '!') {
                state->refusesValues = true;
                line.erase(0, 1);
            }
            const auto eq = line.find('=');
            state->name = line.substr(0, eq);
            if (eq != std::string::npos) state->value = line.substr(eq + 1);
            m_fields.push_back(state);
        }
    }

    HRESULT get_Item(const std::string& name, pdfauto::IField** field) override {
        record("Fields.Item(" + name + ")");
        return com::guard([&] {
            auto state = find(name);
            if (!state && !m_fixed) state = append(name);
            if (!state) platform::raise(platform::ErrSubscript, "AFormAut.Fields", "No field named " + name);
            *field = com::server::make<Field>(state)->ptr<pdfauto::IField>().detach();
        });
    }
    HRESULT get_Count(int32_t* count) override {
        record("Fields.Count");
        *count = static_cast<int32_t>(m_fields.size());
        return com::S_OK;
    }
    HRESULT get__NewEnum(com::IUnknown** enumerator) override {
        record("Fields.NewEnum");
        return com::guard([&] {
            std::vector<Variant> items;
            for (const auto& f : m_fields) items.emplace_back(com::server::make<Field>(f)->ptr<com::IDispatch>());
            *enumerator = com::server::VariantEnumerator::create(std::move(items)).detach();
        });
    }
    HRESULT Add(const std::string& name, const std::string& type, int16_t page, float left, float top, float right,
                float bottom, pdfauto::IField** field) override {
        record("Fields.Add(" +
               describe(std::vector<Variant>{Variant(name), Variant(type), Variant(page), Variant(left), Variant(top),
                                             Variant(right), Variant(bottom)}) +
               ")");
        return com::guard([&] {
            auto state = find(name);
            if (!state) state = append(name);
            *field = com::server::make<Field>(state)->ptr<pdfauto::IField>().detach();
        });
    }

    static const com::server::DispatchTable<Fields>& dispatchTable() {
        using namespace com::server;
        static const DispatchTable<Fields> table{
            propGet("Item", &pdfauto::IFields::get_Item).id(com::DISPID_VALUE),
            propGet("Count", &pdfauto::IFields::get_Count),
            propGet("_NewEnum", &pdfauto::IFields::get__NewEnum).id(com::DISPID_NEWENUM),
            method("Add", &pdfauto::IFields::Add),
        };
        return table;
    }

private:
    std::shared_ptr<FieldState> find(const std::string& name) const {
        for (const auto& f : m_fields)
            if (f->name == name) return f;
        return nullptr;
    }
    std::shared_ptr<FieldState> append(const std::string& name) {
        auto state = std::make_shared<FieldState>();
        state->name = name;
        m_fields.push_back(state);
        return state;
    }

    bool m_fixed = false;
    std::vector<std::shared_ptr<FieldState>> m_fields;
};

class FormApp final : public com::server::ComObject<FormApp, pdfauto::IAFormApp> {
public:
    FormApp() { record("new AFormAut.App"); }
    ~FormApp() override { record("delete AFormAut.App"); }

    HRESULT get_Fields(com::IDispatch** fields) override {
        record("FormApp.Fields");
        return com::guard([&] { *fields = com::server::make<Fields>()->ptr<com::IDispatch>().detach(); });
    }

    static const com::server::DispatchTable<FormApp>& dispatchTable() {
        using namespace com::server;
        static const DispatchTable<FormApp> table{propGet("Fields", &pdfauto::IAFormApp::get_Fields)};
        return table;
    }
};

template <class Impl>
HRESULT newLateBound(const com::Guid& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    HRESULT hr = com::S_OK;
    const HRESULT status = com::guard([&] {
        com::ComPtr<Impl> made(new Impl());
        hr = made->QueryInterface(iid, object);
    });
    return com::failed(status) ? status : hr;
}

const com::ServerModule& module() {
    static const com::ServerModule m{
        LIBID_RecordingAcrobat,
        "RecordingAcrobat",
        "1.0",
        {
            {CLSID_App, "App", pdfauto::ProgIdApp, true, {}, &newLateBound<App>},
            {CLSID_AVDoc,
             "AVDoc",
             pdfauto::ProgIdAVDoc,
             true,
             {{pdfauto::IID_CAcroAVDoc, "CAcroAVDoc"}},
             &newLateBound<AVDoc>},
            {CLSID_FormApp,
             "FormApp",
             pdfauto::ProgIdFormApp,
             true,
             {{pdfauto::IID_IAFormApp, "IAFormApp"}},
             &com::server::newInstance<FormApp>},
            {CLSID_PDDoc, "PDDoc", "", false, {{pdfauto::IID_CAcroPDDoc, "CAcroPDDoc"}}, nullptr},
            {CLSID_PDPage, "PDPage", "", false, {{pdfauto::IID_CAcroPDPage, "CAcroPDPage"}}, nullptr},
            {CLSID_Fields, "Fields", "", false, {{pdfauto::IID_IFields, "IFields"}}, nullptr},
            {CLSID_Field, "Field", "", false, {{pdfauto::IID_IField, "IField"}}, nullptr},
        }};
    return m;
}

}  // namespace recording

COM_DEFINE_SERVER_ENTRY_POINTS(recording::module())
