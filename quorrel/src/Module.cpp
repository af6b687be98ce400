// Quorrel's registration: type library "Quorrel" 2.0, the two creatable
// classes, and the interfaces of the two that only the library makes.

#include "CAdobeFormHandler.h"
#include "CPdfFormFiller.h"

namespace quorrel {
namespace {

const com::ServerModule& module() {
    static const com::ServerModule m{
        LIBID_Quorrel,
        "Quorrel",
        "2.0",
        {
            {CLSID_CPdfFormFiller,
             "CPdfFormFiller",
             "Quorrel.CPdfFormFiller",
             true,
             {{IID_CPdfFormFiller, "_CPdfFormFiller"}},
             &com::server::newInstance<CPdfFormFiller>},
            {CLSID_CAdobeFormHandler,
             "CAdobeFormHandler",
             "Quorrel.CAdobeFormHandler",
             true,
             {{IID_CAdobeFormHandler, "_CAdobeFormHandler"}},
             &com::server::newInstance<CAdobeFormHandler>},
            {CLSID_CAdobeFields, "CAdobeFields", "", false, {{IID_CAdobeFields, "_CAdobeFields"}}, nullptr},
            {CLSID_CAdobeField, "CAdobeField", "", false, {{IID_CAdobeField, "_CAdobeField"}}, nullptr},
        }};
    return m;
}

}  // namespace
}  // namespace quorrel

COM_DEFINE_SERVER_ENTRY_POINTS(quorrel::module())
