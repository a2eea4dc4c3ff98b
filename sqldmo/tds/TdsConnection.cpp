// FreeTDS db-lib connections.
#include "sqldmo/tds/TdsConnection.h"

#include <sybfront.h>
#include <sybdb.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <mutex>

#include "sqldmo/Error.h"

namespace sqldmo::tds {
namespace {

// db-lib's error severities (the handler's second argument).
constexpr int kExInfo = 1;
constexpr int kExConversion = 4;

// LoginTimeout -1 asks for "the library's default". FreeTDS's own default waits without end
// for a server that accepts the connection and never answers, so the layer's default is a
// bounded wait, the same as the row layer's.
constexpr int kDefaultLoginTimeout = 15;

// Informational messages kept per connection.
constexpr std::size_t kMaxInfoMessages = 200;

std::once_flag g_init;
std::mutex g_loginMutex;

}  // namespace

struct TdsConnection::State {
    std::vector<TdsMessage> errors;  // since the current operation began
    std::vector<TdsMessage> infos;
    bool timedOut = false;
    int timeouts = 0;
    bool cancelOnTimeout = false;  // false while logging in: a login that times out is given up

    void reset() {
        errors.clear();
        timedOut = false;
        timeouts = 0;
    }
    void info(TdsMessage m) {
        if (infos.size() >= kMaxInfoMessages) infos.erase(infos.begin());
        infos.push_back(std::move(m));
    }
};

namespace {

// The state of a login in progress on this thread: db-lib reports login messages before the
// DBPROCESS carries our user data.
thread_local TdsConnection::State* t_loginState = nullptr;

TdsConnection::State* stateOf(DBPROCESS* p) {
    if (p)
        if (auto* s = reinterpret_cast<TdsConnection::State*>(dbgetuserdata(p))) return s;
    return t_loginState;
}

extern "C" int onLibraryError(DBPROCESS* p, int severity, int dberr, int oserr, char* dberrstr, char* oserrstr) {
    // "Check messages from the server": the server's own message says it better.
    if (dberr == SYBESMSG) return INT_CANCEL;
    TdsConnection::State* s = stateOf(p);
    if (!s) return INT_CANCEL;
    TdsMessage m;
    m.number = dberr;
    m.severity = severity;
    m.text = dberrstr ? dberrstr : "";
    m.osError = oserr;
    m.osText = (oserr != 0 && oserrstr) ? oserrstr : "";
    if (severity == kExInfo || severity == kExConversion)
        s->info(std::move(m));
    else
        s->errors.push_back(std::move(m));
    if (dberr == SYBETIME) {
        s->timedOut = true;
        // The first timeout of a statement cancels it and keeps the connection; a cancel the
        // server does not acknowledge within another timeout closes the connection.
        if (s->cancelOnTimeout && s->timeouts++ == 0) return INT_TIMEOUT;
    }
    return INT_CANCEL;
}

extern "C" int onServerMessage(DBPROCESS* p, DBINT msgno, int msgstate, int severity, char* msgtext, char* /*srvname*/,
                               char* procname, int line) {
    TdsConnection::State* s = stateOf(p);
    if (!s) return 0;
    TdsMessage m;
    m.number = msgno;
    m.severity = severity;
    m.state = msgstate;
    m.text = msgtext ? msgtext : "";
    m.procedure = procname ? procname : "";
    m.line = line;
    m.fromServer = true;
    // Severity 10 and below are informational (5701 "Changed database context", 5703 ...).
    if (severity > 10)
        s->errors.push_back(std::move(m));
    else
        s->info(std::move(m));
    return 0;
}

void initialise() {
    std::call_once(g_init, [] {
        if (dbinit() == FAIL) throw Error(errors::ConnectionFailed, "The FreeTDS library could not be initialised.");
        dberrhandle(onLibraryError);
        dbmsghandle(onServerMessage);
    });
}

// db-lib speaks of "Adaptive Server" whatever the server is.
std::string serverWords(std::string s) {
    const std::string from = "Adaptive Server";
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at)) {
        s.replace(at, from.size(), "SQL Server");
        at += 10;
    }
    return s;
}

