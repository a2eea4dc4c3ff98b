// The error information of the component's calls.
#include "component/ComError.h"

#include <new>
#include <optional>

#include "component/Text.h"
#include "sqldmo/Error.h"

namespace korva::detail {
namespace {

thread_local std::optional<ErrorInfo> tErrorInfo;

}  // namespace

ComError currentError() {
    try {
        throw;
    } catch (const ComError& e) {
        return e;
    } catch (const sqldmo::Error& e) {
        return ComError(e.number(), kPlatformSource, e.description());
    } catch (const std::bad_alloc&) {
        return ComError(status::OutOfMemory, kComponentSource, "Out of memory.");
    } catch (const std::exception& e) {
        return ComError(status::Fail, kComponentSource, e.what());
    } catch (...) {
        return ComError(status::Unexpected, kComponentSource, "Unexpected error.");
    }
}

void reraiseAs(const char* source) {
    ComError e = currentError();
    throw ComError(e.number(), source, e.description());
}

HResult fail(const ComError& error) {
    ErrorInfo info;
    info.Number = error.number();
    info.Source = toUtf16(error.source());
    info.Description = toUtf16(error.description());
    tErrorInfo = std::move(info);
    return statusOfNumber(error.number());
}

HResult fail(std::int32_t number, const char* source, const std::string& description) {
    return fail(ComError(number, source, description));
}

bool takeErrorInfo(ErrorInfo& info) {
    if (!tErrorInfo) return false;
    info = std::move(*tErrorInfo);
    tErrorInfo.reset();
    return true;
}

void clearErrorInfo() noexcept { tErrorInfo.reset(); }

void throwNullPointer() { throw ComError(status::Pointer, kComponentSource, "Invalid pointer."); }

}  // namespace korva::detail
