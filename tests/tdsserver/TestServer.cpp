// The test server: listening, sessions, the login handshake and the answers to SQL batches.
#include "tests/tdsserver/TestServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <strings.h>

#include "sqldmo/tds/CatalogQueries.h"
#include "tests/tdsserver/CatalogResults.h"
#include "tests/tdsserver/SqlText.h"
#include "tests/tdsserver/Tokens.h"

namespace tdstest {

using sqldmo::SqlType;
using sqldmo::Value;
namespace model = sqldmo::model;

namespace {

// Ends a session: the peer went away, the server is stopping, or a fault closes the connection.
struct SessionEnd {};

bool iequals(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool containsNoCase(const std::string& hay, const std::string& needle) {
    if (needle.empty()) return false;
    auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                      std::tolower(static_cast<unsigned char>(b)); });
    return it != hay.end();
}

// An error a statement raises: it becomes an ERROR token and a DONE with the error bit.
struct StatementError {
    std::int32_t number;
    int severity;
    int state;
    std::string text;
};

class Session {
public:
    Session(TestServer& server, int fd) : server_(server), fd_(fd) {}
    void run();

private:
    // --- transport
    bool waitReadable(int timeoutMs);
    void readExact(char* p, std::size_t n);
    std::uint8_t readMessage(std::string& payload);
    void sendPackets(bool final);
    bool attentionPending();

    // --- protocol
    void preLogin(const std::string& payload);
    bool login(const std::string& payload);
    void batch(const std::string& payload);
    // False when the error it met ends the batch.
    bool statement(const std::vector<SqlToken>& st, bool last);
    void tagged(const std::string& tag, const std::string& sql);
    void variantWrap(const std::string& sql);
    ResultSet select(const std::vector<SqlToken>& st);
    void emit(ResultSet rs, bool last, const std::string& tableForFaults = {});
    void emitError(const StatementError& e, bool last);
    void doneOf(bool last, std::uint16_t extra = 0, std::uint64_t rows = 0, std::uint16_t cmd = 0);

    const model::Server& data() const { return server_.options().data->server(); }
    const model::Database* findDb(const std::string& name) const {
        for (const auto& d : data().databases)
            if (d && iequals(d->name, name)) return d.get();
        return nullptr;
    }

