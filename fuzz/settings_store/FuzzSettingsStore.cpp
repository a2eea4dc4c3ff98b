// Feeds arbitrary bytes to the settings file reader. Whatever it keeps must be written as a sound
// file that reads back to the same tree.
#include "platform/RegFormat.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavil::platform;
    constexpr std::string_view root = "HKEY_LOCAL_MACHINE";
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    SettingsKey first;
    parseRegText(text, root, first);
    const std::string written = formatRegText(first, root);

    SettingsKey second;
    if (parseRegText(written, root, second).damaged()) std::abort();
    if (formatRegText(second, root) != written) std::abort();
    return 0;
}
