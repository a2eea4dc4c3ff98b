// Data sources of the test server.
#include "tests/tdsserver/DataSource.h"

#include <algorithm>
#include <cctype>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"

namespace tdstest {

using namespace sqldmo;

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Streams the rows of a backend's RowSet.
class BackendRows : public RowSource {
public:
    explicit BackendRows(std::unique_ptr<RowSet> rows) : rows_(std::move(rows)) {}
    bool next(std::vector<Value>& row) override {
        if (!rows_->next()) return false;
        row.resize(rows_->columns().size());
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = rows_->value(i);
        return true;
    }

private:
    std::unique_ptr<RowSet> rows_;
};

std::string bracket(const std::string& name) {
    std::string out = "[";
    for (char c : name) {
        out.push_back(c);
        if (c == ']') out.push_back(']');
    }
    return out + "]";
}

}  // namespace

FixtureData::Key FixtureData::key(const std::string& db, const std::string& owner, const std::string& table) {
    return {lower(db), lower(owner), lower(table)};
}

void FixtureData::setRows(const std::string& db, const std::string& owner, const std::string& table,
                          std::vector<std::vector<Value>> rows) {
    auto shared = std::make_shared<std::vector<std::vector<Value>>>(std::move(rows));
    rows_[key(db, owner, table)] = [shared] { return std::make_unique<VectorRows>(*shared); };
}

void FixtureData::setRowFactory(const std::string& db, const std::string& owner, const std::string& table,
                                RowFactory f) {
    rows_[key(db, owner, table)] = std::move(f);
}

std::unique_ptr<RowSource> FixtureData::tableRows(const model::Database& db, const model::Table& table) const {
    auto it = rows_.find(key(db.name, table.owner, table.name));
    if (it == rows_.end()) return nullptr;
    return it->second();
}

BackendData::BackendData(std::shared_ptr<ServerBackend> backend) : backend_(std::move(backend)) {
    server_ = backend_->serverInfo();
    server_.logins = backend_->logins();
    server_.databases.clear();
    for (const auto& name : backend_->databaseNames()) {
        auto db = backend_->database(name);
        server_.databases.push_back(std::make_shared<model::Database>(*db));
    }
}

std::unique_ptr<RowSource> BackendData::tableRows(const model::Database& db, const model::Table& table) const {
    std::string list;
    for (const auto& c : table.columns) {
        if (!list.empty()) list += ", ";
        list += bracket(c.name);
    }
    if (list.empty()) return nullptr;
    auto rows = backend_->query(db.name, "SELECT " + list + " FROM " + bracket(table.owner) + "." + bracket(table.name));
    return std::make_unique<BackendRows>(std::move(rows));
}

std::vector<ColumnDef> tableColumns(const model::Table& table) {
    std::vector<ColumnDef> out;
    for (const auto& c : table.columns) {
        ColumnDef d;
        d.name = c.name;
        d.type = sqlTypeFromName(c.baseType.empty() ? c.dataType : c.baseType);
        if (d.type == SqlType::Unknown) d.type = SqlType::VarChar;
        d.length = c.length;
        d.precision = c.precision;
        d.scale = c.scale;
        d.nullable = c.nullable;
        d.table = table.name;
        if (d.type == SqlType::Timestamp) d.length = 8;
        out.push_back(std::move(d));
    }
    return out;
}

}  // namespace tdstest
