// The option objects of a Scripter: plain records of public fields, a get and a put per field,
// no validation. Every field starts at zero (False, 0, empty).
#pragma once

#include <cstdint>
#include <string>

#include "component/ComError.h"
#include "component/KorvaInterface.h"

namespace korva::detail {

#define KORVA_FIELD(Type, Name)                                                                \
    Type Name{};                                                                               \
    HResult get_##Name(Type* value) override {                                                 \
        return guarded([&] { out(value) = Name; });                                            \
    }                                                                                          \
    HResult put_##Name(Type value) override {                                                  \
        return guarded([&] { Name = value; });                                                 \
    }

#define KORVA_TEXT_FIELD(Name)                                                                 \
    std::u16string Name;                                                                       \
    HResult get_##Name(std::u16string* value) override {                                       \
        return guarded([&] { out(value) = Name; });                                            \
    }                                                                                          \
    HResult put_##Name(const std::u16string& value) override {                                 \
        return guarded([&] { Name = value; });                                                 \
    }

class SettingsObject final : public ISettings {
public:
    KORVA_FIELD(std::int32_t, LoginTimeout)
    KORVA_FIELD(std::int32_t, QueryTimeout)
    KORVA_FIELD(std::int32_t, BlockingTimeout)
    KORVA_FIELD(std::int32_t, NetPacketSize)
};

class ConnectionObject final : public IConnection {
public:
    KORVA_TEXT_FIELD(ServerName)
    KORVA_FIELD(Bool16, WindowsAuthentication)
    KORVA_TEXT_FIELD(Username)
    KORVA_TEXT_FIELD(Password)
    KORVA_TEXT_FIELD(DatabaseName)
};

class TableOptionsObject final : public ITableOptions {
public:
    KORVA_FIELD(Bool16, ScriptSchema)
    KORVA_FIELD(Bool16, ScriptData)
};

class FormatOptionsObject final : public IFormatOptions {
public:
    KORVA_FIELD(Bool16, GenerateCreateCommand)
    KORVA_FIELD(Bool16, GenerateDropCommand)
    KORVA_FIELD(Bool16, ScriptDependentObjects)
    KORVA_FIELD(Bool16, IncludeHeaders)
    KORVA_FIELD(Bool16, IncludeExtendedProperties)
    KORVA_FIELD(Bool16, ScriptOnly70Compatible)
};

class AdvancedOptionsObject final : public IAdvancedOptions {
public:
    KORVA_FIELD(Bool16, ScriptUsersRoles)
    KORVA_FIELD(Bool16, ScriptLogins)
    KORVA_FIELD(Bool16, ScriptObjectPermissions)
    KORVA_FIELD(Bool16, ScriptTableIndexes)
    KORVA_FIELD(Bool16, ScriptTableFullTextIndexes)
    KORVA_FIELD(Bool16, ScriptTableTriggers)
    KORVA_FIELD(Bool16, ScriptTableConstraints)
    KORVA_FIELD(Bool16, ScriptTableIncludeColumnNames)
};

#undef KORVA_FIELD
#undef KORVA_TEXT_FIELD

}  // namespace korva::detail