    TestServer& server_;
    int fd_;
    TdsVersion version_ = TdsVersion::V74;
    int packetSize_ = 4096;
    std::uint8_t packetId_ = 1;
    std::string database_ = "master";
    std::string user_;
    bool fmtOnly_ = false;  // lasts for the session, as on a real server
    bool attention_ = false;  // an attention arrived while answering
    Writer out_;
    CatalogCache catalogCache_;
};

bool Session::waitReadable(int timeoutMs) {
    pollfd p[2] = {{fd_, POLLIN, 0}, {server_.wakeFd(), POLLIN, 0}};
    int rc = ::poll(p, 2, timeoutMs);
    if (rc < 0 && errno != EINTR) throw SessionEnd{};
    if (server_.stopping() || (p[1].revents & POLLIN)) throw SessionEnd{};
    return rc > 0 && (p[0].revents & (POLLIN | POLLHUP | POLLERR));
}

void Session::readExact(char* p, std::size_t n) {
    while (n > 0) {
        while (!waitReadable(1000)) {
        }
        ssize_t got = ::recv(fd_, p, n, 0);
        if (got <= 0) throw SessionEnd{};
        p += got;
        n -= static_cast<std::size_t>(got);
    }
}

std::uint8_t Session::readMessage(std::string& payload) {
    payload.clear();
    std::uint8_t type = 0;
    for (;;) {
        char h[8];
        readExact(h, 8);
        type = static_cast<std::uint8_t>(h[0]);
        auto status = static_cast<std::uint8_t>(h[1]);
        std::size_t len = (static_cast<std::uint8_t>(h[2]) << 8) | static_cast<std::uint8_t>(h[3]);
        if (len < 8) throw SessionEnd{};
        std::string body(len - 8, '\0');
        if (!body.empty()) readExact(body.data(), body.size());
        payload += body;
        if (status & 0x01) return type;
    }
}

void Session::sendPackets(bool final) {
    const std::size_t chunk = static_cast<std::size_t>(packetSize_) - 8;
    std::string& data = out_.bytes();
    std::size_t at = 0;
    std::string wire;
    while (data.size() - at > chunk || (final && at <= data.size())) {
        std::size_t n = std::min(chunk, data.size() - at);
        bool last = final && at + n == data.size();
        char h[8] = {static_cast<char>(packet::Reply), static_cast<char>(last ? 1 : 0),
                     static_cast<char>((n + 8) >> 8), static_cast<char>((n + 8) & 0xFF), 0, 0,
                     static_cast<char>(packetId_++), 0};
        wire.append(h, 8);
        wire.append(data, at, n);
        at += n;
        if (last) break;
    }
    data.erase(0, at);
    std::size_t sent = 0;
    while (sent < wire.size()) {
        ssize_t rc = ::send(fd_, wire.data() + sent, wire.size() - sent, MSG_NOSIGNAL);
        if (rc < 0) {
            if (errno == EINTR) continue;
            throw SessionEnd{};
        }
        sent += static_cast<std::size_t>(rc);
    }
}

bool Session::attentionPending() {
    if (attention_) return true;
    if (!waitReadable(0)) return false;
    std::string payload;
    std::uint8_t type = readMessage(payload);
    if (type == packet::Attention) {
        attention_ = true;
        server_.recordAttention();
    }
    return attention_;
}

void Session::run() {
    std::string payload;
    server_.record(LoginRecord{});  // placeholder replaced by login(); keeps the connection count
    for (;;) {
        std::uint8_t type = readMessage(payload);
        if (server_.faults().noAnswer) continue;
        switch (type) {
        case packet::PreLogin: preLogin(payload); break;
        case packet::Login7:
            if (!login(payload)) return;
            break;
        case packet::SqlBatch: batch(payload); break;
        case packet::Attention:
            server_.recordAttention();
            TokenWriter(out_, version_).done(done::Attention, 0, 0);
            sendPackets(true);
            break;
        case packet::Rpc: {
            TokenWriter tw(out_, version_);
            tw.error(50000, 1, 16, "The test server does not run remote procedure calls.", server_.options().serverName);
            tw.done(done::Error, 0, 0, 0xFE);
            sendPackets(true);
            break;
        }
        default:
            return;
        }
    }
}

void Session::preLogin(const std::string& /*payload*/) {
    // Options: VERSION, ENCRYPTION (not supported), INSTOPT, THREADID, MARS, terminator.
    struct Opt { std::uint8_t token; std::string data; };
    std::vector<Opt> opts = {
        {0, std::string("\x08\x00\x07\xF7\x00\x00", 6)},
        {1, std::string("\x02", 1)},
        {2, std::string("\x00", 1)},
        {3, std::string()},
        {4, std::string("\x00", 1)},
    };
    std::size_t offset = opts.size() * 5 + 1;
    Writer w;
    for (const auto& o : opts) {
        w.u8(o.token);
        w.u16be(static_cast<std::uint16_t>(offset));
        w.u16be(static_cast<std::uint16_t>(o.data.size()));
        offset += o.data.size();
    }
    w.u8(0xFF);
    for (const auto& o : opts) w.raw(o.data);
    out_.raw(w.bytes());
    sendPackets(true);
}

bool Session::login(const std::string& payload) {
    Reader r(payload);
    LoginRecord rec;
    r.u32();  // length
    rec.tdsVersion = r.u32();
    rec.packetSize = r.u32();
    r.u32();  // client program version
    r.u32();  // pid
    r.u32();  // connection id
    std::uint8_t flags1 = r.u8();
    r.u8();   // flags 2
    r.u8();   // type flags
    r.u8();   // flags 3
    r.u32();  // time zone
    r.u32();  // LCID
    auto field = [&](std::size_t pos, bool password = false) {
        Reader f(payload);
        f.seek(pos);
        std::uint16_t off = f.u16(), len = f.u16();
        if (len == 0) return std::string();
        f.seek(off);
        std::string bytes(f.bytes(std::size_t(len) * 2));
        if (password)
            for (auto& ch : bytes) {
                auto b = static_cast<std::uint8_t>(ch) ^ 0xA5;
                ch = static_cast<char>(((b & 0x0F) << 4) | (b >> 4));
            }
        return ucs2ToUtf8(bytes);
    };
    rec.hostName = field(36);
    rec.userName = field(40);
    rec.password = field(44, true);
    rec.appName = field(48);
    rec.serverName = field(52);
    rec.library = field(60);
    rec.language = field(64);
    rec.database = field(68);
    {
        Reader f(payload);
        f.seek(80);
        rec.integrated = f.u16() > 0;
    }
    rec.bulkCopy = (flags1 & 0x10) != 0;

    std::uint32_t asked = rec.tdsVersion;
    std::uint32_t best = std::min(asked >= 0x71000001 ? asked : 0x71000001,
                                  static_cast<std::uint32_t>(server_.options().maxVersion));
    version_ = best >= 0x74000004 ? TdsVersion::V74 : best >= 0x730B0003 ? TdsVersion::V73
               : best >= 0x72090002 ? TdsVersion::V72 : TdsVersion::V71;

    int negotiated = rec.packetSize == 0 ? 4096 : static_cast<int>(rec.packetSize);
    negotiated = std::clamp(negotiated, 512, 32767);
    rec.negotiatedPacketSize = negotiated;

    const auto& opt = server_.options();
    TokenWriter tw(out_, version_);
    auto fail = [&](std::int32_t number, const std::string& text) {
        tw.error(number, 1, 14, text, opt.serverName);
        tw.done(done::Error, 0, 0);
        sendPackets(true);
        server_.record(rec);
        return false;
    };
    if (rec.integrated)
        return fail(18452, "Login failed. The login is from an untrusted domain and cannot be used with Windows authentication.");
    if (!iequals(rec.userName, opt.user) || rec.password != opt.password)
        return fail(18456, "Login failed for user '" + rec.userName + "'.");
    std::string db = rec.database.empty() ? "master" : rec.database;
    const model::Database* found = findDb(db);
    if (!found && !iequals(db, "master"))
        return fail(4060, "Cannot open database \"" + db + "\" requested by the login. The login failed.");
    database_ = found ? found->name : "master";
    user_ = rec.userName;
    server_.record(rec);

    tw.envDatabase(database_, "master");
    tw.info(5701, 2, 0, "Changed database context to '" + database_ + "'.", opt.serverName);
    tw.envCollation();
    tw.envLanguage("us_english");
    tw.info(5703, 1, 0, "Changed language setting to us_english.", opt.serverName);
    int major = versionMajorOf(data());
    std::uint32_t progVersion = (static_cast<std::uint32_t>(major) << 24) | 2039;
    tw.loginAck("Microsoft SQL Server", progVersion);
    tw.envPacketSize(negotiated, 4096);
    tw.done(done::Final, 0, 0);
    sendPackets(true);
    packetSize_ = negotiated;
    return true;
}

void Session::doneOf(bool last, std::uint16_t extra, std::uint64_t rows, std::uint16_t cmd) {
    TokenWriter(out_, version_).done(static_cast<std::uint16_t>((last ? done::Final : done::More) | extra), cmd, rows);
}

void Session::emitError(const StatementError& e, bool last) {
    TokenWriter tw(out_, version_);
    tw.error(e.number, e.state, e.severity, e.text, server_.options().serverName);
    doneOf(last, done::Error);
}

void Session::batch(const std::string& payload) {
    std::size_t skip = 0;
    if (atLeast72(version_) && payload.size() >= 4) {
        Reader r(payload);
        skip = r.u32();
        if (skip > payload.size()) skip = 0;
    }
    std::string sql = ucs2ToUtf8(std::string_view(payload).substr(skip));
    server_.recordBatch(sql);
    attention_ = false;
    const Faults f = server_.faults();

    try {
        if (!f.slowMatch.empty() && containsNoCase(sql, f.slowMatch)) {
            auto until = std::chrono::steady_clock::now() + f.slowDelay;
            while (std::chrono::steady_clock::now() < until) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
                if (waitReadable(static_cast<int>(std::max<long long>(1, left.count()))) && attentionPending()) break;
            }
        }
        if (!attention_ && !f.errorMatch.empty() && containsNoCase(sql, f.errorMatch)) {
            emitError({f.errorNumber, f.errorSeverity, f.errorState, f.errorText}, true);
        } else if (!attention_) {
            std::string tag = queryTag(sql);
            if (!tag.empty()) {
                if (tag == "variant")
                    variantWrap(sql);
                else
                    tagged(tag, sql);
            } else {
                auto stmts = statements(tokenize(sql));
                if (stmts.empty()) doneOf(true);
                for (std::size_t i = 0; i < stmts.size() && !attention_; ++i)
                    if (!statement(stmts[i], i + 1 == stmts.size())) break;
            }
        }
    } catch (const StatementError& e) {
        emitError(e, true);
    }
    if (attention_) {
        // The rows already buffered are whole tokens the client has partly received: they go
        // out, then the DONE with the attention bit ends the reply.
        TokenWriter(out_, version_).done(done::Attention, 0, 0);
    }
    sendPackets(true);
}

