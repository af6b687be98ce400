#pragma once
// The facade a client creates: four paths and texts, then FillForm fills the
// PDF's form fields from the first record of the data file through the
// mapping file and saves the PDF in place.

#include <string>

#include "CAdobeFields.h"
#include "QuorrelInterfaces.h"
#include "platform/com/Server.h"

namespace quorrel {

class __attribute__((visibility("hidden"))) CPdfFormFiller final
    : public com::server::ComObject<CPdfFormFiller, ICPdfFormFiller> {
public:
    const std::string& PdfFormFile() const { return m_PdfFormFile; }
    void setPdfFormFile(const std::string& value) { m_PdfFormFile = value; }
    const std::string& DataFile() const { return m_DataFile; }
    void setDataFile(const std::string& value) { m_DataFile = value; }
    const std::string& DataFileDelimiter() const { return m_DataFileDelimiter; }
    void setDataFileDelimiter(const std::string& value) { m_DataFileDelimiter = value; }
    const std::string& MappingFile() const { return m_MappingFile; }
    void setMappingFile(const std::string& value) { m_MappingFile = value; }

    // Raises the first failure unchanged: the readers' and the form
    // handler's error 53, or the automation's own error.
    void fillForm();
    // The collection of the last fill (empty before the first).
    const com::ComPtr<CAdobeFields>& fields() const { return m_fields; }

    // ICPdfFormFiller
    com::HRESULT put_PdfFormFile(const std::string& value) override;
    com::HRESULT get_PdfFormFile(std::string* value) override;
    com::HRESULT put_DataFile(const std::string& value) override;
    com::HRESULT get_DataFile(std::string* value) override;
    com::HRESULT put_DataFileDelimiter(const std::string& value) override;
    com::HRESULT get_DataFileDelimiter(std::string* value) override;
    com::HRESULT put_MappingFile(const std::string& value) override;
    com::HRESULT get_MappingFile(std::string* value) override;
    com::HRESULT FillForm() override;

    static const com::server::DispatchTable<CPdfFormFiller>& dispatchTable();

private:
    // Mapping first, then the data record; both are read completely before
    // any automation object exists, so a bad text file leaves the PDF alone.
    void LoadFieldValues();

    std::string m_PdfFormFile;
    std::string m_DataFile;
    std::string m_DataFileDelimiter;
    std::string m_MappingFile;
    com::ComPtr<CAdobeFields> m_fields;
};

}  // namespace quorrel
