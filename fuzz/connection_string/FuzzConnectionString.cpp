// Feeds arbitrary bytes to the connection-string parser, and checks the writing side against it:
//  - the bytes as a string: parse either throws sqldmo::Error or gives entries that, written
//    back ("Key=" + quoted value, "=" in a key doubled), parse to the same entries;
//  - the bytes as a recipe for a key/value list: the string built from it with
//    quoteConnectionValue, with blanks and empty pairs strewn between the pairs, parses back to
//    the list (a later key, in any letter case, replacing the value of an earlier one).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/rows/ConnectionString.h"

namespace {

using sqldmo::ConnectionString;
using Entries = std::vector<ConnectionString::Entry>;

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string writtenKey(std::string_view key) {
    std::string out;
    for (char c : key) {
        out += c;
        if (c == '=') out += '=';
    }
    return out;
}

std::string printable(std::string_view s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        }
    }
    return out;
}

[[noreturn]] void fail(const char* what, std::string_view text, const Entries& expected, const Entries* actual) {
    std::fprintf(stderr, "%s\n  string: \"%s\"\n  expected:\n", what, printable(text).c_str());
    for (const auto& e : expected)
        std::fprintf(stderr, "    [%s] = [%s]\n", printable(e.key).c_str(), printable(e.value).c_str());
    if (actual) {
        std::fprintf(stderr, "  parsed:\n");
        for (const auto& e : *actual)
            std::fprintf(stderr, "    [%s] = [%s]\n", printable(e.key).c_str(), printable(e.value).c_str());
    }
    std::abort();
}

bool same(const Entries& a, const Entries& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].key != b[i].key || a[i].value != b[i].value) return false;
    return true;
}

void expectParsesTo(const std::string& text, const Entries& expected) {
    ConnectionString parsed;
    try {
        parsed = ConnectionString::parse(text);
    } catch (const sqldmo::Error& e) {
        std::fprintf(stderr, "parse: %s\n", e.what());
        fail("a written string is refused", text, expected, nullptr);
    }
    if (!same(parsed.entries(), expected)) fail("a written string parses to other entries", text, expected, &parsed.entries());
    // value() searches the list: a sample of keys keeps long inputs linear.
    for (std::size_t i = 0; i < expected.size(); i += 1 + expected.size() / 16) {
        const auto& e = expected[i];
        const auto v = parsed.value(e.key);
        if (!v || *v != e.value) fail("value() does not find a key", text, expected, &parsed.entries());
    }
}

std::string blanks(FuzzedDataProvider& in) {
    static constexpr char kBlanks[] = {' ', '\t', '\r', '\n'};
    std::string out;
    for (auto n = in.ConsumeIntegralInRange<int>(0, 2); n > 0; --n) out += kBlanks[in.ConsumeIntegralInRange<int>(0, 3)];
    return out;
}

void roundTripOfParsedEntries(std::string_view text) {
    ConnectionString first;
    try {
        first = ConnectionString::parse(text);
    } catch (const sqldmo::Error&) {
        return;
    }
    std::string written;
    for (const auto& e : first.entries()) {
        if (e.key.empty() || blank(e.key.front()) || blank(e.key.back()) || e.key.find(';') != std::string::npos)
            fail("a parsed key is not trimmed or holds a ';'", text, first.entries(), nullptr);
        written += writtenKey(e.key) + "=" + sqldmo::quoteConnectionValue(e.value) + ";";
    }
    expectParsesTo(written, first.entries());
}

void roundTripOfBuiltEntries(FuzzedDataProvider& in) {
    Entries expected;
    std::string text = blanks(in);
    const auto pairs = in.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < pairs && in.remaining_bytes() > 0; ++i) {
        // A key can hold anything but ";" and cannot begin or end with a blank: the parser
        // trims keys.
        std::string key;
        for (char c : in.ConsumeRandomLengthString(24))
            if (c != ';') key += c;
        while (!key.empty() && blank(key.front())) key.erase(key.begin());
        while (!key.empty() && blank(key.back())) key.pop_back();
        if (key.empty()) key = "k" + std::to_string(i);
        const std::string value = in.ConsumeRandomLengthString(48);

        bool replaced = false;
        for (auto& e : expected)
            if (sqldmo::model::sameName(e.key, key)) {
                e.value = value;
                replaced = true;
            }
        if (!replaced) expected.push_back({key, value});

        if (i > 0) {
            text += ";";
            for (auto extra = in.ConsumeIntegralInRange<int>(0, 2); extra > 0; --extra) text += blanks(in) + ";";
        }
        text += blanks(in) + writtenKey(key) + blanks(in) + "=" + blanks(in) + sqldmo::quoteConnectionValue(value) +
                blanks(in);
    }
    if (in.ConsumeBool()) text += ";" + blanks(in);
    expectParsesTo(text, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    roundTripOfParsedEntries(std::string_view(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider in(data, size);
    roundTripOfBuiltEntries(in);
    return 0;
}