bool Session::statement(const std::vector<SqlToken>& st, bool last) {
    const std::string& server = server_.options().serverName;
    try {
        const SqlToken& head = st.front();
        if (head.is("SET")) {
            if (st.size() >= 3 && st[1].is("LOCK_TIMEOUT")) {
                std::size_t at = 2;
                bool negative = false;
                if (st[at].punct('-') && st.size() > 3) { negative = true; ++at; }
                std::int32_t v = std::stoi(st[at].text);
                server_.recordLockTimeout(negative ? -v : v);
            } else if (st.size() >= 3 && st[1].is("FMTONLY")) {
                fmtOnly_ = st[2].is("ON");
            }
            doneOf(last);
            return true;
        }
        if (head.is("USE")) {
            if (st.size() < 2) throw StatementError{102, 15, 1, "Incorrect syntax near 'USE'."};
            const model::Database* db = findDb(st[1].text);
            if (!db && !iequals(st[1].text, "master"))
                throw StatementError{911, 16, 1, "Database '" + st[1].text + "' does not exist. Make sure that the name is entered correctly."};
            std::string old = database_;
            database_ = db ? db->name : "master";
            TokenWriter tw(out_, version_);
            tw.envDatabase(database_, old);
            tw.info(5701, 1, 0, "Changed database context to '" + database_ + "'.", server);
            doneOf(last);
            return true;
        }
        if (head.is("SELECT")) {
            // The table name the rows come from matters to the dropped-connection fault.
            std::string table;
            for (std::size_t i = 0; i + 1 < st.size(); ++i)
                if (st[i].is("FROM")) {
                    std::size_t j = i + 1;
                    while (j + 2 < st.size() && st[j + 1].punct('.')) j += 2;
                    table = st[j].text;
                    break;
                }
            emit(select(st), last, table);
            return true;
        }
        throw StatementError{50000, 16, 1, "The test server does not run '" + head.text + "' statements."};
    } catch (const StatementError& e) {
        // A missing object ends the whole batch on a real server: the statements after it
        // do not run.
        if (e.number == 208) {
            emitError(e, true);
            return false;
        }
        emitError(e, last);
    } catch (const std::exception& e) {
        emitError({50000, 16, 1, std::string("The test server failed: ") + e.what()}, last);
    }
    return true;
}

