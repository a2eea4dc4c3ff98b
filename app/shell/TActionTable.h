// The main window's action table: name, caption, shortcut and hint of every command, declared
// once.
#pragma once

#include <QKeySequence>

namespace tavil {

struct TActionSpec {
    const char* name;
    const char* caption;
    const char* shortcut;  // in QKeySequence's portable text, empty for none
    const char* hint;      // empty for none
};

// Every action in list order. The menu actions (actFile ... actHelp) and the submenu actions
// are the menus' own actions.
extern const TActionSpec kActionTable[];
extern const int kActionCount;

}  // namespace tavil
