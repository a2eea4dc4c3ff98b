// A TDS server for tests: listens on 127.0.0.1 (an ephemeral port), speaks enough TDS 7.1-7.4
// for FreeTDS db-lib, tsql and freebcp (pre-login, login, SQL batches, attention), serves the
// catalogue queries and table rows of a DataSource, records what it received and injects
// faults on demand. Each client connection is served by a thread of its own; stop() (or the
// destructor, or the end of `lifetime`) ends them all.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/tdsserver/DataSource.h"
#include "tests/tdsserver/Wire.h"

namespace tdstest {

struct Faults {
    // Accept connections, read what arrives and never answer anything.
    bool noAnswer = false;
    // Batches whose text contains this are answered only after `slowDelay` (an attention
    // from the client cuts the wait short).
    std::string slowMatch;
    std::chrono::milliseconds slowDelay{0};
    // Batches whose text contains this fail with this server error.
    std::string errorMatch;
    std::int32_t errorNumber = 50000;
    int errorSeverity = 16;
    int errorState = 1;
    std::string errorText = "The test server was told to fail this batch.";
    // A SELECT from this table (name without owner, any case) closes the connection after
    // this many rows have been sent.
    std::string dropTable;
    std::int64_t dropAfterRows = 0;
};

// What a client sent in its LOGIN7 record.
struct LoginRecord {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 0;
    std::string hostName;
    std::string userName;
    std::string password;
    std::string appName;
    std::string serverName;
    std::string library;
    std::string language;
    std::string database;
    bool bulkCopy = false;
    bool integrated = false;  // SSPI/Kerberos data present
    int negotiatedPacketSize = 0;
};

struct Observed {
    std::vector<LoginRecord> logins;
    std::vector<std::string> batches;         // every SQL batch, in arrival order
    std::vector<std::int32_t> lockTimeouts;   // values of SET LOCK_TIMEOUT received
    int attentions = 0;
    int connections = 0;
};

struct ServerOptions {
    std::shared_ptr<const DataSource> data;
    TdsVersion maxVersion = TdsVersion::V74;
    std::string user = "sa";        // the one login the server knows
    std::string password = "secret";
    std::string serverName = "TDSTEST";
    Faults faults;
    // The server stops by itself after this long, whatever happens.
    std::chrono::seconds lifetime{600};
};

class TestServer {
public:
    explicit TestServer(ServerOptions options);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Binds 127.0.0.1:0 and starts accepting; throws std::runtime_error when it cannot.
    void start();
    void stop();
    int port() const { return port_; }
    // "127.0.0.1,PORT": a server name FreeTDS and our backend understand.
    std::string address() const { return "127.0.0.1," + std::to_string(port_); }

    void setFaults(const Faults& f);
    Faults faults() const;
    Observed observed() const;
    std::int64_t batchCount() const;
    void clearObserved();
    const ServerOptions& options() const { return options_; }

    // Used by the sessions.
    void record(const LoginRecord& r);
    void recordBatch(const std::string& sql);
    void recordLockTimeout(std::int32_t v);
    void recordAttention();
    bool stopping() const { return stopping_.load(); }
    int wakeFd() const { return wakePipe_[0]; }

private:
    void acceptLoop();
    void serve(int fd);

    ServerOptions options_;
    int listenFd_ = -1;
    int port_ = 0;
    int wakePipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::vector<std::thread> sessions_;
    std::vector<int> sessionFds_;
    Observed observed_;
    std::chrono::steady_clock::time_point started_;
};

}  // namespace tdstest
