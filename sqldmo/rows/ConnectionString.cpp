// Parsing and quoting of OLE DB connection strings.
#include "sqldmo/rows/ConnectionString.h"

#include <unordered_map>

#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"

namespace sqldmo {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

[[noreturn]] void malformed(std::size_t position, const std::string& why) {
    throw Error(errors::InvalidArgument, "The connection string is not valid at character " +
                                             std::to_string(position + 1) + ": " + why + ".");
}

}  // namespace

ConnectionString ConnectionString::parse(std::string_view text) {
    ConnectionString cs;
    // Position of each key (folded) in entries_: a long string of distinct keys stays linear.
    std::unordered_map<std::string, std::size_t> positions;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        // Key: up to the first single "="; "==" is an "=" inside the key.
        while (i < n && (blank(text[i]) || text[i] == ';')) ++i;
        if (i >= n) break;
        const std::size_t keyStart = i;
        std::string key;
        for (;;) {
            if (i >= n || text[i] == ';') malformed(keyStart, "the key '" + std::string(trim(key)) + "' has no '='");
            if (text[i] == '=') {
                if (i + 1 < n && text[i + 1] == '=') {
                    key += '=';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            key += text[i++];
        }
        const std::string trimmedKey(trim(key));
        if (trimmedKey.empty()) malformed(keyStart, "a value has no key");

        // Value: quoted, or everything up to the next ";".
        while (i < n && blank(text[i])) ++i;
        std::string value;
        if (i < n && (text[i] == '"' || text[i] == '\'')) {
            const char quote = text[i];
            const std::size_t quoteStart = i++;
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed) malformed(quoteStart, "the value of '" + trimmedKey + "' has no closing quote");
            while (i < n && blank(text[i])) ++i;
            if (i < n && text[i] != ';') malformed(i, "text follows the quoted value of '" + trimmedKey + "'");
        } else {
            const std::size_t start = i;
            while (i < n && text[i] != ';') ++i;
            value.assign(trim(text.substr(start, i - start)));
        }
        if (i < n) ++i;  // the ";"

        const auto [at, added] = positions.try_emplace(model::foldName(trimmedKey), cs.entries_.size());
        if (added) cs.entries_.push_back({trimmedKey, std::move(value)});
        else cs.entries_[at->second].value = std::move(value);
    }
    return cs;
}

std::optional<std::string> ConnectionString::value(std::string_view key) const {
    for (const auto& e : entries_)
        if (model::sameName(e.key, key)) return e.value;
    return std::nullopt;
}

std::string ConnectionString::valueOr(std::string_view key, std::string_view fallback) const {
    auto v = value(key);
    return v ? *v : std::string(fallback);
}

std::string quoteConnectionValue(std::string_view value) {
    bool needs = !value.empty() && (blank(value.front()) || blank(value.back()));
    for (char c : value)
        if (c == ';' || c == '=' || c == '"' || c == '\'' || c == '\r' || c == '\n') needs = true;
    if (!needs) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
    return out;
}

}  // namespace sqldmo
