// Dependency levels by strongly connected components (Tarjan's algorithm, iterative), so that
// cycles of any length are handled in one pass over the reachable part of the graph.
#include "sqldmo/objects/DependencyGraph.h"

#include <algorithm>
#include <limits>

#include "sqldmo/model/Names.h"

namespace sqldmo {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

std::string key(const std::string& owner, const std::string& name) {
    return model::foldName(owner) + '\n' + model::foldName(name);
}

}  // namespace

DependencyGraph::DependencyGraph(const model::Database& database) : database_(&database) {
    const auto add = [this](const model::SchemaObject& o, model::ObjectType type) {
        const std::size_t n = nodes_.size();
        nodes_.push_back({&o, type});
        byObject_.emplace(&o, n);
        if (o.id != 0) byId_.emplace(o.id, n);
        return n;
    };
    for (const auto& t : database.tables) {
        const auto n = add(t, t.systemObject ? model::ObjectType::SystemTable : model::ObjectType::UserTable);
        tables_.emplace(key(t.owner, t.name), n);
        for (const auto& tr : t.triggers) add(tr, model::ObjectType::Trigger);
    }
    for (const auto& v : database.views) {
        add(v, model::ObjectType::View);
        for (const auto& tr : v.triggers) add(tr, model::ObjectType::Trigger);
    }
    for (const auto& p : database.procedures) add(p, model::ObjectType::StoredProcedure);
    for (const auto& d : database.defaults) {
        const auto n = add(d, model::ObjectType::Default);
        defaults_.emplace(key(d.owner, d.name), n);
        defaults_.emplace(model::foldName(d.name), n);
    }
    for (const auto& r : database.rules) {
        const auto n = add(r, model::ObjectType::Rule);
        rules_.emplace(key(r.owner, r.name), n);
        rules_.emplace(model::foldName(r.name), n);
    }
    for (const auto& u : database.types) types_.emplace(model::foldName(u.name), add(u, model::ObjectType::UserDefinedDatatype));
    for (const auto& f : database.functions) add(f, model::ObjectType::UserDefinedFunction);
}

std::size_t DependencyGraph::nodeOf(const model::SchemaObject& object) const {
    const auto it = byObject_.find(&object);
    return it == byObject_.end() ? kNone : it->second;
}

std::vector<std::size_t> DependencyGraph::edges(std::size_t node) const {
    std::vector<std::size_t> out;
    const auto push = [&](std::size_t n) {
        if (n != kNone && n != node) out.push_back(n);
    };
    const auto find = [](const auto& map, const std::string& k) {
        const auto it = map.find(k);
        return it == map.end() ? kNone : it->second;
    };
    // A binding is written "owner.name" (or just "name").
    const auto bound = [&](const auto& map, const std::string& text) {
        if (text.empty()) return kNone;
        if (auto q = model::parseQualifiedName(text)) {
            const auto n = q->owner.empty() ? find(map, model::foldName(q->name)) : find(map, key(q->owner, q->name));
            if (n != kNone) return n;
        }
        return find(map, model::foldName(text));
    };

    const Node& self = nodes_[node];
    for (const auto id : self.object->dependsOn) {
        const auto it = byId_.find(id);
        if (it != byId_.end()) push(it->second);
    }
    if (self.type == model::ObjectType::UserTable || self.type == model::ObjectType::SystemTable) {
        const auto& table = static_cast<const model::Table&>(*self.object);
        for (const auto& fk : table.foreignKeys) {
            std::size_t target = kNone;
            if (fk.referencedTableId != 0) {
                const auto it = byId_.find(fk.referencedTableId);
                if (it != byId_.end() && (nodes_[it->second].type == model::ObjectType::UserTable ||
                                          nodes_[it->second].type == model::ObjectType::SystemTable))
                    target = it->second;
            }
            if (target == kNone) {
                target = find(tables_, key(fk.referencedOwner.empty() ? table.owner : fk.referencedOwner,
                                           fk.referencedTable));
            }
            push(target);
        }
        for (const auto& c : table.columns) {
            if (sqlTypeFromName(c.dataType) == SqlType::Unknown) push(find(types_, model::foldName(c.dataType)));
            push(bound(defaults_, c.boundDefault));
            push(bound(rules_, c.boundRule));
        }
    } else if (self.type == model::ObjectType::UserDefinedDatatype) {
        const auto& type = static_cast<const model::UserDefinedDatatype&>(*self.object);
        push(bound(defaults_, type.boundDefault));
        push(bound(rules_, type.boundRule));
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<DependencyRow> DependencyGraph::enumerate(const model::SchemaObject& root) const {
    const std::size_t start = nodeOf(root);
    if (start == kNone) return {};

    // Tarjan over the part of the graph reachable from root. Components come out in reverse
    // topological order: everything a component depends on is finished before it.
    struct Frame {
        std::size_t node;
        std::vector<std::size_t> next;
        std::size_t at = 0;
    };
    std::unordered_map<std::size_t, std::size_t> index, low, component;
    std::vector<std::size_t> stack;
    std::unordered_map<std::size_t, bool> onStack;
    std::vector<std::int32_t> componentLevel;
    std::vector<std::size_t> reached;
    std::size_t counter = 0;

    std::vector<Frame> frames;
    const auto enter = [&](std::size_t n) {
        index[n] = low[n] = counter++;
        stack.push_back(n);
        onStack[n] = true;
        reached.push_back(n);
        frames.push_back({n, edges(n), 0});
    };
    enter(start);
    while (!frames.empty()) {
        Frame& f = frames.back();
        if (f.at < f.next.size()) {
            const std::size_t m = f.next[f.at++];
            if (!index.count(m)) {
                enter(m);  // may reallocate frames: f is not used after this
            } else if (onStack[m]) {
                low[f.node] = std::min(low[f.node], index[m]);
            }
            continue;
        }
        const std::size_t n = f.node;
        if (low[n] == index[n]) {
            // n is the root of a component: pop it, then give it its level from the
            // components it depends on, all of which are finished.
            const std::size_t c = componentLevel.size();
            std::vector<std::size_t> members;
            for (;;) {
                const std::size_t m = stack.back();
                stack.pop_back();
                onStack[m] = false;
                component[m] = c;
                members.push_back(m);
                if (m == n) break;
            }
            std::int32_t level = 1;
            for (const auto m : members)
                for (const auto e : edges(m)) {
                    const auto it = component.find(e);
                    if (it != component.end() && it->second != c) level = std::max(level, componentLevel[it->second] + 1);
                }
            componentLevel.push_back(level);
        }
        frames.pop_back();
        if (!frames.empty()) {
            Frame& parent = frames.back();
            low[parent.node] = std::min(low[parent.node], low[n]);
        }
    }

    std::vector<DependencyRow> rows;
    for (const auto n : reached) {
        if (n == start) continue;
        const Node& node = nodes_[n];
        rows.push_back({node.type, node.object->name, node.object->owner, componentLevel[component[n]]});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const DependencyRow& a, const DependencyRow& b) {
        if (a.sequence != b.sequence) return a.sequence < b.sequence;
        const auto fa = model::foldName(a.name), fb = model::foldName(b.name);
        if (fa != fb) return fa < fb;
        if (a.owner != b.owner) return model::foldName(a.owner) < model::foldName(b.owner);
        return a.name < b.name;
    });
    return rows;
}

}  // namespace sqldmo
