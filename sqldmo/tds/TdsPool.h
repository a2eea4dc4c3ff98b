// The connections of one live backend: one is normally enough; a second opens when a row set
// still holds the first. A lease gives a connection back when it ends, cancelling whatever
// the server is still sending.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "sqldmo/tds/TdsConnection.h"

namespace sqldmo::tds {

class TdsPool : public std::enable_shared_from_this<TdsPool> {
public:
    TdsPool(ConnectTarget target, LoginOptions options);
    // An idle connection, or a new one (throws as TdsConnection does).
    std::unique_ptr<TdsConnection> acquire();
    void release(std::unique_ptr<TdsConnection> c);
    // Statements sent over all connections of the pool, closed ones included.
    std::int64_t statements() const { return counted_ + live(); }
    const ConnectTarget& target() const { return target_; }
    const LoginOptions& options() const { return options_; }

private:
    std::int64_t live() const;
    ConnectTarget target_;
    LoginOptions options_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<TdsConnection>> idle_;
    std::vector<const TdsConnection*> all_;
    std::atomic<std::int64_t> counted_{0};
};

class TdsLease {
public:
    TdsLease(std::shared_ptr<TdsPool> pool, std::unique_ptr<TdsConnection> c) : pool_(std::move(pool)), conn_(std::move(c)) {}
    ~TdsLease() { reset(); }
    TdsLease(TdsLease&&) = default;
    TdsLease& operator=(TdsLease&&) = delete;
    TdsConnection& operator*() const { return *conn_; }
    TdsConnection* operator->() const { return conn_.get(); }
    void reset();

private:
    std::shared_ptr<TdsPool> pool_;
    std::unique_ptr<TdsConnection> conn_;
};

// Makes `db` the connection's current database (a USE batch when it is not).
void useDatabase(TdsConnection& c, const std::string& db);

// "[name]" with "]" doubled.
std::string bracketName(const std::string& name);

}  // namespace sqldmo::tds