std::string withOs(const std::string& text, const TdsMessage& m) {
    if (m.osText.empty()) return text + ".";
    return text + " (" + m.osText + ").";
}

// The name of the user's default ticket cache: KRB5CCNAME, else what the Kerberos library makes
// of its configuration (default_ccache_name in krb5.conf, or its built-in default); empty when
// that cannot be told. The library stays loaded: GSSAPI uses it for the login anyway.
std::string defaultTicketCache() {
    if (const char* env = std::getenv("KRB5CCNAME"); env && *env) return env;
    static void* const lib = ::dlopen("libkrb5.so.3", RTLD_LAZY | RTLD_LOCAL);
    if (!lib) return {};
    using InitContext = std::int32_t (*)(void**);
    using DefaultName = const char* (*)(void*);
    using FreeContext = void (*)(void*);
    auto init = reinterpret_cast<InitContext>(::dlsym(lib, "krb5_init_context"));
    auto name = reinterpret_cast<DefaultName>(::dlsym(lib, "krb5_cc_default_name"));
    auto release = reinterpret_cast<FreeContext>(::dlsym(lib, "krb5_free_context"));
    if (!init || !name || !release) return {};
    void* context = nullptr;
    if (init(&context) != 0 || !context) return {};
    std::string cache;
    if (const char* n = name(context)) cache = n;
    release(context);
    return cache;
}

// Integrated login runs over FreeTDS's Kerberos (GSSAPI) support, which needs the GSSAPI
// library and a ticket of the user's. Only a missing file cache is known to hold no ticket;
// other caches (KEYRING, KCM, DIR ...) cannot be looked into here, so the login is tried and
// reports the library's own words.
std::string integratedLoginProblem() {
    void* h = ::dlopen("libgssapi_krb5.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!h) return "the Kerberos (GSSAPI) library is not installed";
    ::dlclose(h);
    const std::string cache = defaultTicketCache();
    std::string path;
    if (cache.rfind("FILE:", 0) == 0)
        path = cache.substr(5);
    else if (!cache.empty() && cache.find(':') == std::string::npos)
        path = cache;
    // A path the library still expands ("%{uid}") is not one to look for.
    if (!path.empty() && path.find("%{") == std::string::npos) {
        struct stat st{};
        if (::stat(path.c_str(), &st) != 0) return "no Kerberos ticket was found (obtain one with kinit)";
    }
    return {};
}

}  // namespace

sqldmo::Error libraryError(const TdsMessage& m, const std::string& server, const LoginOptions& options, bool duringLogin) {
    switch (m.number) {
    case SYBETIME:
        if (duringLogin) {
            int t = options.loginTimeout < 0 ? kDefaultLoginTimeout : options.loginTimeout;
            return Error(errors::Timeout, "The server '" + server + "' did not answer the login within " +
                                              std::to_string(t) + (t == 1 ? " second." : " seconds."));
        }
        return Error(errors::Timeout, "The query timed out after " + std::to_string(options.queryTimeout) +
                                          (options.queryTimeout == 1 ? " second" : " seconds") + " on server '" + server + "'.");
    case SYBECONN: case SYBESOCK: case SYBEFCON:
        return Error(errors::ConnectionFailed,
                     withOs("Unable to connect to server '" + server + "': the server is unavailable or does not exist", m));
    case SYBEUHST: case SYBEINTF:
        return Error(errors::ConnectionFailed, "Unable to connect to server '" + server + "': unknown host name.");
    case SYBESEOF: case SYBEREAD: case SYBEWRIT: case SYBEDDNE: case SYBECLOS:
        return Error(errors::ConnectionBroken, withOs("The connection to server '" + server + "' was broken", m));
    default:
        return Error(m.number, serverWords(m.text) + (m.osText.empty() ? "" : " (" + m.osText + ")"));
    }
}

