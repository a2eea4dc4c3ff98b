// Shared pieces of the TDS tests: a test server started for one test, and login options for it.
#pragma once

#include <memory>
#include <string>

#include "sqldmo/Backend.h"
#include "tests/tdsserver/Fixtures.h"
#include "tests/tdsserver/TestServer.h"

namespace tdstest {

// "[name]" with "]" doubled.
inline std::string bracket(const std::string& name) {
    std::string out = "[";
    for (char c : name) out += c == ']' ? std::string("]]") : std::string(1, c);
    return out + "]";
}

inline sqldmo::LoginOptions loginFor(const ServerOptions& o) {
    sqldmo::LoginOptions l;
    l.applicationName = "TDS tests";
    l.login = o.user;
    l.password = o.password;
    l.loginTimeout = 5;
    l.queryTimeout = 10;
    return l;
}

// A running server and a way to reach it; stops when it goes out of scope.
struct Running {
    explicit Running(std::shared_ptr<const DataSource> data, TdsVersion max = TdsVersion::V74) {
        ServerOptions o;
        o.data = std::move(data);
        o.maxVersion = max;
        o.lifetime = std::chrono::seconds(240);
        server = std::make_unique<TestServer>(o);
        server->start();
    }
    sqldmo::LoginOptions login() const { return loginFor(server->options()); }
    std::unique_ptr<sqldmo::ServerBackend> open(const sqldmo::LoginOptions& l) const {
        return sqldmo::openTdsBackend(server->address(), l);
    }
    std::unique_ptr<sqldmo::ServerBackend> open() const { return open(login()); }

    std::unique_ptr<TestServer> server;
};

}  // namespace tdstest
