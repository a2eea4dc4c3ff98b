// scriptTransfer: finds the objects handed over, plans them with what they need, lets the
// emitters describe every entry, sorts drops and creates, and prints them.
#include "sqldmo/script/Scripter.h"

#include "sqldmo/Error.h"
#include "sqldmo/script/CatalogIndex.h"
#include "sqldmo/script/Printer.h"
#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/ScriptBuilder.h"
#include "sqldmo/script/Sorter.h"

namespace sqldmo::script {
namespace {

struct KindInfo {
    ObjectKind kind;
    const char* collection;
};

bool kindOf(model::ObjectType type, KindInfo& out) {
    switch (type) {
        case model::ObjectType::UserTable: out = {ObjectKind::Table, "Tables"}; return true;
        case model::ObjectType::View: out = {ObjectKind::View, "Views"}; return true;
        case model::ObjectType::StoredProcedure: out = {ObjectKind::Procedure, "StoredProcedures"}; return true;
        case model::ObjectType::Default: out = {ObjectKind::Default, "Defaults"}; return true;
        case model::ObjectType::Rule: out = {ObjectKind::Rule, "Rules"}; return true;
        case model::ObjectType::UserDefinedDatatype: out = {ObjectKind::Type, "UserDefinedDatatypes"}; return true;
        case model::ObjectType::UserDefinedFunction: out = {ObjectKind::Function, "UserDefinedFunctions"}; return true;
        default: return false;
    }
}

// Splits "owner.name" or "[owner].[name]" ("]]" stands for "]" inside brackets) into its
// parts; false when the text is not one or two such parts.
bool splitQualified(std::string_view text, std::string& owner, std::string& name) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '[' && parts.back().empty()) {
            std::size_t j = i + 1;
            std::string part;
            for (; j < text.size(); ++j) {
                if (text[j] == ']') {
                    if (j + 1 < text.size() && text[j + 1] == ']') { part += ']'; ++j; continue; }
                    break;
                }
                part += text[j];
            }
            if (j >= text.size()) return false;
            parts.back() = part;
            i = j;
            if (i + 1 < text.size() && text[i + 1] != '.') return false;
        } else if (c == '.') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    if (parts.size() == 1) { owner.clear(); name = parts[0]; }
    else if (parts.size() == 2) { owner = parts[0]; name = parts[1]; }
    else return false;
    return !name.empty();
}

ObjectRef resolve(const CatalogIndex& index, const TransferObject& o) {
    KindInfo info{};
    if (!kindOf(o.type, info))
        throw Error(errors::InvalidArgument, "[SQL-DMO]The object type " + std::to_string(static_cast<int>(o.type)) +
                                                 " given for '" + o.name + "' is not one a transfer can script.");
    if (ObjectRef r = index.find(info.kind, o.owner, o.name)) return r;
    // A name given as "owner.name" or "[owner].[name]", or bracketed alone.
    std::string owner, name;
    if (splitQualified(o.name, owner, name)) {
        if (owner.empty()) owner = o.owner;
        if (ObjectRef r = index.find(info.kind, owner, name)) return r;
    }
    std::string shown = o.owner.empty() ? o.name : o.owner + "." + o.name;
    throw Error(errors::NotFound, "[SQL-DMO]The name '" + shown + "' was not found in the " + info.collection +
                                      " collection. If the name is a qualified name, use [] to separate various parts "
                                      "of the name, and try again.");
}

}  // namespace

std::string scriptTransfer(const model::Server& server, const model::Database& database, const TransferSettings& settings,
                           const ScriptOptions& options, ScriptProgress* progress) {
    CatalogIndex index(server, database);
    std::vector<ObjectRef> chosen;
    chosen.reserve(settings.objects.size());
    for (const auto& o : settings.objects) chosen.push_back(resolve(index, o));

    if (settings.scriptType == 0 || chosen.empty()) {
        if (progress) progress->percentComplete({}, 100);
        return {};
    }

    const Switches sw = Switches::decode(settings);
    ScriptBuilder builder(server, database, index, sw, options.newline);
    builder.plan(chosen);

    const std::size_t total = builder.planned().size();
    int lastPercent = -1;
    std::string message;
    builder.build([&](const PlannedObject& p, std::size_t i) {
        if (!progress) return;
        message = "Scripting ";
        message += ScriptBuilder::kindTitle(p.ref.kind);
        message += ' ';
        message += quote::qualified(p.ref.object->owner, p.ref.object->name, true);
        progress->statusMessage(message);
        // Describing the objects is most of the work; sorting and printing take the rest.
        int percent = static_cast<int>((i + 1) * 90 / total);
        if (percent != lastPercent) {
            lastPercent = percent;
            progress->percentComplete(message, percent);
        }
    });

    SortResult drops = sortEntries(builder.drops);
    SortResult creates = sortEntries(builder.creates);

    std::string out;
    std::size_t estimate = 0;
    for (const auto& e : builder.drops)
        for (const auto& b : e.batches) estimate += b.size() + 8;
    for (const auto& e : builder.creates)
        for (const auto& b : e.batches) estimate += b.size() + 8;
    out.reserve(estimate + estimate / 8 + 1024);

    PrintOptions print{sw.headers, options.scriptDate, options.scriptTime, options.newline};
    for (EntryId id : drops.order) printEntry(out, builder.drops[id], print);
    // A dependency loop that no fixer knew is reported where the creates begin.
    std::vector<std::string> loops = std::move(drops.brokenLoops);
    loops.insert(loops.end(), creates.brokenLoops.begin(), creates.brokenLoops.end());
    if (!loops.empty()) {
        for (const auto& l : loops) {
            out += "-- Dependency loop: ";
            out += quote::commentText(l);
            out += options.newline;
        }
        out += options.newline;
    }
    for (EntryId id : creates.order) printEntry(out, builder.creates[id], print);

    if (progress) progress->percentComplete(message, 100);
    return out;
}

}  // namespace sqldmo::script
