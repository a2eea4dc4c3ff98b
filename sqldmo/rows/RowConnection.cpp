// The row-reading connection over a backend: the connection string's keys become login options.
#include "sqldmo/rows/RowConnection.h"

#include <charconv>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/rows/ConnectionString.h"

namespace sqldmo {
namespace {

class BackendRowConnection final : public RowConnection {
public:
    BackendRowConnection(std::unique_ptr<ServerBackend> backend, std::string database)
        : backend_(std::move(backend)), database_(std::move(database)) {}

    std::unique_ptr<RowSet> execute(const std::string& sql) override { return backend_->query(database_, sql); }

private:
    std::unique_ptr<ServerBackend> backend_;
    std::string database_;
};

bool isTrue(std::string_view v) {
    return model::sameName(v, "SSPI") || model::sameName(v, "true") || model::sameName(v, "yes");
}

}  // namespace

std::unique_ptr<RowConnection> openRowConnection(std::string_view connectionString, const std::string& user,
                                                 const std::string& password, const RowConnectionOptions& options) {
    const auto cs = ConnectionString::parse(connectionString);

    if (const auto provider = cs.value("Provider")) {
        const std::string_view p(*provider);
        const bool known = p.empty() || model::sameName(p, "SQLOLEDB") || model::sameName(p, "SQLOLEDB.1");
        if (!known)
            throw Error(errors::ConnectionFailed, "Provider '" + *provider +
                                                      "' cannot be found. It may not be properly installed.");
    }

    LoginOptions login;
    login.applicationName = cs.valueOr("Application Name", "");
    login.initialDatabase = cs.valueOr("Initial Catalog", cs.valueOr("Database", ""));
    login.loginTimeout = options.connectTimeout;
    login.queryTimeout = options.commandTimeout;
    if (const auto packet = cs.value("Packet Size"); packet && !packet->empty()) {
        int size = 0;
        const auto* end = packet->data() + packet->size();
        auto [ptr, ec] = std::from_chars(packet->data(), end, size);
        if (ec != std::errc{} || ptr != end)
            throw Error(errors::InvalidArgument, "The connection string's Packet Size '" + *packet + "' is not a number.");
        login.packetSize = size;
    }
    const auto integrated = cs.value("Integrated Security");
    login.integrated = integrated && isTrue(*integrated);
    if (!login.integrated) {
        // The arguments win; the string's own User ID and Password serve when they are empty.
        login.login = !user.empty() ? user : cs.valueOr("User ID", "");
        login.password = !password.empty() ? password : cs.valueOr("Password", "");
    }

    const std::string server = cs.valueOr("Data Source", cs.valueOr("Server", ""));
    auto backend = openServerBackend(server.empty() ? std::string("(local)") : server, login);
    return std::make_unique<BackendRowConnection>(std::move(backend), login.initialDatabase);
}

bool rowLayerAvailable() noexcept { return true; }

}  // namespace sqldmo
