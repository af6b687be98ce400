#include "CPdfFormFiller.h"

#include "CAdobeFormHandler.h"
#include "CDelimitedFileHandler.h"
#include "CMappingFileHandler.h"

namespace quorrel {

namespace {

com::HRESULT store(std::string& member, const std::string& value) {
    return com::guard([&] { member = value; });
}

com::HRESULT load(const std::string& member, std::string* value) {
    if (!value) return com::E_POINTER;
    return com::guard([&] { *value = member; });
}

}  // namespace

void CPdfFormFiller::fillForm() {
    auto handler = com::server::make<CAdobeFormHandler>();
    LoadFieldValues();
    handler->fillFields(m_fields.get(), m_PdfFormFile);
}

void CPdfFormFiller::LoadFieldValues() {
    CMappingFileHandler mapping;
    CDelimitedFileHandler delimited;
    m_fields = com::server::make<CAdobeFields>();
    mapping.LoadMapping(m_MappingFile, *m_fields.get());
    delimited.setDelimiter(m_DataFileDelimiter);
    const std::string record = delimited.GetRecordFromFile(m_DataFile, 1);
    for (int32_t i = 1; i <= m_fields->count(); ++i) {
        const auto field = m_fields->item(com::Variant(i));
        field->setFieldValue(delimited.GetField(record, field->DataFileFieldIndex()));
    }
}

com::HRESULT CPdfFormFiller::put_PdfFormFile(const std::string& value) { return store(m_PdfFormFile, value); }
com::HRESULT CPdfFormFiller::get_PdfFormFile(std::string* value) { return load(m_PdfFormFile, value); }
com::HRESULT CPdfFormFiller::put_DataFile(const std::string& value) { return store(m_DataFile, value); }
com::HRESULT CPdfFormFiller::get_DataFile(std::string* value) { return load(m_DataFile, value); }
com::HRESULT CPdfFormFiller::put_DataFileDelimiter(const std::string& value) {
    return store(m_DataFileDelimiter, value);
}
com::HRESULT CPdfFormFiller::get_DataFileDelimiter(std::string* value) { return load(m_DataFileDelimiter, value); }
com::HRESULT CPdfFormFiller::put_MappingFile(const std::string& value) { return store(m_MappingFile, value); }
com::HRESULT CPdfFormFiller::get_MappingFile(std::string* value) { return load(m_MappingFile, value); }

com::HRESULT CPdfFormFiller::FillForm() {
    return com::guard([&] { fillForm(); });
}

const com::server::DispatchTable<CPdfFormFiller>& CPdfFormFiller::dispatchTable() {
    using namespace com::server;
    static const DispatchTable<CPdfFormFiller> table{
        propPut("PdfFormFile", &ICPdfFormFiller::put_PdfFormFile),
        propGet("PdfFormFile", &ICPdfFormFiller::get_PdfFormFile),
        propPut("DataFile", &ICPdfFormFiller::put_DataFile),
        propGet("DataFile", &ICPdfFormFiller::get_DataFile),
        propPut("DataFileDelimiter", &ICPdfFormFiller::put_DataFileDelimiter),
        propGet("DataFileDelimiter", &ICPdfFormFiller::get_DataFileDelimiter),
        propPut("MappingFile", &ICPdfFormFiller::put_MappingFile),
        propGet("MappingFile", &ICPdfFormFiller::get_MappingFile),
        method("FillForm", &ICPdfFormFiller::FillForm),
    };
    return table;
}

}  // namespace quorrel