void Session::emit(ResultSet rs, bool last, const std::string& tableForFaults) {
    TokenWriter tw(out_, version_);
    tw.colMetadata(rs.columns);
    std::uint64_t count = 0;
    const Faults f = server_.faults();
    const bool drop = !f.dropTable.empty() && iequals(f.dropTable, tableForFaults);
    if (!fmtOnly_ && rs.rows) {
        std::vector<Value> row;
        while (rs.rows->next(row)) {
            if (drop && static_cast<std::int64_t>(count) >= f.dropAfterRows) {
                sendPackets(false);
                ::shutdown(fd_, SHUT_RDWR);
                throw SessionEnd{};
            }
            tw.row(rs.columns, row);
            ++count;
            if (out_.size() >= 64 * 1024) {
                sendPackets(false);
                if (attentionPending()) return;
            }
        }
    }
    doneOf(last, done::Count, count, 0xC1);
}

void Session::tagged(const std::string& tag, const std::string& sql) {
    const int major = versionMajorOf(data());
    // A server answers only the catalogue views it has.
    auto missing = [&](const std::string& name) {
        throw StatementError{208, 16, 1, "Invalid object name '" + name + "'."};
    };
    if (major < 9) {
        auto at = sql.find("sys.");
        if (at != std::string::npos) {
            std::size_t end = at + 4;
            while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == '_')) ++end;
            missing(sql.substr(at, end - at));
        }
    }
    if (major < 10 && sql.find("sys.sql_expression_dependencies") != std::string::npos)
        missing("sys.sql_expression_dependencies");
    if (tag == "resultcolumns") {
        // ... WHERE c.id = OBJECT_ID(N'[owner].[name]')
        std::string object;
        auto toks = tokenize(sql);
        for (std::size_t i = 0; i + 2 < toks.size(); ++i)
            if (toks[i].is("OBJECT_ID") && toks[i + 2].kind == SqlToken::Kind::String) object = toks[i + 2].text;
        std::vector<std::string> parts;
        for (const auto& t : tokenize(object))
            if (t.kind == SqlToken::Kind::Word || t.kind == SqlToken::Kind::Quoted) parts.push_back(t.text);
        const model::Table* table = nullptr;
        if (const model::Database* db = findDb(database_); db && !parts.empty())
            for (const auto& tb : db->tables)
                if (iequals(tb.name, parts.back()) && (parts.size() < 2 || iequals(tb.owner, parts[parts.size() - 2])))
                    table = &tb;
        emit(tableColumnsResult(table, major), true);
        return;
    }
    if (!sqldmo::tds::findCatalogQuery(tag))
        throw StatementError{50000, 16, 1, "The test server knows no catalogue query '" + tag + "'."};
    const model::Database* db = findDb(database_);
    ResultSet rs = catalogResult(tag, data(), db, catalogCache_);
    emit(std::move(rs), true);
}

