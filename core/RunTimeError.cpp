#include "core/RunTimeError.h"

namespace Varnock {

RunTimeError::RunTimeError(int Number)
    : std::runtime_error(ErrorDescription(Number)), ErrNumber(Number) {}

const char* ErrorDescription(int Number) noexcept {
    switch (Number) {
    case ErrOverflow:
        return "Overflow";
    case ErrOutOfMemory:
        return "Out of memory";
    case ErrSubscriptOutOfRange:
        return "Subscript out of range";
    case ErrDivisionByZero:
        return "Division by zero";
    case ErrTypeMismatch:
        return "Type mismatch";
    case ErrFileNotFound:
        return "File not found";
    case ErrDeviceIO:
        return "Device I/O error";
    case ErrInputPastEndOfFile:
        return "Input past end of file";
    case ErrTooManyFiles:
        return "Too many files";
    case ErrPermissionDenied:
        return "Permission denied";
    case ErrPathFileAccess:
        return "Path/File access error";
    case ErrPathNotFound:
        return "Path not found";
    case ErrObjectDoesntSupportProperty:
        return "Object doesn't support this property or method";
    default:
        return "Application-defined or object-defined error";
    }
}

std::string ErrorNumberText(int Number) {
    return "Error number " + std::to_string(Number) + " occured";
}

} // namespace Varnock
