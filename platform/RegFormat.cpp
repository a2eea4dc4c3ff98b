// Reading and writing one hive in the `.reg` text format.
#include "platform/RegFormat.h"

#include <cstdio>

namespace tavil::platform {

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view trim(std::string_view s)
{
    s = trimLeft(s);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalsFolded(std::string_view a, std::string_view b) { return a.size() == b.size() && foldKeyName(a) == foldKeyName(b); }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses 1..8 hex digits making up the whole text.
std::optional<std::uint32_t> parseHex32(std::string_view s)
{
    if (s.empty() || s.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE bytes to UTF-8. Broken units (an odd last byte, lone surrogates) become U+FFFD and
// clear `ok`.
std::string utf16leToUtf8(std::string_view bytes, bool& ok)
{
    ok = true;
    std::string out;
    out.reserve(bytes.size() / 2);
    const auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
            ok = false;
        }
        appendUtf8(out, cp);
    }
    if (i < bytes.size()) {
        appendUtf8(out, 0xFFFD);
        ok = false;
    }
    return out;
}

// UTF-8 (already validated) to UTF-16LE bytes.
std::string utf8ToUtf16le(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    const auto put = [&](std::uint32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        std::uint32_t cp = *p;
        int extra = cp < 0x80 ? 0 : cp < 0xE0 ? 1 : cp < 0xF0 ? 2 : 3;
        if (extra) cp &= (0x3F >> extra);
        for (int i = 1; i <= extra && p + i < end; ++i) cp = (cp << 6) | (p[i] & 0x3F);
        p += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

// A quoted text starting at s[0] == '"'; "\\" and "\"" are the escapes, any other backslash is
// kept as it stands. Sets `rest` to what follows the closing quote.
std::optional<std::string> parseQuoted(std::string_view s, std::string_view& rest)
{
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            rest = s.substr(i + 1);
            return out;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

std::string quote(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 2);
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// "aa,bb, cc" (blanks allowed around bytes) to bytes.
std::optional<std::string> parseHexBytes(std::string_view list)
{
    std::string bytes;
    list = trim(list);
    if (list.empty()) return bytes;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        const std::string_view item = trim(list.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (item.empty() || item.size() > 2) return std::nullopt;
        const auto v = parseHex32(item);
        if (!v) return std::nullopt;
        bytes += static_cast<char>(*v);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return bytes;
}

// Hex data as the format writes it: "prefix" then the bytes; with `wrap`, lines are broken with
// "\" before 80 columns (the value starting at `column`) and go on indented by two blanks.
std::string formatHex(std::string_view prefix, std::string_view bytes, std::size_t column, bool wrap)
{
    static const char* digits = "0123456789abcdef";
    std::string out(prefix);
    column += prefix.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 0xF];
        column += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            ++column;
            if (wrap && column > 76) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

std::string formatData(const SettingsValue& v, std::size_t column)
{
    switch (v.type) {
    case SettingsType::Dword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v.dword));
        return buf;
    }
    case SettingsType::Raw:
        return v.text;
    case SettingsType::String:
        break;
    }
    bool plain = true;
    for (char c : v.text)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') plain = false;
    if (plain) return quote(v.text);
    std::string bytes = utf8ToUtf16le(v.text);
    bytes.append(2, '\0');
    return formatHex("hex(1):", bytes, column, true);
}

void formatKey(std::string& out, const SettingsKey& key, const std::string& path, bool isRoot)
{
    if (!isRoot || !key.values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const auto& [name, value] : key.values()) {
            const std::string left = name.empty() ? std::string("@") : quote(name);
            out += left;
            out += '=';
            out += formatData(value, left.size() + 1);
            out += '\n';
        }
        out += '\n';
    }
    for (const auto& child : key.children()) formatKey(out, *child, path + '\\' + child->name(), false);
}

class Parser {
public:
    Parser(std::string_view rootName, SettingsKey& root, RegParseResult& result)
        : rootName_(rootName), root_(root), result_(result) {}

    void run(std::string_view text)
    {
        // Lines are taken one at a time from the text, so that reading costs no memory per line.
        text_ = text;
        bool headerSeen = false;
        std::size_t lineNo = 0;
        std::string_view line;
        while (nextLine(line)) {
            ++lineNo;
            if (!isSoundLine(line)) {
                issue(lineNo, "binary data or text that is not UTF-8");
                continue;
            }
            line = trim(line);
            if (line.empty() || line.front() == ';') continue;
            if (!headerSeen) {
                headerSeen = true;
                if (line == kHeader5 || line == kHeader4) continue;
                issue(0, "the header line is missing");
            }
            if (line.front() == '[') {
                section(lineNo, line);
            } else if (line.front() == '"' || line.front() == '@') {
                // Hex data may go on over lines ending in "\".
                const std::size_t valueLine = lineNo;
                std::string joined;
                std::string_view full = line;
                const bool hex = isHexData(line);
                std::string_view next;
                std::size_t after = 0;
                while (hex && line.back() == '\\' && peekLine(next, after)) {
                    next = trim(next);
                    if (next.empty() || !isSoundLine(next)) break;
                    if (joined.empty()) joined.assign(line.substr(0, line.size() - 1));
                    else joined.pop_back();
                    joined += next;
                    full = joined;
                    line = next;
                    pos_ = after;
                    ++lineNo;
                }
                value(valueLine, full);
            } else {
                issue(lineNo, "not a key, value or comment");
            }
        }
        if (!headerSeen) issue(0, "the header line is missing");
    }

private:
    // A value line whose data is in one of the hex forms.
    static bool isHexData(std::string_view line)
    {
        std::string_view rest;
        if (line.front() == '@') rest = line.substr(1);
        else if (!parseQuoted(line, rest)) return false;
        rest = trimLeft(rest);
        if (rest.empty() || rest.front() != '=') return false;
        rest = trimLeft(rest.substr(1));
        return rest.size() >= 3 && equalsFolded(rest.substr(0, 3), "hex");
    }

    static bool isSoundLine(std::string_view line) { return line.find('\0') == std::string_view::npos && isValidUtf8(line); }

    void issue(std::size_t line, std::string_view what) { result_.add(line, what); }

    // The line at the read position without its line end (LF or CR LF), and where the line after
    // it starts; false at the end of the text.
    bool peekLine(std::string_view& line, std::size_t& after) const
    {
        if (pos_ > text_.size()) return false;
        std::size_t nl = text_.find('\n', pos_);
        if (nl == std::string_view::npos) nl = text_.size();
        line = text_.substr(pos_, nl - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        after = nl + 1;
        return true;
    }

    bool nextLine(std::string_view& line)
    {
        std::size_t after = 0;
        if (!peekLine(line, after)) return false;
        pos_ = after;
        return true;
    }

    void section(std::size_t lineNo, std::string_view line)
    {
        current_ = nullptr;
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || close == 0) {
            issue(lineNo, "a key without its closing \"]\"");
            return;
        }
        std::string_view path = line.substr(1, close - 1);
        const bool remove = !path.empty() && path.front() == '-';
        if (remove) path.remove_prefix(1);
        const std::size_t sep = path.find('\\');
        const std::string_view hive = path.substr(0, sep);
        if (!equalsFolded(hive, rootName_)) {
            issue(lineNo, "a key of another hive");
            return;
        }
        const auto parts = splitKeyPath(sep == std::string_view::npos ? std::string_view() : path.substr(sep));
        if (!parts) {
            issue(lineNo, "an invalid key name");
            return;
        }
        if (remove) {
            if (parts->empty()) {
                issue(lineNo, "the hive itself cannot be deleted");
                return;
            }
            std::vector<std::string> parent(parts->begin(), parts->end() - 1);
            if (SettingsKey* p = root_.find(parent)) p->removeChild(parts->back());
            return;
        }
        current_ = &root_.make(*parts);
    }

    void value(std::size_t lineNo, std::string_view line)
    {
        if (!current_) {
            issue(lineNo, "a value outside a valid key");
            return;
        }
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else {
            auto quoted = parseQuoted(line, rest);
            if (!quoted) {
                issue(lineNo, "a value name without its closing quote");
                return;
            }
            name = std::move(*quoted);
        }
        if (!isValidValueName(name)) {
            issue(lineNo, "an invalid value name");
            return;
        }
        rest = trimLeft(rest);
        if (rest.empty() || rest.front() != '=') {
            issue(lineNo, "a value without \"=\"");
            return;
        }
        rest = trim(rest.substr(1));
        auto data = parseData(rest);
        if (!data) {
            issue(lineNo, "unreadable value data");
            return;
        }
        if (data->first) current_->removeValue(name);
        else current_->setValue(name, std::move(data->second));
    }

    // (delete?, value)
    std::optional<std::pair<bool, SettingsValue>> parseData(std::string_view s)
    {
        if (s == "-") return std::pair{true, SettingsValue{}};
        if (!s.empty() && s.front() == '"') {
            std::string_view after;
            auto text = parseQuoted(s, after);
            if (!text || !trim(after).empty()) return std::nullopt;
            return std::pair{false, SettingsValue::string(std::move(*text))};
        }
        if (s.size() >= 6 && equalsFolded(s.substr(0, 6), "dword:")) {
            auto v = parseHex32(trim(s.substr(6)));
            if (!v) return std::nullopt;
            return std::pair{false, SettingsValue::number(*v)};
        }
        if (s.size() >= 3 && equalsFolded(s.substr(0, 3), "hex")) {
            s.remove_prefix(3);
            std::optional<std::uint32_t> type;  // none: REG_BINARY written as "hex:"
            if (!s.empty() && s.front() == '(') {
                const std::size_t close = s.find(')');
                if (close == std::string_view::npos) return std::nullopt;
                type = parseHex32(s.substr(1, close - 1));
                if (!type) return std::nullopt;
                s.remove_prefix(close + 1);
            }
            if (s.empty() || s.front() != ':') return std::nullopt;
            auto bytes = parseHexBytes(s.substr(1));
            if (!bytes) return std::nullopt;
            if (type && *type == 1) {  // REG_SZ
                bool ok = true;
                std::string text = utf16leToUtf8(*bytes, ok);
                if (!ok) return std::nullopt;
                if (!text.empty() && text.back() == '\0') text.pop_back();
                return std::pair{false, SettingsValue::string(std::move(text))};
            }
            if (type && *type == 4) {  // REG_DWORD, little-endian
                if (bytes->size() != 4) return std::nullopt;
                std::uint32_t v = 0;
                for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>((*bytes)[static_cast<std::size_t>(i)]);
                return std::pair{false, SettingsValue::number(v)};
            }
            char prefix[24];
            if (type) std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(*type));
            else std::snprintf(prefix, sizeof prefix, "hex:");
            return std::pair{false, SettingsValue::raw(formatHex(prefix, *bytes, 0, false))};
        }
        return std::nullopt;
    }

    std::string_view rootName_;
    SettingsKey& root_;
    RegParseResult& result_;
    SettingsKey* current_ = nullptr;
    std::string_view text_;
    std::size_t pos_ = 0;  // start of the next line
};

}  // namespace

RegParseResult parseRegText(std::string_view text, std::string_view rootName, SettingsKey& root)
{
    RegParseResult result;
    root.clear();
    std::string converted;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
        bool ok = true;
        converted = utf16leToUtf8(text.substr(2), ok);
        if (!ok) result.add(0, "broken UTF-16 text");
        text = converted;
    } else if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    Parser(rootName, root, result).run(text);
    return result;
}

std::string formatRegText(const SettingsKey& root, std::string_view rootName)
{
    std::string out(kHeader5);
    out += "\n\n";
    formatKey(out, root, std::string(rootName), true);
    return out;
}

}  // namespace tavil::platform
