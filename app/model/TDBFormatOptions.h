// Shape of the script. Plain data; a new command file's values are set by TCmdFile.
#pragma once

namespace tavil {

struct TDBFormatOptions {
    bool GenerateCreateCommand = false;
    bool GenerateDropCommand = false;
    bool ScriptDependantObjects = false;
    bool IncludeHeaders = false;
    bool IncludeExtendedProperties = false;
    bool ScriptOnly70Compatible = false;
};

}  // namespace tavil
