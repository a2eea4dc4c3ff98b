// The ServerBackend of a live SQL Server.
#include <cctype>
#include <map>
#include <mutex>
#include <optional>
#include <strings.h>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/tds/CatalogQueries.h"
#include "sqldmo/tds/LiveCatalogReader.h"
#include "sqldmo/tds/QueryShape.h"
#include "sqldmo/tds/ServerName.h"
#include "sqldmo/tds/TdsPool.h"
#include "sqldmo/tds/TdsRowSet.h"

namespace sqldmo {
namespace {

using namespace sqldmo::tds;

class TdsBackend : public ServerBackend {
public:
    TdsBackend(ConnectTarget target, const LoginOptions& options)
        : pool_(std::make_shared<TdsPool>(std::move(target), options)) {
        // Connect now, so that a failing login is reported by the open.
        pool_->release(pool_->acquire());
    }

    model::Server serverInfo() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!server_) {
            TdsLease c = lease();
            server_ = LiveCatalogReader(*c).server();
            if (server_->name.empty()) server_->name = pool_->target().displayName;
        }
        return *server_;
    }

    std::vector<std::string> databaseNames() override {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        for (const auto& h : headers()) out.push_back(h.name);
        return out;
    }

    std::vector<model::Login> logins() override {
        TdsLease c = lease();
        return LiveCatalogReader(*c).logins();
    }

    std::shared_ptr<const model::Database> database(const std::string& name) override {
        std::optional<DatabaseHeader> header;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (const auto& h : headers())
                if (strcasecmp(h.name.c_str(), name.c_str()) == 0) header = h;
        }
        if (!header)
            throw Error(errors::NotFound, "The database '" + name + "' was not found on server '" +
                                              pool_->target().displayName + "'.");
        TdsLease c = lease();
        useDatabase(*c, header->name);
        return LiveCatalogReader(*c).database(*header);
    }

    std::unique_ptr<RowSet> query(const std::string& database, const std::string& sql) override {
        TdsLease c = lease();
        useDatabase(*c, database);
        std::vector<ResultColumn> hints;
        if (auto table = singleTableOf(sql)) hints = declaredColumns(*c, database, *table);
        // Ask for the columns first unless the table is known to hold no sql_variant.
        bool probe = hints.empty();
        for (const auto& h : hints) probe = probe || h.type == SqlType::SqlVariant;
        return std::make_unique<TdsRowSet>(std::move(c), sql, probe, std::move(hints));
    }

    std::int64_t queriesSent() const override { return pool_->statements(); }

private:
    TdsLease lease() { return TdsLease(pool_, pool_->acquire()); }

    // The declared columns of the one table a query reads, once per table: they tell char
    // from nchar and binary from varbinary, which db-lib does not. Best effort: a table the
    // catalogue does not find gives no hints.
    std::vector<ResultColumn> declaredColumns(TdsConnection& c, const std::string& database, const std::string& table) {
        std::string key = database + "\n" + table;
        for (auto& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (auto it = hints_.find(key); it != hints_.end()) return it->second;
        }
        std::vector<ResultColumn> out;
        try {
            TdsRowSet rs(c, tableColumnsSql(table, c.versionMajor()));
            const int cName = rs.find("name"), cBase = rs.find("basetype"), cLen = rs.find("length"),
                      cPrec = rs.find("prec"), cScale = rs.find("scale");
            while (rs.next()) {
                ResultColumn rc;
                rc.name = rs.value(static_cast<std::size_t>(cName)).text;
                rc.typeName = rs.value(static_cast<std::size_t>(cBase)).text;
                rc.type = sqlTypeFromName(rc.typeName);
                rc.length = declaredLength(rc.typeName, rs.value(static_cast<std::size_t>(cLen)).integer);
                rc.precision = static_cast<int>(rs.value(static_cast<std::size_t>(cPrec)).integer);
                rc.scale = static_cast<int>(rs.value(static_cast<std::size_t>(cScale)).integer);
                out.push_back(std::move(rc));
            }
        } catch (const Error&) {
            if (c.dead()) throw;
            return {};
        }
        std::lock_guard<std::mutex> lock(mutex_);
        hints_[key] = out;
        return out;
    }

    // The database list, read once (callers hold mutex_).
    const std::vector<DatabaseHeader>& headers() {
        if (!headers_) {
            TdsLease c = lease();
            headers_ = LiveCatalogReader(*c).databases();
        }
        return *headers_;
    }

    std::shared_ptr<TdsPool> pool_;
    std::mutex mutex_;
    std::optional<model::Server> server_;
    std::optional<std::vector<DatabaseHeader>> headers_;
    std::map<std::string, std::vector<ResultColumn>> hints_;
};

}  // namespace

std::unique_ptr<ServerBackend> openTdsBackend(const std::string& serverName, const LoginOptions& options) {
    // An instance name is resolved through the SQL Server Browser within the login timeout.
    int wait = options.loginTimeout > 0 ? std::min(options.loginTimeout, 5) : 5;
    ConnectTarget target = resolveServerName(serverName, std::chrono::seconds(wait));
    return std::make_unique<TdsBackend>(std::move(target), options);
}

}  // namespace sqldmo
