// One connection to SQL Server through FreeTDS db-lib: login, batches, results and rows, with the
// server's and the library's messages collected on the connection they belong to.
//
// db-lib is process-wide: dbinit runs once, the error and message handlers are installed once
// and only record what they are told on the connection (via dbsetuserdata) and return; they
// never throw through C. The login timeout is a global of db-lib, so logins are serialised;
// the query timeout is set per connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"

struct tds_dblib_dbprocess;

namespace sqldmo::tds {

// A message of the server or of db-lib.
struct TdsMessage {
    std::int32_t number = 0;
    int severity = 0;
    int state = 0;
    std::string text;
    std::string procedure;
    int line = 0;
    bool fromServer = false;
    int osError = 0;
    std::string osText;
};

// Where to connect: the name db-lib is given and the name the user knows.
struct ConnectTarget {
    std::string dbopenName;
    std::string displayName;
};

class TdsConnection {
public:
    // Logs in; throws sqldmo::ServerError (login refused, with the server's words) or
    // sqldmo::Error (server unreachable, no answer within the login timeout, integrated login
    // not available here).
    TdsConnection(const ConnectTarget& target, const LoginOptions& options);
    ~TdsConnection();
    TdsConnection(const TdsConnection&) = delete;
    TdsConnection& operator=(const TdsConnection&) = delete;

    // Sends one batch and waits for its first answer. Throws on a server error or a broken
    // connection; the rest of the answer is discarded before throwing.
    void execute(const std::string& sql);
    // Sends a batch, drains all its results and returns nothing (SET, USE ...).
    void run(const std::string& sql);
    // Moves to the next result set of the current batch; false when there are no more.
    // Throws when a statement of the batch failed.
    bool nextResult();
    // Moves to the next row of the current result set; false at its end. Throws when the
    // connection breaks or times out.
    bool nextRow();
    // Discards the rest of the current batch (sends a cancel when rows are still coming).
    void cancel();
    // Ends the session now; the connection is dead from then on (a pool drops it).
    void close();
    // True while a batch is being answered.
    bool busy() const { return busy_; }
    bool dead() const;

    tds_dblib_dbprocess* handle() const { return proc_; }
    const std::string& serverName() const { return target_.displayName; }
    std::int64_t statementsSent() const { return statements_; }
    // Informational messages received so far (5701 "Changed database context" ...).
    const std::vector<TdsMessage>& infoMessages() const;
    // The major version of the server (8 = 2000, 9 = 2005 ...), read once after the login.
    int versionMajor() const { return versionMajor_; }
    const std::string& versionString() const { return versionString_; }

    struct State;

private:
    [[noreturn]] void raise(const std::string& context);
    void drain();

    ConnectTarget target_;
    LoginOptions options_;
    tds_dblib_dbprocess* proc_ = nullptr;
    std::unique_ptr<State> state_;
    bool busy_ = false;
    bool inResult_ = false;
    std::int64_t statements_ = 0;
    int versionMajor_ = 8;
    std::string versionString_;
};

// The error for a db-lib error number (connection refused, timeout, broken connection ...),
// in words naming the server; for tests and for callers that map errors themselves.
sqldmo::Error libraryError(const TdsMessage& m, const std::string& server, const LoginOptions& options, bool duringLogin);

}  // namespace sqldmo::tds
