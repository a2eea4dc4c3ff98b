// The T-SQL scripter: a pure function of a catalogue model and the transfer settings. No I/O.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sqldmo/model/Catalog.h"

namespace sqldmo::script {

// ScriptType bits.
namespace flags {
inline constexpr std::int32_t Drops = 0x00000001;
inline constexpr std::int32_t ObjectPermissions = 0x00000002;
inline constexpr std::int32_t PrimaryObject = 0x00000004;
inline constexpr std::int32_t ClusteredIndexes = 0x00000008;
inline constexpr std::int32_t Triggers = 0x00000010;
inline constexpr std::int32_t Bindings = 0x00000080;
inline constexpr std::int32_t NonClusteredIndexes = 0x00002000;
inline constexpr std::int32_t DRIIndexes = 0x00010000;
inline constexpr std::int32_t IncludeHeaders = 0x00020000;
inline constexpr std::int32_t OwnerQualify = 0x00040000;
inline constexpr std::int32_t DRI_PrimaryKey = 0x10000000;
inline constexpr std::int32_t DRI_Unique = 0x01000000;   // with the three below: DRI_AllConstraints 0x1F000000
inline constexpr std::int32_t DRI_Checks = 0x02000000;
inline constexpr std::int32_t DRI_Defaults = 0x04000000;
inline constexpr std::int32_t DRI_ForeignKeys = 0x08000000;
inline constexpr std::int32_t DRI_AllConstraints = 0x1F000000;
inline constexpr std::int32_t DRIWithNoCheck = 0x20000000;
inline constexpr std::int32_t Indexes = 0x00012008;
}  // namespace flags

// Script2Type bits.
namespace flags2 {
inline constexpr std::int32_t FullTextIndex = 0x00080000;
inline constexpr std::int32_t ExtendedProperty = 0x00400000;
inline constexpr std::int32_t Only70 = 0x01000000;
}  // namespace flags2

struct TransferObject {
    std::string name;
    model::ObjectType type = model::ObjectType::UserTable;
    std::string owner;
};

struct TransferSettings {
    std::vector<TransferObject> objects;  // in the order they were added (duplicates kept)
    bool copySchema = false;
    std::int32_t copyData = 0;
    std::int32_t scriptType = 0;
    std::int32_t script2Type = 0;
    bool includeDependencies = false;
    bool includeUsers = false;
    bool includeLogins = false;
};

// Receives progress while a script is built: one status message per object and a percent
// complete that rises to 100.
class ScriptProgress {
public:
    virtual ~ScriptProgress() = default;
    virtual void statusMessage(std::string_view message) = 0;
    virtual void percentComplete(std::string_view message, std::int32_t percent) = 0;
};

struct ScriptOptions {
    // Date and time text written into header comments ("Script Date: <date> <time>"); the
    // caller formats them so that the scripter stays a pure function.
    std::string scriptDate;
    std::string scriptTime;
    // Line break written between lines ("\r\n": the script runs on Windows tools too).
    std::string newline = "\r\n";
};

// Scripts everything the settings hand over. A script type of 0 gives an empty script.
// Throws sqldmo::Error (NotFound) naming an object that the database does not have.
std::string scriptTransfer(const model::Server& server, const model::Database& database,
                           const TransferSettings& settings, const ScriptOptions& options,
                           ScriptProgress* progress);

}  // namespace sqldmo::script