// The rows of an inner query with its variant columns sent as NULL and their plain forms
// (sqldmo/tds/ValueForms.h) appended, as the reader asks for them.
class VariantRows : public RowSource {
public:
    struct Extra { std::size_t column; std::size_t part; };
    VariantRows(std::unique_ptr<RowSource> inner, std::vector<Extra> extras, std::vector<bool> nulled)
        : inner_(std::move(inner)), extras_(std::move(extras)), nulled_(std::move(nulled)) {}
    bool next(std::vector<Value>& row) override {
        if (!inner_ || !inner_->next(row)) return false;
        std::vector<std::vector<Value>> parts(row.size());
        for (const auto& e : extras_)
            if (parts[e.column].empty()) parts[e.column] = variantParts(row[e.column]);
        for (const auto& e : extras_) row.push_back(parts[e.column][e.part]);
        for (std::size_t i = 0; i < nulled_.size(); ++i)
            if (nulled_[i]) row[i] = Value::null(SqlType::SqlVariant);
        return true;
    }

private:
    std::unique_ptr<RowSource> inner_;
    std::vector<Extra> extras_;
    std::vector<bool> nulled_;
};

void Session::variantWrap(const std::string& sql) {
    std::size_t from = sql.find("FROM (");
    std::size_t close = sql.rfind(") AS q");
    if (from == std::string::npos || close == std::string::npos || close < from)
        throw StatementError{102, 15, 1, "Incorrect syntax near 'q'."};
    std::string inner = sql.substr(from + 6, close - from - 6);
    auto stmts = statements(tokenize(inner));
    if (stmts.size() != 1 || !stmts[0].front().is("SELECT"))
        throw StatementError{156, 15, 1, "Incorrect syntax near the keyword 'FROM'."};
    ResultSet rs = select(stmts[0]);
    std::vector<ColumnDef> cols = rs.columns;
    std::vector<bool> nulled(cols.size(), false);
    std::vector<VariantRows::Extra> extras;
    // The extra columns are named tavil_v<k>_<part>, k the 1-based inner column.
    auto toks = tokenize(sql.substr(0, from));
    const std::string suffixes = "tpsmncb";
    for (std::size_t i = 0; i + 1 < toks.size(); ++i) {
        if (!toks[i].is("AS")) continue;
        const std::string& alias = toks[i + 1].text;
        if (alias.rfind("tavil_v", 0) != 0) continue;
        std::size_t us = alias.find('_', 7);
        if (us == std::string::npos || us + 2 != alias.size()) continue;
        std::size_t k = std::stoul(alias.substr(7, us - 7));
        std::size_t part = suffixes.find(alias[us + 1]);
        if (k < 1 || k > rs.columns.size() || part == std::string::npos)
            throw StatementError{207, 16, 1, "Invalid column name '" + alias + "'."};
        nulled[k - 1] = true;
        cols.push_back(variantPartColumn(alias[us + 1], alias));
        extras.push_back({k - 1, part});
    }
    ResultSet out{cols, std::make_unique<VariantRows>(std::move(rs.rows), std::move(extras), std::move(nulled))};
    emit(std::move(out), true);
}

