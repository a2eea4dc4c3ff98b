// The rows of one query over a live connection, streamed row by row, every type without loss.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sqldmo/rows/RowSet.h"
#include "sqldmo/tds/TdsPool.h"

namespace sqldmo::tds {

class TdsRowSet : public RowSet {
public:
    // Runs `sql` and stands before its first row. A leased connection returns to its pool when
    // the rows end or the row set is destroyed (cancelling the rest); a borrowed one stays
    // with its owner. Throws sqldmo::Error or ServerError.
    //
    // sql_variant columns are read through the server's plain forms of them (ValueForms.h):
    // db-lib must never receive variant rows, not even to discard them. When `probe` is set the
    // result's columns are first asked for alone (SET FMTONLY ON); a result with variant columns
    // is then read wrapped. Without a probe a variant column is refused. `hints` are the
    // declared columns of the table the query reads, when it reads one: they tell the character
    // and binary types db-lib does not.
    TdsRowSet(TdsLease lease, const std::string& sql, bool probe, std::vector<ResultColumn> hints);
    TdsRowSet(TdsConnection& borrowed, const std::string& sql);
    ~TdsRowSet() override;

    const std::vector<ResultColumn>& columns() const override { return columns_; }
    bool next() override;
    const Value& value(std::size_t column) const override { return values_.at(column); }

    // Column index by name (any case), or -1.
    int find(const std::string& name) const;

private:
    struct Col {
        int userType = 0;
        int libType = 0;      // db-lib's type of the data in its buffer
        int variantParts = 0; // first db-lib column (1-based) of a variant's parts, 0 if none
    };
    void start(const std::string& sql, bool probe);
    void probeColumns(const std::string& sql);
    void readWrapped(const std::string& sql, const std::vector<std::string>& variants);
    bool firstResultSet();
    void describe(int visible);
    void decodeRow();
    void finish();
    TdsConnection& conn() const { return lease_ ? **lease_ : *borrowed_; }

    std::optional<TdsLease> lease_;
    TdsConnection* borrowed_ = nullptr;
    std::vector<ResultColumn> hints_;
    std::vector<ResultColumn> columns_;
    std::vector<Col> cols_;
    std::vector<Value> values_;
    bool ended_ = false;
};

}  // namespace sqldmo::tds
