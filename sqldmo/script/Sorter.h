// Orders script entries: first by group, rank and sub (the kind order), then a topological
// sort on their dependencies that moves entries as little as possible; loops are broken by
// small named fixers. The same entries always give the same order.
#pragma once

#include <string>
#include <vector>

#include "sqldmo/script/Entry.h"

namespace sqldmo::script {

struct SortResult {
    std::vector<EntryId> order;
    std::vector<std::string> brokenLoops;  // one text per dependency left out to break a loop no fixer knows
};

// Dependencies that name entries outside the vector are ignored. Never fails.
SortResult sortEntries(const std::vector<Entry>& entries);

}  // namespace sqldmo::script
