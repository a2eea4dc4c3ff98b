// The sorter: kind order, then a topological sort that keeps that order wherever the
// dependencies allow (Kahn's algorithm always taking the earliest entry that is ready), with
// loop fixers. Linear in entries and dependencies, apart from the heap's logarithm.
#include "sqldmo/script/Sorter.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <queue>

namespace sqldmo::script {
namespace {

struct Graph {
    std::vector<std::uint32_t> depBegin;  // entry e's dependencies are edges depBegin[e] .. depBegin[e+1]
    std::vector<EntryId> depTarget;       // edge -> the entry depended on
    std::vector<EntryId> edgeOwner;       // edge -> the entry that depends
    std::vector<std::uint8_t> removed;    // edge left out to break a loop
    std::vector<std::uint32_t> succBegin; // entry d's dependents: succEdge[succBegin[d] .. succBegin[d+1]]
    std::vector<std::uint32_t> succEdge;
};

Graph buildGraph(const std::vector<Entry>& entries) {
    const std::size_t n = entries.size();
    Graph g;
    g.depBegin.assign(n + 1, 0);
    for (std::size_t e = 0; e < n; ++e) {
        std::uint32_t count = 0;
        for (EntryId d : entries[e].deps)
            if (d < n && d != e) ++count;
        g.depBegin[e + 1] = g.depBegin[e] + count;
    }
    const std::size_t m = g.depBegin[n];
    g.depTarget.resize(m);
    g.edgeOwner.resize(m);
    g.removed.assign(m, 0);
    std::vector<std::uint32_t> succCount(n + 1, 0);
    for (std::size_t e = 0; e < n; ++e) {
        std::uint32_t k = g.depBegin[e];
        for (EntryId d : entries[e].deps) {
            if (d >= n || d == e) continue;
            g.depTarget[k] = d;
            g.edgeOwner[k] = static_cast<EntryId>(e);
            ++succCount[d + 1];
            ++k;
        }
    }
    g.succBegin.assign(n + 1, 0);
    for (std::size_t d = 0; d < n; ++d) g.succBegin[d + 1] = g.succBegin[d] + succCount[d + 1];
    g.succEdge.resize(m);
    std::vector<std::uint32_t> fill(g.succBegin.begin(), g.succBegin.end() - 1);
    for (std::uint32_t k = 0; k < m; ++k) g.succEdge[fill[g.depTarget[k]]++] = k;
    return g;
}

std::string describe(const Entry& e) { return e.label.empty() ? e.header : e.label; }

}  // namespace

SortResult sortEntries(const std::vector<Entry>& entries) {
    const std::size_t n = entries.size();
    SortResult result;
    result.order.reserve(n);

    std::vector<EntryId> initial(n);
    std::iota(initial.begin(), initial.end(), EntryId{0});
    std::sort(initial.begin(), initial.end(), [&](EntryId a, EntryId b) {
        const Entry& x = entries[a];
        const Entry& y = entries[b];
        if (x.group != y.group) return x.group < y.group;
        if (x.rank != y.rank) return x.rank < y.rank;
        if (x.sub != y.sub) return x.sub < y.sub;
        return a < b;
    });
    std::vector<std::uint32_t> pos(n);
    for (std::uint32_t k = 0; k < n; ++k) pos[initial[k]] = k;

    Graph g = buildGraph(entries);
    std::vector<std::uint32_t> waiting(n);
    for (std::size_t e = 0; e < n; ++e) waiting[e] = g.depBegin[e + 1] - g.depBegin[e];

    std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> ready;
    for (std::size_t e = 0; e < n; ++e)
        if (waiting[e] == 0) ready.push(pos[e]);

    std::vector<std::uint8_t> done(n, 0);
    std::vector<std::uint32_t> stamp(n, 0);  // loop search: generation in which an entry was visited
    std::vector<std::uint32_t> step(n, 0);
    std::uint32_t generation = 0;
    std::size_t scan = 0;  // every entry before initial[scan] is written

    auto release = [&](std::uint32_t edge) {
        EntryId owner = g.edgeOwner[edge];
        if (--waiting[owner] == 0) ready.push(pos[owner]);
    };

    while (result.order.size() < n) {
        while (!ready.empty()) {
            EntryId e = initial[ready.top()];
            ready.pop();
            done[e] = 1;
            result.order.push_back(e);
            for (std::uint32_t s = g.succBegin[e]; s < g.succBegin[e + 1]; ++s) {
                std::uint32_t edge = g.succEdge[s];
                if (!g.removed[edge]) release(edge);
            }
        }
        if (result.order.size() == n) break;

        // Every entry left waits for another one left: walk from the earliest of them along
        // dependencies still open until an entry repeats; that stretch is a loop.
        while (done[initial[scan]]) ++scan;
        ++generation;
        std::vector<std::uint32_t> path;  // edges walked
        EntryId cur = initial[scan];
        std::size_t loopStart = 0;
        for (;;) {
            stamp[cur] = generation;
            step[cur] = static_cast<std::uint32_t>(path.size());
            std::uint32_t next = g.depBegin[cur + 1];
            for (std::uint32_t k = g.depBegin[cur]; k < g.depBegin[cur + 1]; ++k) {
                if (!g.removed[k] && !done[g.depTarget[k]]) { next = k; break; }
            }
            path.push_back(next);
            cur = g.depTarget[next];
            if (stamp[cur] == generation) { loopStart = step[cur]; break; }
        }

        // Fixers, first match wins. Both free the earliest entry of the loop in the kind order
        // that they may free: it is then written where it stands, and the rest follow it.
        auto earliest = [&](auto&& eligible) {
            std::uint32_t best = UINT32_MAX;
            for (std::size_t i = loopStart; i < path.size(); ++i) {
                std::uint32_t edge = path[i];
                if (!eligible(g.edgeOwner[edge])) continue;
                if (best == UINT32_MAX || pos[g.edgeOwner[edge]] < pos[g.edgeOwner[best]]) best = edge;
            }
            return best;
        };
        // breakLateBoundLoop: a procedure, trigger or multi-statement function resolves the
        // names it uses when it runs, so it can be created before what it calls (a procedure
        // calling itself through another, a trigger's procedure that touches the trigger's table).
        std::uint32_t edge = earliest([&](EntryId e) { return entries[e].lateBound; });
        // breakLoopAtEarliestEntry: a loop no fixer knows (only a damaged catalogue has one);
        // the script still comes out whole, and the loop is reported.
        if (edge == UINT32_MAX) {
            edge = earliest([](EntryId) { return true; });
            result.brokenLoops.push_back(describe(entries[g.edgeOwner[edge]]) + " is written before " +
                                         describe(entries[g.depTarget[edge]]) + ", which it uses");
        }
        g.removed[edge] = 1;
        release(edge);
    }
    return result;
}

}  // namespace sqldmo::script
