// The entry sorter: kind order kept where dependencies allow, loops broken, never a failure.
#include <gtest/gtest.h>

#include <algorithm>

#include "sqldmo/script/Sorter.h"

using namespace sqldmo::script;

namespace {

Entry entry(Group g, std::uint32_t rank, std::vector<EntryId> deps = {}, bool lateBound = false) {
    Entry e;
    e.group = g;
    e.rank = rank;
    e.deps = std::move(deps);
    e.lateBound = lateBound;
    e.label = "e" + std::to_string(rank);
    return e;
}

}  // namespace

TEST(Sorter, KeepsKindOrderAndMovesOnlyWhatMustMove) {
    // 0: view v0, 1: table t1, 2: function f2 used by table t1, 3: table t3.
    std::vector<Entry> es{entry(Group::View, 0), entry(Group::Table, 1, {2}), entry(Group::Function, 2),
                          entry(Group::Table, 3)};
    auto r = sortEntries(es);
    EXPECT_EQ(r.order, (std::vector<EntryId>{3, 2, 1, 0}));
    EXPECT_TRUE(r.brokenLoops.empty());
}

TEST(Sorter, IgnoresUnknownAndSelfDependencies) {
    std::vector<Entry> es{entry(Group::Table, 0, {0, 99}), entry(Group::Table, 1)};
    auto r = sortEntries(es);
    EXPECT_EQ(r.order, (std::vector<EntryId>{0, 1}));
}

TEST(Sorter, BreaksLoopsAtLateBoundEntriesFirst) {
    // Two procedures calling each other, and a view in a loop with a trigger: a late-bound
    // entry is freed of its dependency and written first; the view is never freed.
    std::vector<Entry> es{entry(Group::Procedure, 0, {1}, true), entry(Group::Procedure, 1, {0}, true),
                          entry(Group::View, 2, {3}), entry(Group::Trigger, 3, {2}, true)};
    auto r = sortEntries(es);
    ASSERT_EQ(r.order.size(), 4u);
    auto at = [&](EntryId e) { return std::find(r.order.begin(), r.order.end(), e) - r.order.begin(); };
    EXPECT_LT(at(3), at(2));
    EXPECT_LT(at(0), at(1));  // the earlier procedure keeps its place
    EXPECT_TRUE(r.brokenLoops.empty());  // loops the fixers know are not reported
}

TEST(Sorter, SurvivesLoopsNoFixerKnows) {
    std::vector<Entry> es{entry(Group::View, 0, {2}), entry(Group::View, 1, {0}), entry(Group::View, 2, {1})};
    auto r = sortEntries(es);
    EXPECT_EQ(r.order.size(), 3u);
    EXPECT_EQ(r.brokenLoops.size(), 1u);
    EXPECT_EQ(sortEntries(es).order, r.order);
}
