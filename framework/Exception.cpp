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

void AfxThrowMemoryException() {
    throw CMemoryException();
}
