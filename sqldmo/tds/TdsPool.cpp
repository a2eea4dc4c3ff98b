// Connections of a live backend.
#include "sqldmo/tds/TdsPool.h"

#include <sybfront.h>
#include <sybdb.h>

#include <algorithm>
#include <strings.h>

namespace sqldmo::tds {

TdsPool::TdsPool(ConnectTarget target, LoginOptions options) : target_(std::move(target)), options_(std::move(options)) {}

std::unique_ptr<TdsConnection> TdsPool::acquire() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (!idle_.empty()) {
            auto c = std::move(idle_.back());
            idle_.pop_back();
            if (!c->dead()) return c;
            counted_ += c->statementsSent();
            all_.erase(std::remove(all_.begin(), all_.end(), c.get()), all_.end());
        }
    }
    auto c = std::make_unique<TdsConnection>(target_, options_);
    std::lock_guard<std::mutex> lock(mutex_);
    all_.push_back(c.get());
    return c;
}

void TdsPool::release(std::unique_ptr<TdsConnection> c) {
    if (!c) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!c->dead() && !c->busy() && idle_.size() < 2) {
        idle_.push_back(std::move(c));
        return;
    }
    counted_ += c->statementsSent();
    all_.erase(std::remove(all_.begin(), all_.end(), c.get()), all_.end());
}

std::int64_t TdsPool::live() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::int64_t n = 0;
    for (const auto* c : all_) n += c->statementsSent();
    return n;
}

void TdsLease::reset() {
    if (!conn_) return;
    if (conn_->busy()) conn_->cancel();
    pool_->release(std::move(conn_));
}

std::string bracketName(const std::string& name) {
    std::string out = "[";
    for (char c : name) {
        out.push_back(c);
        if (c == ']') out.push_back(']');
    }
    out.push_back(']');
    return out;
}

void useDatabase(TdsConnection& c, const std::string& db) {
    if (db.empty()) return;
    const char* current = dbname(c.handle());
    if (current && strcasecmp(current, db.c_str()) == 0) return;
    c.run("USE " + bracketName(db));
}

}  // namespace sqldmo::tds
