// The version information compiled into the program.
#include "platform/ProgramVersion.h"

#include "VersionInfo.h"

namespace tavil::platform {

std::optional<ProgramVersion> compiledVersion()
{
#if defined(TAVIL_HAS_VERSION_INFO) && TAVIL_HAS_VERSION_INFO
    ProgramVersion v;
    v.major = TAVIL_VERSION_MAJOR;
    v.minor = TAVIL_VERSION_MINOR;
    v.release = TAVIL_VERSION_PATCH;
    v.build = TAVIL_VERSION_BUILD + 0;
    v.languageId = TAVIL_LANGUAGE_ID;
#ifdef TAVIL_LEGAL_COPYRIGHT
    v.legalCopyright = TAVIL_LEGAL_COPYRIGHT;
#endif
    return v;
#else
    return std::nullopt;
#endif
}

}  // namespace tavil::platform
