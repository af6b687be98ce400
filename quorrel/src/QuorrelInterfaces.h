#pragma once
// The interface ids that go with Quorrel's interfaces and with the forms
// interfaces it queries, for the component runtime's server side.

#include "pdfauto/Acrobat.h"
#include "platform/com/InterfaceId.h"
#include "quorrel/Quorrel.h"

COM_INTERFACE_ID(quorrel::ICPdfFormFiller, quorrel::IID_CPdfFormFiller)
COM_INTERFACE_ID(quorrel::ICAdobeFormHandler, quorrel::IID_CAdobeFormHandler)
COM_INTERFACE_ID(quorrel::ICAdobeFields, quorrel::IID_CAdobeFields)
COM_INTERFACE_ID(quorrel::ICAdobeField, quorrel::IID_CAdobeField)