// --- SELECT

struct Item {
    std::vector<SqlToken> expr;
    std::string alias;
    bool hasAlias = false;
};

std::vector<Item> splitItems(const std::vector<SqlToken>& t, std::size_t begin, std::size_t end) {
    std::vector<Item> items;
    int depth = 0;
    items.emplace_back();
    for (std::size_t i = begin; i < end; ++i) {
        if (t[i].punct('(')) ++depth;
        if (t[i].punct(')')) --depth;
        if (depth == 0 && t[i].punct(',')) { items.emplace_back(); continue; }
        items.back().expr.push_back(t[i]);
    }
    for (auto& it : items) {
        auto& e = it.expr;
        if (e.size() >= 3 && e[e.size() - 2].is("AS")) {
            it.alias = e.back().text;
            it.hasAlias = true;
            e.resize(e.size() - 2);
        } else if (e.size() >= 3 && e[1].punct('=') && (e[0].kind == SqlToken::Kind::Word || e[0].kind == SqlToken::Kind::Quoted)) {
            it.alias = e[0].text;
            it.hasAlias = true;
            e.erase(e.begin(), e.begin() + 2);
        } else if (e.size() >= 2 && (e.back().kind == SqlToken::Kind::Quoted || e.back().kind == SqlToken::Kind::Word) &&
                   !e[e.size() - 2].punct('.') && !e.back().punct(')')) {
            it.alias = e.back().text;
            it.hasAlias = true;
            e.pop_back();
        }
    }
    return items;
}