TdsConnection::TdsConnection(const ConnectTarget& target, const LoginOptions& options)
    : target_(target), options_(options), state_(std::make_unique<State>()) {
    initialise();
    if (options.integrated) {
        std::string problem = integratedLoginProblem();
        if (!problem.empty())
            throw Error(errors::NotSupported, "Integrated login is not available here: " + problem + ".");
    }
    LOGINREC* login = dblogin();
    if (!login) throw Error(errors::ConnectionFailed, "Out of memory preparing the login to '" + target.displayName + "'.");
    DBSETLAPP(login, options.applicationName.c_str());
    DBSETLCHARSET(login, "UTF-8");
    // With the default "auto" version a server that accepts and never answers makes dbopen fall
    // back to a TDS 5.0 login that waits for ever, whatever the login timeout: pin TDS 7.4 (the
    // server answers with the version it speaks, down to 7.1 for SQL Server 2000).
    DBSETLVERSION(login, DBVERSION_74);
    if (options.integrated) {
        DBSETLNETWORKAUTH(login, TRUE);
    } else {
        DBSETLUSER(login, options.login.c_str());
        DBSETLPWD(login, options.password.c_str());
    }
    if (options.packetSize > 0) DBSETLPACKET(login, options.packetSize);
    if (!options.initialDatabase.empty()) DBSETLDBNAME(login, options.initialDatabase.c_str());

    {
        // dbsetlogintime is a process-wide setting read by dbopen: one login at a time.
        std::lock_guard<std::mutex> lock(g_loginMutex);
        dbsetlogintime(options.loginTimeout < 0 ? kDefaultLoginTimeout : options.loginTimeout);
        state_->reset();
        state_->cancelOnTimeout = false;
        t_loginState = state_.get();
        proc_ = dbopen(login, target.dbopenName.c_str());
        t_loginState = nullptr;
    }
    dbloginfree(login);
    if (!proc_) {
        for (const auto& m : state_->errors)
            if (m.fromServer) throw ServerError(m.number, m.text, m.severity, m.state, m.procedure, m.line);
        if (!state_->errors.empty()) {
            Error e = libraryError(state_->errors.front(), target.displayName, options, true);
            if (options.integrated) {
                // db-lib reports a failed Kerberos exchange (no ticket, an expired one, no
                // ticket for the server) as a connection failure, without GSSAPI's words.
                std::string hint;
                if (e.number() == errors::ConnectionFailed)
                    hint = " A Kerberos login also fails this way without a valid ticket for the server (see klist).";
                throw Error(e.number(), "Integrated login to '" + target.displayName + "' failed: " + e.description() + hint);
            }
            throw e;
        }
        throw Error(errors::ConnectionFailed, "Unable to connect to server '" + target.displayName + "'.");
    }
    dbsetuserdata(proc_, reinterpret_cast<BYTE*>(state_.get()));
    state_->cancelOnTimeout = true;
    if (options.queryTimeout > 0) {
        std::string seconds = std::to_string(options.queryTimeout);
        dbsetopt(proc_, DBSETTIME, seconds.c_str(), 0);
    }

    // Text and image values arrive whole (the server's default TEXTSIZE cuts them); the lock
    // timeout is the server's; the version picks the catalogue queries.
    std::string setup = "SET TEXTSIZE 2147483647";
    if (options.lockTimeoutMs >= 0) setup += " SET LOCK_TIMEOUT " + std::to_string(options.lockTimeoutMs);
    setup += " SELECT CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion'))";
    try {
        execute(setup);
        while (nextResult()) {
            while (nextRow()) {
                if (dbnumcols(proc_) >= 1 && dbdatlen(proc_, 1) > 0) {
                    const BYTE* p = dbdata(proc_, 1);
                    versionString_.assign(reinterpret_cast<const char*>(p), static_cast<std::size_t>(dbdatlen(proc_, 1)));
                }
            }
        }
    } catch (...) {
        dbclose(proc_);
        proc_ = nullptr;
        throw;
    }
    if (!versionString_.empty()) versionMajor_ = std::atoi(versionString_.c_str());
}

