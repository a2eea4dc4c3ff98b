// Data sources built in code for the TDS tests and benchmarks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "tests/tdsserver/DataSource.h"

namespace tdstest {

// A server with a database "Sample" that uses every catalogue feature the reader reads (types,
// defaults, rules, keys, indexes, checks, triggers, full-text, permissions, properties,
// dependencies, users and roles, texts longer than 4000 characters, names with "]") and tables
// whose rows hold every data type, NULLs, Unicode and edge values. `version` is the server's
// version string ("8.00.2039" for 2000, "9.00.5000.00" for 2005, "10.50.1600.1" ...); max types
// appear only from 2005 on.
std::shared_ptr<FixtureData> richFixture(const std::string& version = "8.00.2039");

// A server with a database "Synth" of `tables` similar tables (a key, four columns, an index, a
// foreign key to the previous table), plus a view and a procedure per ten tables.
std::shared_ptr<FixtureData> syntheticFixture(int tables, const std::string& version = "8.00.2039");

// Adds to `data` a database "Bench" with one table dbo.Rows of `rows` generated rows
// (int, nvarchar, money, datetime, float, varchar, bit, decimal), produced on demand.
void addBenchTable(FixtureData& data, std::int64_t rows);

}  // namespace tdstest
