// The classes PdfAutomation.so registers, under the program identifiers the
// program and Quorrel create them by.
#include "ServerObjects.h"

namespace pdfauto {

namespace {

const com::ServerModule& pdfAutomationModule() {
    using com::server::newInstance;
    static const com::ServerModule module{
        LIBID_PdfAutomation,
        "PdfAutomation",
        "1.0",
        {
            {CLSID_AcroApp, "AcroApp", ProgIdApp, true, {{IID_CAcroApp, "CAcroApp"}}, &newInstance<AcroApp>},
            {CLSID_AcroAVDoc,
             "AcroAVDoc",
             ProgIdAVDoc,
             true,
             {{IID_CAcroAVDoc, "CAcroAVDoc"}},
             &newInstance<AcroAVDoc>},
            {CLSID_AcroPDDoc, "AcroPDDoc", "", false, {{IID_CAcroPDDoc, "CAcroPDDoc"}}, nullptr},
            {CLSID_AcroPDPage, "AcroPDPage", "", false, {{IID_CAcroPDPage, "CAcroPDPage"}}, nullptr},
            {CLSID_AFormApp, "AFormApp", ProgIdFormApp, true, {{IID_IAFormApp, "IAFormApp"}}, &newInstance<AFormApp>},
            {CLSID_Fields, "Fields", "", false, {{IID_IFields, "IFields"}}, nullptr},
            {CLSID_Field, "Field", "", false, {{IID_IField, "IField"}}, nullptr},
        },
    };
    return module;
}

}  // namespace

}  // namespace pdfauto

COM_DEFINE_SERVER_ENTRY_POINTS(pdfauto::pdfAutomationModule())
