// Synthetic catalogues of any size for benchmarks: tables with a primary key, foreign keys to
// earlier tables, indexes and a trigger each, plus views and procedures over them. The same
// options always give the same model.
#pragma once

#include <memory>

#include "sqldmo/model/Catalog.h"

namespace bench {

struct SynthOptions {
    int tables = 10000;
    int columnsPerTable = 20;   // at least 3 (the key and the two references)
    int foreignKeysPerTable = 2;
    int indexesPerTable = 2;
    int triggersPerTable = 1;
    int views = 2000;
    int procedures = 2000;
};

// One database "Synth" owned by dbo; object ids from 1, unique.
std::shared_ptr<sqldmo::model::Database> makeSyntheticDatabase(const SynthOptions& options);
// A server "SYNTH" (version 8) with that database and one login.
sqldmo::model::Server makeSyntheticServer(const SynthOptions& options);

}  // namespace bench
