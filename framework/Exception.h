// Exceptions that leave a command handler; the framework catches and reports them.
#pragma once
#include <windows.h>
#include "String.h"

class CException {
public:
    virtual ~CException() = default;
    // The text to report, or false when the exception carries no text of its own.
    virtual bool GetErrorMessage(CString& message) const {
        (void)message;
        return false;
    }
    // Shows the exception's text, or the framework's text defaultMessage, through AfxMessageBox.
    int ReportError(UINT type, const char* defaultMessage) const;
};

// Thrown on purpose, as by a failed allocation of the framework; reported system-modal.
class CMemoryException : public CException {
public:
    bool GetErrorMessage(CString& message) const override;
};

[[noreturn]] void AfxThrowMemoryException();

// A system library that a command needs could not be loaded.
class CLibraryException : public CException {
public:
    explicit CLibraryException(const char* library) : m_library(library) {}
    bool GetErrorMessage(CString& message) const override;

    CString m_library;
};
