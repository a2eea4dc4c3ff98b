// OLE DB connection strings: "Key=Value;Key=Value". Parsing follows ADO's rules: keys are
// case-insensitive and trimmed, "==" inside a key stands for "=", values are trimmed and may be
// quoted with double or single quotes (the quote doubled inside); a later key replaces an earlier
// one. quoteConnectionValue is the writing side: it quotes a value whenever the value would
// otherwise change the string's meaning.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sqldmo {

class ConnectionString {
public:
    struct Entry {
        std::string key;    // as written (trimmed)
        std::string value;  // unquoted
    };

    // Throws Error (InvalidArgument) naming the position of the fault: an unclosed quote, text
    // after a closing quote, a key without "=".
    static ConnectionString parse(std::string_view text);

    // The value of a key, letter case of the key ignored; nullopt when the key is absent.
    std::optional<std::string> value(std::string_view key) const;
    std::string valueOr(std::string_view key, std::string_view fallback) const;
    const std::vector<Entry>& entries() const noexcept { return entries_; }

private:
    std::vector<Entry> entries_;  // one per key, in the order keys first appear
};

// The value as it must be written after "Key=": unchanged when that is safe, otherwise in double
// quotes with every double quote doubled (ADO's rule). Quoted when it holds ";", "=", a quote, a
// line break, or begins or ends with a blank.
std::string quoteConnectionValue(std::string_view value);

}  // namespace sqldmo
