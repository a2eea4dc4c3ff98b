// The version information compiled into the program (its stand-in for a version resource).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavil::platform {

struct ProgramVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;
    std::uint16_t languageId = 1033;  // the build option TAVIL_LANGUAGE_ID
    std::string legalCopyright;       // empty when the build has none
};

// The build's version information; nothing when the build was made without it.
std::optional<ProgramVersion> compiledVersion();

}  // namespace tavil::platform
