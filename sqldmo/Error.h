// Errors of the management-object layer: a number and a description in SQL Server's style.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace sqldmo {

// Every failure of the layer. `number` follows the management layer's convention (a COM-style
// HRESULT such as 0x80045510 for "not found in collection", or the server's own message number
// for errors the server raised); `description` is the text a user sees, naming the object.
class Error : public std::runtime_error {
public:
    Error(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    std::int32_t number() const noexcept { return number_; }
    std::string description() const { return what(); }

private:
    std::int32_t number_;
};

// An error the server reported (an error token or a db-lib error): the server's own words plus
// where it came from.
class ServerError : public Error {
public:
    ServerError(std::int32_t number, const std::string& description, int severity = 16, int state = 1,
                std::string procedure = {}, int line = 0)
        : Error(number, description), severity_(severity), state_(state),
          procedure_(std::move(procedure)), line_(line) {}

    int severity() const noexcept { return severity_; }
    int state() const noexcept { return state_; }
    const std::string& procedure() const noexcept { return procedure_; }
    int line() const noexcept { return line_; }

private:
    int severity_;
    int state_;
    std::string procedure_;
    int line_;
};

// Error numbers the layer raises itself (the server's own numbers pass through unchanged).
namespace errors {
inline constexpr std::int32_t NotFound = static_cast<std::int32_t>(0x80045510u);       // object not in a collection
inline constexpr std::int32_t NotConnected = static_cast<std::int32_t>(0x80045001u);   // operation needs a connection
inline constexpr std::int32_t AlreadyConnected = static_cast<std::int32_t>(0x80045002u);
inline constexpr std::int32_t ConnectionFailed = static_cast<std::int32_t>(0x80044001u); // could not reach or log in
inline constexpr std::int32_t ConnectionBroken = static_cast<std::int32_t>(0x80044002u);
inline constexpr std::int32_t Timeout = static_cast<std::int32_t>(0x80044003u);
inline constexpr std::int32_t InvalidArgument = static_cast<std::int32_t>(0x80045003u);
inline constexpr std::int32_t SnapshotInvalid = static_cast<std::int32_t>(0x80045004u); // missing, damaged or foreign snapshot file
inline constexpr std::int32_t NotSupported = static_cast<std::int32_t>(0x80045005u);
inline constexpr std::int32_t FileWriteFailed = static_cast<std::int32_t>(0x80045006u); // a snapshot or script file could not be written
inline constexpr std::int32_t OutOfRange = static_cast<std::int32_t>(0x80045511u);      // collection index outside 1..Count
inline constexpr std::int32_t LoginFailed = 18456;  // SQL Server's "Login failed for user '...'."
}  // namespace errors

}  // namespace sqldmo