ResultSet Session::select(const std::vector<SqlToken>& t) {
    std::size_t i = 1;
    std::int64_t top = -1;
    if (i < t.size() && t[i].is("DISTINCT")) ++i;
    if (i + 1 < t.size() && t[i].is("TOP")) {
        top = std::stoll(t[i + 1].text);
        i += 2;
    }
    std::size_t fromAt = t.size();
    int depth = 0;
    for (std::size_t k = i; k < t.size(); ++k) {
        if (t[k].punct('(')) ++depth;
        if (t[k].punct(')')) --depth;
        if (depth == 0 && t[k].is("FROM")) { fromAt = k; break; }
    }
    auto items = splitItems(t, i, fromAt);
    const auto& opt = server_.options();
    const model::Server& srv = data();

    if (fromAt == t.size()) {
        // A row of scalar expressions.
        std::vector<ColumnDef> cols;
        std::vector<Value> row;
        for (const auto& it : items) {
            const auto& e = it.expr;
            ColumnDef d;
            d.name = it.alias;
            d.type = SqlType::NVarChar;
            d.length = 256;
            Value v = Value::null(SqlType::NVarChar);
            auto text = [&](const std::string& s) { v = Value::ofText(SqlType::NVarChar, s); };
            // CONVERT(type, expr) reads as its expression.
            std::vector<SqlToken> x = e;
            if (x.size() > 4 && x[0].is("CONVERT")) {
                std::size_t comma = 0;
                for (std::size_t k = 0; k < x.size(); ++k)
                    if (x[k].punct(',')) { comma = k; break; }
                if (comma) x = std::vector<SqlToken>(x.begin() + static_cast<long>(comma) + 1, x.end() - 1);
            }
            if (x.empty()) throw StatementError{102, 15, 1, "Incorrect syntax near ','."};
            const SqlToken& h = x[0];
            if (h.kind == SqlToken::Kind::Variable) {
                if (iequals(h.text, "@@VERSION"))
                    text("Microsoft SQL Server " + srv.versionString + " (test server)");
                else if (iequals(h.text, "@@SERVERNAME"))
                    text(srv.name.empty() ? opt.serverName : srv.name);
                else if (iequals(h.text, "@@SPID")) { d.type = SqlType::SmallInt; v = Value::ofInteger(SqlType::SmallInt, 51); }
                else if (iequals(h.text, "@@TRANCOUNT")) { d.type = SqlType::Int; v = Value::ofInteger(SqlType::Int, 0); }
                else if (iequals(h.text, "@@LANGUAGE")) text("us_english");
                else if (iequals(h.text, "@@TEXTSIZE")) { d.type = SqlType::Int; v = Value::ofInteger(SqlType::Int, 2147483647); }
            } else if (h.kind == SqlToken::Kind::Number) {
                if (h.text.find('.') == std::string::npos) {
                    d.type = SqlType::Int;
                    v = Value::ofInteger(SqlType::Int, std::stoll(h.text));
                } else {
                    d.type = SqlType::Float;
                    v = Value::ofFloat(SqlType::Float, std::stod(h.text));
                }
            } else if (h.kind == SqlToken::Kind::String) {
                text(h.text);
            } else if (h.is("DB_NAME")) {
                text(database_);
            } else if (h.is("SUSER_SNAME") || h.is("SYSTEM_USER") || h.is("SUSER_NAME") || h.is("CURRENT_USER") ||
                       h.is("USER_NAME")) {
                text(user_);
            } else if (h.is("SERVERPROPERTY") && x.size() >= 3) {
                const std::string& p = x[2].text;
                if (iequals(p, "ProductVersion")) text(srv.versionString);
                else if (iequals(p, "ProductLevel")) text("RTM");
                else if (iequals(p, "Edition")) text("Developer Edition");
                else if (iequals(p, "ServerName") || iequals(p, "MachineName")) text(srv.name);
            }
            cols.push_back(d);
            row.push_back(v);
        }
        std::vector<std::vector<Value>> rows;
        if (top != 0) rows.push_back(row);
        return {cols, std::make_unique<VectorRows>(std::move(rows))};
    }

    // FROM [db.][owner.]name
    std::vector<std::string> parts;
    std::size_t k = fromAt + 1;
    while (k < t.size()) {
        if (t[k].kind != SqlToken::Kind::Word && t[k].kind != SqlToken::Kind::Quoted) break;
        parts.push_back(t[k].text);
        if (k + 1 < t.size() && t[k + 1].punct('.')) {
            k += 2;
            // "db..name" leaves the owner out
            if (k < t.size() && t[k].punct('.')) { parts.emplace_back(); ++k; }
            continue;
        }
        ++k;
        break;
    }
    if (parts.empty()) throw StatementError{102, 15, 1, "Incorrect syntax near 'FROM'."};
    std::string dbName = parts.size() >= 3 ? parts[parts.size() - 3] : database_;
    std::string owner = parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
    const std::string& name = parts.back();
    std::string shown;
    for (const auto& p : parts) shown += (shown.empty() ? "" : ".") + p;
    const model::Database* db = findDb(dbName);
    const model::Table* table = nullptr;
    if (db)
        for (const auto& tb : db->tables)
            if (iequals(tb.name, name) && (owner.empty() || iequals(tb.owner, owner))) { table = &tb; break; }
    if (!table) throw StatementError{208, 16, 1, "Invalid object name '" + shown + "'."};

    bool noRows = false;
    for (std::size_t w = k; w + 3 < t.size(); ++w)
        if (t[w].is("WHERE") && t[w + 1].kind == SqlToken::Kind::Number && t[w + 2].punct('=') &&
            t[w + 3].kind == SqlToken::Kind::Number && t[w + 1].text != t[w + 3].text)
            noRows = true;

    const std::vector<ColumnDef> all = tableColumns(*table);
    std::vector<std::size_t> pick;
    std::vector<ColumnDef> cols;
    for (const auto& it : items) {
        const auto& e = it.expr;
        if (e.empty()) throw StatementError{102, 15, 1, "Incorrect syntax near ','."};
        if (e.back().punct('*')) {
            for (std::size_t c = 0; c < all.size(); ++c) { pick.push_back(c); cols.push_back(all[c]); }
            continue;
        }
        const std::string& col = e.back().text;
        std::size_t found = all.size();
        for (std::size_t c = 0; c < all.size(); ++c)
            if (iequals(all[c].name, col)) found = c;
        if (found == all.size()) throw StatementError{207, 16, 1, "Invalid column name '" + col + "'."};
        pick.push_back(found);
        ColumnDef d = all[found];
        if (it.hasAlias) d.name = it.alias;
        cols.push_back(d);
    }

    class Picked : public RowSource {
    public:
        Picked(std::unique_ptr<RowSource> src, std::vector<std::size_t> pick, std::int64_t limit)
            : src_(std::move(src)), pick_(std::move(pick)), limit_(limit) {}
        bool next(std::vector<Value>& row) override {
            if (!src_ || limit_ == 0) return false;
            if (!src_->next(full_)) return false;
            if (limit_ > 0) --limit_;
            row.resize(pick_.size());
            for (std::size_t i = 0; i < pick_.size(); ++i) row[i] = pick_[i] < full_.size() ? full_[pick_[i]] : Value{};
            return true;
        }

    private:
        std::unique_ptr<RowSource> src_;
        std::vector<std::size_t> pick_;
        std::vector<Value> full_;
        std::int64_t limit_;
    };
    std::unique_ptr<RowSource> src = noRows ? nullptr : opt.data->tableRows(*db, *table);
    return {cols, std::make_unique<Picked>(std::move(src), std::move(pick), top)};
}

}  // namespace

