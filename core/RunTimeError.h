#pragma once

#include <stdexcept>
#include <string>

namespace Varnock {

// Failures travel as numbered run-time errors; only their number reaches the user.
enum ErrorNumber : int {
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscriptOutOfRange = 9,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrDeviceIO = 57,
    ErrInputPastEndOfFile = 62,
    ErrTooManyFiles = 67,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectDoesntSupportProperty = 438,
};

class RunTimeError : public std::runtime_error {
public:
    explicit RunTimeError(int Number);
    int Number() const noexcept { return ErrNumber; }

private:
    int ErrNumber;
};

// Short English description of an error number, for messages and the README.
const char* ErrorDescription(int Number) noexcept;

// What the user is shown for a failure: "Error number 53 occured".
std::string ErrorNumberText(int Number);

} // namespace Varnock
