// A settings store of its own for each test: XDG_CONFIG_HOME points into a temporary folder.
#pragma once

#include "platform/SettingsStore.h"

#include <QTemporaryDir>
#include <cstdlib>

namespace tavil::test {

class TempStore {
public:
    TempStore()
    {
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()).constData(), 1);
        platform::SettingsStore::reopenAll();
    }
    ~TempStore()
    {
        ::unsetenv("XDG_CONFIG_HOME");
        platform::SettingsStore::reopenAll();
    }
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

}  // namespace tavil::test
