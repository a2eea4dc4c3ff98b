// The token stream of a TDS reply as the test server writes it: login acknowledgement,
// environment changes, messages, column metadata, rows and DONE, for TDS 7.1 to 7.4.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sqldmo/model/Value.h"
#include "tests/tdsserver/Wire.h"

namespace tdstest {

// One column of a result set as the server describes it.
struct ColumnDef {
    std::string name;
    sqldmo::SqlType type = sqldmo::SqlType::Int;
    int length = 0;        // characters for char/nchar/varchar/nvarchar, bytes for binary/varbinary; -1 = max
    int precision = 0;     // decimal/numeric
    int scale = 0;
    bool nullable = true;
    std::string table;     // table name sent with text, ntext and image columns
};

// Produces the rows of a result set one at a time.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Fills `row` (one value per column) and returns true, or returns false at the end.
    virtual bool next(std::vector<sqldmo::Value>& row) = 0;
};

// A result set in memory.
class VectorRows : public RowSource {
public:
    explicit VectorRows(std::vector<std::vector<sqldmo::Value>> rows) : rows_(std::move(rows)) {}
    bool next(std::vector<sqldmo::Value>& row) override {
        if (at_ >= rows_.size()) return false;
        row = rows_[at_++];
        return true;
    }

private:
    std::vector<std::vector<sqldmo::Value>> rows_;
    std::size_t at_ = 0;
};

struct ResultSet {
    std::vector<ColumnDef> columns;
    std::unique_ptr<RowSource> rows;
};

// DONE status bits.
namespace done {
inline constexpr std::uint16_t Final = 0x0000;
inline constexpr std::uint16_t More = 0x0001;
inline constexpr std::uint16_t Error = 0x0002;
inline constexpr std::uint16_t Count = 0x0010;
inline constexpr std::uint16_t Attention = 0x0020;
}  // namespace done

// The collation the server reports (Latin1_General, case-insensitive, Windows-1252 sort 52).
inline constexpr char kCollation[5] = {0x09, 0x04, static_cast<char>(0xD0), 0x00, 0x34};

class TokenWriter {
public:
    TokenWriter(Writer& out, TdsVersion version) : out_(out), version_(version) {}

    void loginAck(const std::string& programName, std::uint32_t programVersion);
    void envDatabase(const std::string& newName, const std::string& oldName);
    void envLanguage(const std::string& newName);
    void envPacketSize(int newSize, int oldSize);
    void envCollation();
    void info(std::int32_t number, int state, int severity, const std::string& text, const std::string& server,
              const std::string& procedure = {}, int line = 1);
    void error(std::int32_t number, int state, int severity, const std::string& text, const std::string& server,
               const std::string& procedure = {}, int line = 1);
    void done(std::uint16_t status, std::uint16_t curCmd, std::uint64_t rows, std::uint8_t token = 0xFD);

    void colMetadata(const std::vector<ColumnDef>& columns);
    // One ROW token; `row` holds one value per column (a Null value for NULL).
    void row(const std::vector<ColumnDef>& columns, const std::vector<sqldmo::Value>& row);

private:
    void message(std::uint8_t token, std::int32_t number, int state, int severity, const std::string& text,
                 const std::string& server, const std::string& procedure, int line);
    void typeInfo(const ColumnDef& c);
    void value(const ColumnDef& c, const sqldmo::Value& v);
    void variant(const sqldmo::Value& v);
    bool plp(const ColumnDef& c) const { return c.length < 0 && atLeast72(version_); }

    Writer& out_;
    TdsVersion version_;
};

// Helpers shared with the fixtures: the wire forms of single values.
std::string encodeDecimalMagnitude(const std::string& digits, int scale, int bytes, bool& negative);
std::int64_t moneyUnits(const std::string& digits);  // value × 10000
std::string guidBytes(const std::string& canonical);
void dateTimeParts(const sqldmo::DateTimeValue& dt, std::int32_t& days, std::uint32_t& ticks);
int decimalBytes(int precision);  // storage bytes including the sign byte

}  // namespace tdstest
