// What to script of each table. Plain data; a new command file's values are set by TCmdFile.
#pragma once

namespace tavil {

struct TDBTableOptions {
    bool ScriptSchema = false;
    bool ScriptData = false;
};

}  // namespace tavil
