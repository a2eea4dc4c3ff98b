#include "sqldmo/script/LeftOut70.h"

#include <algorithm>

#include "sqldmo/script/CatalogIndex.h"
#include "sqldmo/script/Quoting.h"

namespace sqldmo::script {
namespace {

bool identifierStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '@' || c == '#' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool identifierPart(char c) { return identifierStart(c) || (c >= '0' && c <= '9') || c == '$'; }

struct Name {
    std::string folded;
    bool called = false;  // followed by "(": a function call
    bool plain = false;   // a word, neither [bracketed] nor "quoted"
    std::size_t start = 0, end = 0;  // where it stands in the text, delimiters included
};

// The names an expression holds: plain words and [bracketed] or "quoted" names, each part of a
// dotted name on its own. String literals and comments hold none.
std::vector<Name> namesIn(std::string_view text) {
    std::vector<Name> out;
    std::size_t from = 0;
    auto add = [&](std::string name, std::size_t end) {
        const std::size_t last = end;
        while (end < text.size() && (text[end] == ' ' || text[end] == '\t' || text[end] == '\r' || text[end] == '\n')) ++end;
        const bool plain = from < text.size() && text[from] != '[' && text[from] != '"';
        out.push_back({foldName(name), end < text.size() && text[end] == '(', plain, from, last});
    };
    std::size_t i = 0;
    auto delimited = [&](char close) {
        std::string name;
        for (++i; i < text.size(); ++i) {
            if (text[i] == close) {
                if (i + 1 < text.size() && text[i + 1] == close) {
                    name += close;
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            name += text[i];
        }
        return name;
    };
    while (i < text.size()) {
        const char c = text[i];
        from = i;
        if (c == '\'') {
            delimited('\'');
        } else if (c == '[') {
            std::string name = delimited(']');
            add(std::move(name), i);
        } else if (c == '"') {
            std::string name = delimited('"');
            add(std::move(name), i);
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            auto end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 2;
        } else if (identifierStart(c)) {
            std::size_t start = i;
            while (i < text.size() && identifierPart(text[i])) ++i;
            add(std::string(text.substr(start, i - start)), i);
        } else if (c >= '0' && c <= '9') {
            // A number (1e5, 0x1F) is no name, whatever letters follow its first digit.
            while (i < text.size() && identifierPart(text[i])) ++i;
        } else {
            ++i;
        }
    }
    return out;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool namesAny(const std::vector<Name>& names, const std::vector<std::string>& columns,
              const std::vector<std::string>& functions) {
    return std::any_of(names.begin(), names.end(), [&](const Name& n) {
        return n.called ? contains(functions, n.folded) : contains(columns, n.folded);
    });
}

bool onlyBlanksAndDot(std::string_view gap) {
    bool dot = false;
    for (char c : gap) {
        if (c == '.') {
            if (dot) return false;
            dot = true;
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return dot;
}

}  // namespace

std::string triggerTextFor70(std::string_view text) {
    const std::vector<Name> names = namesIn(text);
    std::size_t k = 0;
    while (k < names.size() && !(names[k].plain && names[k].folded == "on")) ++k;
    // The table's name after ON, its dotted parts included.
    std::size_t j = k + 1;
    while (j + 1 < names.size() && onlyBlanksAndDot(text.substr(names[j].end, names[j + 1].start - names[j].end))) ++j;
    ++j;
    if (j + 1 < names.size() && names[j].plain && names[j].folded == "with") j += 2;  // WITH ENCRYPTION
    if (j >= names.size() || !names[j].plain || names[j].folded != "after") return std::string(text);
    std::string out(text.substr(0, names[j].start));
    out += "FOR";
    out += text.substr(names[j].end);
    return out;
}

std::string_view typeMissingIn70(const model::Column& c) {
    std::string base = foldName(c.baseType.empty() ? c.dataType : c.baseType);
    if (base == "bigint") return "bigint";
    if (base == "sql_variant") return "sql_variant";
    return {};
}

LeftOutFor70::LeftOutFor70(const model::Table& table, const std::vector<const model::SchemaObject*>& functions)
    : active_(true), columnCount_(table.columns.size()) {
    for (const auto* f : functions) {
        if (!f) continue;
        functions_.push_back(foldName(f->name));
        functionTitles_.push_back(quote::commentText(quote::qualified(f->owner, f->name, true)));
    }
    for (const auto& c : table.columns)
        if (!typeMissingIn70(c).empty()) {
            columns_.push_back(foldName(c.name));
            columnNames_.push_back(c.name);
        }
    // Computed columns cannot use one another, so one pass over those of a missing type does.
    const std::vector<std::string> typed = columns_;
    for (const auto& c : table.columns) {
        if (!c.isComputed() || !typeMissingIn70(c).empty()) continue;
        if (namesAny(namesIn(c.computedText), typed, functions_)) {
            columns_.push_back(foldName(c.name));
            columnNames_.push_back(c.name);
        }
    }
}

LeftOutFor70 LeftOutFor70::of(const model::Table& table, const model::Database& database) {
    std::vector<const model::SchemaObject*> functions;
    for (model::ObjectId id : table.dependsOn)
        for (const auto& f : database.functions)
            if (f.id == id) functions.push_back(&f);
    return LeftOutFor70(table, functions);
}

bool LeftOutFor70::column(std::string_view name) const {
    return !columns_.empty() && contains(columns_, foldName(name));
}

bool LeftOutFor70::anyColumn(const std::vector<model::IndexColumn>& cs) const {
    return std::any_of(cs.begin(), cs.end(), [&](const auto& c) { return column(c.name); });
}

bool LeftOutFor70::anyColumn(const std::vector<std::string>& cs) const {
    return std::any_of(cs.begin(), cs.end(), [&](const auto& c) { return column(c); });
}

std::string LeftOutFor70::functionCalledBy(std::string_view expression) const {
    if (functions_.empty()) return {};
    for (const auto& n : namesIn(expression))
        for (std::size_t i = 0; n.called && i < functions_.size(); ++i)
            if (functions_[i] == n.folded) return functionTitles_[i];
    return {};
}

std::string LeftOutFor70::columnNamedIn(std::string_view text) const {
    if (columns_.empty()) return {};
    for (const auto& n : namesIn(text))
        for (std::size_t i = 0; !n.called && i < columns_.size(); ++i)
            if (columns_[i] == n.folded) return quote::commentText(quote::identifier(columnNames_[i]));
    return {};
}

bool LeftOutFor70::expression(std::string_view text) const {
    if (columns_.empty() && functions_.empty()) return false;
    return namesAny(namesIn(text), columns_, functions_);
}

bool LeftOutFor70::defaultOf(const model::Column& c) const {
    return !c.defaultConstraintText.empty() && (column(c.name) || !functionCalledBy(c.defaultConstraintText).empty());
}

bool LeftOutFor70::check(const model::CheckConstraint& k) const {
    return (!k.column.empty() && column(k.column)) || expression(k.text);
}

bool LeftOutFor70::foreignKey(const model::ForeignKey& key, const LeftOutFor70& target) const {
    return anyColumn(key.columns) || target.anyColumn(key.referencedColumns);
}

}  // namespace sqldmo::script
