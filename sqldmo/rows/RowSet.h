// A forward-only result set: the rows of one SELECT, streamed one at a time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sqldmo/model/Value.h"

namespace sqldmo {

struct ResultColumn {
    std::string name;
    SqlType type = SqlType::Unknown;  // the column's system type (sql_variant columns: SqlVariant)
    std::string typeName;             // as the server names it
    int length = 0;
    int precision = 0;
    int scale = 0;
};

class RowSet {
public:
    virtual ~RowSet() = default;
    virtual const std::vector<ResultColumn>& columns() const = 0;
    // Moves to the next row; false at the end. Throws sqldmo::Error when the source fails
    // (a broken connection, a timeout); rows already returned stay valid for the caller.
    virtual bool next() = 0;
    // The value of a column of the current row; valid until the next call of next().
    virtual const Value& value(std::size_t column) const = 0;
};

}  // namespace sqldmo