TdsConnection::~TdsConnection() {
    if (proc_) dbclose(proc_);
}

bool TdsConnection::dead() const { return !proc_ || dbdead(proc_); }

const std::vector<TdsMessage>& TdsConnection::infoMessages() const { return state_->infos; }

void TdsConnection::raise(const std::string& context) {
    State& s = *state_;
    if (s.timedOut) {
        TdsMessage m;
        m.number = SYBETIME;
        Error e = libraryError(m, target_.displayName, options_, false);
        bool closed = dead();
        s.reset();
        if (closed) throw Error(e.number(), e.description() + " The connection was closed.");
        throw e;
    }
    for (const auto& m : s.errors)
        if (m.fromServer) {
            ServerError e(m.number, m.text, m.severity, m.state, m.procedure, m.line);
            s.reset();
            throw e;
        }
    if (!s.errors.empty()) {
        Error e = libraryError(s.errors.front(), target_.displayName, options_, false);
        s.reset();
        throw e;
    }
    if (dead()) throw Error(errors::ConnectionBroken, "The connection to server '" + target_.displayName + "' was broken.");
    throw Error(errors::ConnectionFailed, context + " failed on server '" + target_.displayName + "'.");
}

void TdsConnection::drain() {
    if (!proc_ || dead()) {
        busy_ = false;
        inResult_ = false;
        return;
    }
    for (;;) {
        RETCODE r = dbresults(proc_);
        if (r == NO_MORE_RESULTS || r == FAIL) break;
        dbcanquery(proc_);
    }
    busy_ = false;
    inResult_ = false;
}

void TdsConnection::close() {
    if (proc_) dbclose(proc_);
    proc_ = nullptr;
    busy_ = false;
    inResult_ = false;
}

void TdsConnection::cancel() {
    if (!busy_) return;
    if (proc_ && !dead()) dbcancel(proc_);
    busy_ = false;
    inResult_ = false;
}

void TdsConnection::execute(const std::string& sql) {
    if (dead()) throw Error(errors::ConnectionBroken, "The connection to server '" + target_.displayName + "' is closed.");
    if (busy_) drain();
    state_->reset();
    dbfreebuf(proc_);
    if (dbcmd(proc_, sql.c_str()) == FAIL) raise("Preparing the statement");
    ++statements_;
    busy_ = true;
    inResult_ = false;
    if (dbsqlexec(proc_) == FAIL) {
        drain();
        raise("The statement");
    }
}

void TdsConnection::run(const std::string& sql) {
    execute(sql);
    while (nextResult()) {
        while (nextRow()) {
        }
    }
}

bool TdsConnection::nextResult() {
    if (!busy_) return false;
    if (inResult_) {
        dbcanquery(proc_);
        inResult_ = false;
    }
    for (;;) {
        RETCODE r = dbresults(proc_);
        if (r == NO_MORE_RESULTS) {
            busy_ = false;
            if (!state_->errors.empty() || state_->timedOut) raise("The statement");
            return false;
        }
        if (r == FAIL) {
            // A statement of the batch that failed without a message: read on.
            if (state_->errors.empty() && !state_->timedOut && !dead()) continue;
            drain();
            raise("The statement");
        }
        inResult_ = true;
        return true;
    }
}

bool TdsConnection::nextRow() {
    if (!inResult_) return false;
    for (;;) {
        STATUS s = dbnextrow(proc_);
        if (s == REG_ROW) return true;
        if (s == NO_MORE_ROWS) {
            inResult_ = false;
            return false;
        }
        if (s == FAIL) {
            inResult_ = false;
            if (!dead()) drain();
            busy_ = false;
            raise("Reading rows");
        }
        // COMPUTE rows (s > 0) are not part of the result set: skip them.
    }
}

}  // namespace sqldmo::tds
