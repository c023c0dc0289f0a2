#include "Exception.h"

#include "App.h"

int CException::ReportError(UINT type, const char* defaultMessage) const {
    CString message;
    if (!GetErrorMessage(message)) message = defaultMessage;
    return AfxMessageBox(message, type);
}

bool CMemoryException::GetErrorMessage(CString& message) const {
    message = kAfxOutOfMemory;
    return true;
}

bool CLibraryException::GetErrorMessage(CString& message) const {
    message.Format(kAfxLibraryMissing, static_cast<const char*>(m_library));
    return true;
}

void AfxThrowMemoryException() {
    throw CMemoryException();
}