TestServer::TestServer(ServerOptions options) : options_(std::move(options)) {
    if (!options_.data) throw std::invalid_argument("the test server needs a data source");
}

TestServer::~TestServer() { stop(); }

void TestServer::start() {
    if (::pipe2(wakePipe_, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket failed");
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listenFd_, 16) != 0)
        throw std::runtime_error(std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno));
    socklen_t len = sizeof a;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    started_ = std::chrono::steady_clock::now();
    acceptThread_ = std::thread([this] { acceptLoop(); });
}

void TestServer::acceptLoop() {
    while (!stopping_) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        int rc = ::poll(p, 2, 500);
        if (stopping_ || (p[1].revents & POLLIN)) break;
        if (std::chrono::steady_clock::now() - started_ > options_.lifetime) {
            // Past its lifetime the server ends by itself, taking its sessions with it.
            stopping_ = true;
            char c = 1;
            (void)!::write(wakePipe_[1], &c, 1);
            break;
        }
        if (rc <= 0 || !(p[0].revents & POLLIN)) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard<std::mutex> lock(mutex_);
        sessionFds_.push_back(fd);
        sessions_.emplace_back([this, fd] { serve(fd); });
    }
}

void TestServer::serve(int fd) {
    try {
        Session s(*this, fd);
        s.run();
    } catch (...) {
        // SessionEnd, wire errors: the connection ends.
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(sessionFds_.begin(), sessionFds_.end(), fd);
    if (it != sessionFds_.end()) {
        sessionFds_.erase(it);
        ::close(fd);
    }
}

void TestServer::stop() {
    if (listenFd_ < 0 && !acceptThread_.joinable()) return;
    stopping_ = true;
    if (wakePipe_[1] >= 0) {
        char c = 1;
        (void)!::write(wakePipe_[1], &c, 1);
    }
    if (acceptThread_.joinable()) acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (int fd : sessionFds_) ::shutdown(fd, SHUT_RDWR);
        threads.swap(sessions_);
    }
    for (auto& t : threads)
        if (t.joinable()) t.join();
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    for (int& fd : wakePipe_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void TestServer::setFaults(const Faults& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.faults = f;
}

Faults TestServer::faults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return options_.faults;
}

Observed TestServer::observed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return observed_;
}

std::int64_t TestServer::batchCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::int64_t>(observed_.batches.size());
}

void TestServer::clearObserved() {
    std::lock_guard<std::mutex> lock(mutex_);
    observed_ = Observed{};
}

void TestServer::record(const LoginRecord& r) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (r.tdsVersion == 0) {
        ++observed_.connections;
        return;
    }
    observed_.logins.push_back(r);
}

void TestServer::recordBatch(const std::string& sql) {
    std::lock_guard<std::mutex> lock(mutex_);
    observed_.batches.push_back(sql);
}

void TestServer::recordLockTimeout(std::int32_t v) {
    std::lock_guard<std::mutex> lock(mutex_);
    observed_.lockTimeouts.push_back(v);
}

void TestServer::recordAttention() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++observed_.attentions;
}

}  // namespace tdstest
