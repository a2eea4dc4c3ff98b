// What a script for SQL Server 7.0 leaves out of a table. The scripter and the data sections
// both read it, so that no row is loaded into a column the schema did not create.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sqldmo/model/Catalog.h"

namespace sqldmo::script {

// "bigint" or "sql_variant" when the column has that type (directly or through a user-defined
// type), which SQL Server 7.0 lacks; empty otherwise.
std::string_view typeMissingIn70(const model::Column& column);

// A trigger's text with the AFTER of its header written FOR, which SQL Server 7.0 reads (AFTER
// came with 2000, where both mean the same). Any other text is returned as it is.
std::string triggerTextFor70(std::string_view text);

// The left-out parts of one table: columns of a type 7.0 lacks, computed columns over them or
// calling a user-defined function (7.0 has none, so the script leaves every function out), and
// the defaults, checks, keys, indexes, foreign keys and triggers that need any of these.
class LeftOutFor70 {
public:
    LeftOutFor70() = default;  // leaves out nothing: the script is not for SQL Server 7.0
    // `functions`: the user-defined functions the table uses, as its catalogue entry records
    // them; they tell which expressions call one.
    LeftOutFor70(const model::Table& table, const std::vector<const model::SchemaObject*>& functions);
    // The same, with the functions found among the database's.
    static LeftOutFor70 of(const model::Table& table, const model::Database& database);

    bool column(std::string_view name) const;
    bool anyColumn(const std::vector<model::IndexColumn>& columns) const;
    bool anyColumn(const std::vector<std::string>& columns) const;
    bool everyColumn() const noexcept { return columnCount_ > 0 && columns_.size() == columnCount_; }
    // The function an expression calls, as [owner].[name] (comment-safe); empty when it calls none.
    std::string functionCalledBy(std::string_view expression) const;
    // The first column left out that a text names, as [name] (comment-safe); empty when none.
    std::string columnNamedIn(std::string_view text) const;
    // True when the expression names a column left out or calls a function.
    bool expression(std::string_view text) const;
    bool defaultOf(const model::Column& column) const;
    bool check(const model::CheckConstraint& check) const;
    // `target`: what is left out of the table the key refers to.
    bool foreignKey(const model::ForeignKey& key, const LeftOutFor70& target) const;
    bool trigger(const model::Trigger& trigger) const { return active_ && trigger.insteadOf; }

private:
    bool active_ = false;
    std::size_t columnCount_ = 0;
    std::vector<std::string> columns_;    // folded names
    std::vector<std::string> columnNames_;  // the same, as the catalogue spells them
    std::vector<std::string> functions_;  // folded names of the functions the table uses
    std::vector<std::string> functionTitles_;
};

}  // namespace sqldmo::script
