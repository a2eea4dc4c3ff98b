// Feeds arbitrary bytes to the command-file reader. A file is either rejected with an
// EQMException or loaded; a loaded file writes without complaint, and what it writes reads
// back to the same bytes.
#include "app/model/TCmdFile.h"
#include "app/support/EQMException.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QCollator::defaultCompare\n";  // Qt's per-thread collator, never freed
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tavil::TCmdFile first;
    try {
        first.LoadFromBytes(bytes, QStringLiteral("fuzz.qvx"));
    } catch (const tavil::EQMException&) {
        return 0;
    }
    const QByteArray written = first.SaveToBytes();  // must not throw: read values hold no line break
    tavil::TCmdFile second;
    second.LoadFromBytes(written, QStringLiteral("fuzz.qvx"));
    if (second.SaveToBytes() != written)
        std::abort();
    return 0;
}
