// Further objects and table parts to script (section "Advanced" of a command file). Plain
// data; a new command file's values are set by TCmdFile.
#pragma once

namespace tavil {

struct TDBOtherOptions {
    bool ScriptUsersRoles = false;
    bool ScriptLogins = false;
    bool ScriptObjectPermissions = false;
    bool ScriptTableIndexes = false;
    bool ScriptTableFullTextIndexes = false;
    bool ScriptTableTriggers = false;
    bool ScriptTableConstraints = false;
    bool ScriptTableIncludeColumnNames = false;
};

}  // namespace tavil
