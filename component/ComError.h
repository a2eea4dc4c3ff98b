// Errors inside the component and how they cross its boundary: every member runs its body
// through `guarded`, which turns any exception into a failure status and the calling
// thread's error information (number, source, description).
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "component/KorvaInterface.h"

namespace korva::detail {

// Source of the errors the component raises outside generation.
inline constexpr const char* kComponentSource = "KORVA";
// Source of errors of the management layer that pass through unchanged.
inline constexpr const char* kPlatformSource = "sqldmo";

// An error with its number, source and description (UTF-8).
class ComError : public std::exception {
public:
    ComError(std::int32_t number, std::string source, std::string description)
        : number_(number), source_(std::move(source)), description_(std::move(description)) {}
    const char* what() const noexcept override { return description_.c_str(); }
    std::int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// The error of the exception in flight, as a ComError (sqldmo::Error keeps its number and
// description; out of memory and other exceptions get the matching status).
ComError currentError();

// Re-raises the exception in flight under `source`, keeping its number and description.
// Call only from a catch block.
[[noreturn]] void reraiseAs(const char* source);

// Records the error information of the calling thread and returns the failure status.
HResult fail(const ComError& error);
HResult fail(std::int32_t number, const char* source, const std::string& description);
// Takes the error information of the calling thread (for KorvaGetErrorInfo).
bool takeErrorInfo(ErrorInfo& info);
// Clears it (every member does at its start, as a successful call leaves none).
void clearErrorInfo() noexcept;

// Runs `body`; Ok, or the failure status with the error information set.
template <class Body>
HResult guarded(Body&& body) noexcept {
    clearErrorInfo();
    try {
        body();
        return status::Ok;
    } catch (...) {
        try {
            return fail(currentError());
        } catch (...) {
            return status::OutOfMemory;
        }
    }
}

// A null out-pointer: the status Automation gives for it.
[[noreturn]] void throwNullPointer();

template <class T>
T& out(T* pointer) {
    if (!pointer) throwNullPointer();
    return *pointer;
}

}  // namespace korva::detail
