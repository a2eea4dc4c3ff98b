// Rows over TDS: column descriptions from db-lib and values decoded from its buffers.
#include "sqldmo/tds/TdsRowSet.h"

#include <sybfront.h>
#include <sybdb.h>

#include <cstring>
#include <exception>
#include <strings.h>

#include "sqldmo/Error.h"
#include "sqldmo/tds/ValueForms.h"

namespace sqldmo::tds {
namespace {

constexpr int kTimestampUserType = 80;
constexpr int kLibGuid = 36;     // SYBUNIQUE
constexpr int kLibVariant = 98;  // SYBVARIANT

// The system type of a column from what db-lib tells: its buffer type and the user type.
// db-lib does not tell char from nchar or varchar, nor binary from varbinary: those come from
// the table's catalogue when the query reads one table (ColumnHints).
SqlType typeOf(int libType, int userType) {
    switch (libType) {
    case SYBINT1: return SqlType::TinyInt;
    case SYBINT2: return SqlType::SmallInt;
    case SYBINT4: return SqlType::Int;
    case SYBINT8: return SqlType::BigInt;
    case SYBBIT: case SYBBITN: return SqlType::Bit;
    case SYBREAL: return SqlType::Real;
    case SYBFLT8: return SqlType::Float;
    case SYBMONEY: return SqlType::Money;
    case SYBMONEY4: return SqlType::SmallMoney;
    case SYBDATETIME: return SqlType::DateTime;
    case SYBDATETIME4: return SqlType::SmallDateTime;
    case SYBDECIMAL: return SqlType::Decimal;
    case SYBNUMERIC: return SqlType::Numeric;
    case kLibGuid: return SqlType::UniqueIdentifier;
    case SYBCHAR: case SYBVARCHAR: return SqlType::VarChar;
    case SYBTEXT: case SYBNTEXT: return SqlType::Text;
    case SYBBINARY: case SYBVARBINARY: return userType == kTimestampUserType ? SqlType::Timestamp : SqlType::VarBinary;
    case SYBIMAGE: return SqlType::Image;
    case kLibVariant: return SqlType::SqlVariant;
    default: return SqlType::Unknown;
    }
}

// Whether a catalogue type may stand for what db-lib reports.
bool compatible(SqlType lib, SqlType declared) {
    switch (lib) {
    case SqlType::VarChar:
        return declared == SqlType::Char || declared == SqlType::VarChar || declared == SqlType::NChar ||
               declared == SqlType::NVarChar;
    case SqlType::Text:
        return declared == SqlType::Text || declared == SqlType::NText || declared == SqlType::VarChar ||
               declared == SqlType::NVarChar;
    case SqlType::VarBinary: return declared == SqlType::Binary || declared == SqlType::VarBinary;
    case SqlType::Image: return declared == SqlType::Image || declared == SqlType::VarBinary;
    default: return lib == declared;
    }
}

// Magnitude bytes (sign byte included) db-lib keeps for a numeric of this precision.
int numericBytes(int precision) {
    static const int table[] = {1,  2,  2,  3,  3,  4,  4,  4,  5,  5,  6,  6,  6,  7,  7,  8,  8,  9,  9,  9,
                                10, 10, 11, 11, 11, 12, 12, 13, 13, 14, 14, 14, 15, 15, 16, 16, 16, 17, 17};
    if (precision < 0 || precision > 38) return 17;
    return table[precision];
}

template <class T>
T load(const BYTE* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string quoteList(const std::vector<std::string>& names) {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "'" : ", '") + n + "'";
    return s;
}

}  // namespace

TdsRowSet::TdsRowSet(TdsLease lease, const std::string& sql, bool probe, std::vector<ResultColumn> hints)
    : lease_(std::move(lease)), hints_(std::move(hints)) {
    start(sql, probe);
}

TdsRowSet::TdsRowSet(TdsConnection& borrowed, const std::string& sql) : borrowed_(&borrowed) { start(sql, false); }

TdsRowSet::~TdsRowSet() {
    if (!ended_) {
        try {
            conn().cancel();
        } catch (...) {
        }
    }
}

int TdsRowSet::find(const std::string& name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (strcasecmp(columns_[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

bool TdsRowSet::firstResultSet() {
    while (conn().nextResult()) {
        if (dbnumcols(conn().handle()) > 0) return true;
        while (conn().nextRow()) {
        }
    }
    return false;
}

void TdsRowSet::start(const std::string& sql, bool probe) {
    auto variantNames = [&] {
        std::vector<std::string> v;
        for (const auto& c : columns_)
            if (c.type == SqlType::SqlVariant) v.push_back(c.name);
        return v;
    };
    if (probe) {
        probeColumns(sql);
        const auto variants = variantNames();
        if (!variants.empty()) {
            readWrapped(sql, variants);
            return;
        }
    }
    conn().execute(sql);
    if (!firstResultSet()) {
        ended_ = true;
        columns_.clear();
        cols_.clear();
        values_.clear();
        return;
    }
    describe(dbnumcols(conn().handle()));
    if (const auto variants = variantNames(); !variants.empty()) {
        // Variant rows are already coming; db-lib may choke on them even while discarding them.
        conn().cancel();
        throw Error(errors::NotSupported, "The query returns sql_variant columns (" + quoteList(variants) +
                                              ") that cannot be read here.");
    }
}

void TdsRowSet::probeColumns(const std::string& sql) {
    // The columns alone: no rows travel. FMTONLY lasts for the session, and the probed text
    // may keep an "OFF" in the same batch from running (a trailing "--" comment, RETURN, an
    // error that ends the batch), so it is turned off in a batch of its own whatever happened.
    // A connection where even that fails is closed, so that its pool never hands it out again.
    std::exception_ptr failure;
    try {
        conn().execute("SET FMTONLY ON\n" + sql + "\n");
        if (firstResultSet()) describe(dbnumcols(conn().handle()));
        while (conn().nextResult())
            while (conn().nextRow()) {
            }
    } catch (...) {
        failure = std::current_exception();
    }
    if (!conn().dead()) {
        try {
            conn().run("SET FMTONLY OFF");
        } catch (...) {
            conn().close();
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void TdsRowSet::readWrapped(const std::string& sql, const std::vector<std::string>& variants) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        for (std::size_t j = i + 1; j < columns_.size(); ++j)
            if (columns_[i].name.empty() || strcasecmp(columns_[i].name.c_str(), columns_[j].name.c_str()) == 0)
                throw Error(errors::NotSupported, "The sql_variant columns " + quoteList(variants) +
                                                      " cannot be read: the query's columns do not all have distinct names.");
    std::string inner = sql;
    while (!inner.empty() && (inner.back() == ';' || inner.back() == ' ' || inner.back() == '\n' || inner.back() == '\r' ||
                              inner.back() == '\t'))
        inner.pop_back();
    std::string wrap = "/* tavil:variant */ SELECT ";
    std::string parts;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const std::string q = "q." + bracketName(columns_[i].name);
        if (i) wrap += ", ";
        if (columns_[i].type == SqlType::SqlVariant) {
            wrap += "CONVERT(sql_variant, NULL) AS " + bracketName(columns_[i].name);
            parts += ", " + variantPartsSql(q, "tavil_v" + std::to_string(i + 1) + "_");
        } else {
            wrap += q;
        }
    }
    wrap += parts + " FROM (" + inner + ") AS q";
    const std::size_t visible = columns_.size();
    try {
        conn().execute(wrap);
        if (!firstResultSet()) throw Error(errors::NotSupported, "no result came back");
    } catch (const Error& e) {
        throw Error(errors::NotSupported, "The sql_variant columns " + quoteList(variants) +
                                              " could not be read: " + e.description());
    }
    describe(static_cast<int>(visible));
    int at = static_cast<int>(visible) + 1;
    for (std::size_t i = 0; i < visible; ++i)
        if (columns_[i].type == SqlType::SqlVariant) {
            cols_[i].variantParts = at;
            at += 7;
        }
    if (dbnumcols(conn().handle()) < at - 1)
        throw Error(errors::NotSupported, "The sql_variant columns " + quoteList(variants) + " could not be read.");
}

void TdsRowSet::describe(int visible) {
    DBPROCESS* p = conn().handle();
    columns_.clear();
    cols_.clear();
    for (int i = 1; i <= visible; ++i) {
        Col c;
        c.userType = dbcolutype(p, i);
        c.libType = dbcoltype(p, i);
        ResultColumn rc;
        const char* name = dbcolname(p, i);
        rc.name = name ? name : "";
        rc.type = typeOf(c.libType, c.userType);
        if (rc.type == SqlType::Decimal || rc.type == SqlType::Numeric) {
            if (DBTYPEINFO* ti = dbcoltypeinfo(p, i)) {
                rc.precision = ti->precision;
                rc.scale = ti->scale;
            }
        }
        for (const auto& h : hints_)
            if (strcasecmp(h.name.c_str(), rc.name.c_str()) == 0 && compatible(rc.type, h.type)) {
                rc.type = h.type;
                rc.length = h.length;
                if (h.type == SqlType::Decimal || h.type == SqlType::Numeric) {
                    rc.precision = h.precision;
                    rc.scale = h.scale;
                }
                break;
            }
        rc.typeName = std::string(sqlTypeName(rc.type));
        columns_.push_back(std::move(rc));
        cols_.push_back(c);
    }
    values_.assign(columns_.size(), Value{});
}

bool TdsRowSet::next() {
    if (ended_) return false;
    if (!conn().nextRow()) {
        finish();
        return false;
    }
    decodeRow();
    return true;
}

void TdsRowSet::finish() {
    ended_ = true;
    // The rest of the batch (trailing results and DONE tokens), then the connection goes back.
    while (conn().nextResult())
        while (conn().nextRow()) {
        }
    if (lease_) lease_->reset();
}

void TdsRowSet::decodeRow() {
    DBPROCESS* p = conn().handle();
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        const int col = static_cast<int>(i) + 1;
        const SqlType type = columns_[i].type;
        Value& v = values_[i];
        v.type = type;
        v.variant = false;
        if (cols_[i].variantParts) {
            VariantParts parts;
            const int at = cols_[i].variantParts;
            auto text = [&](int k) -> std::optional<std::string> {
                const BYTE* d = dbdata(p, at + k);
                if (!d) return std::nullopt;
                return std::string(reinterpret_cast<const char*>(d), static_cast<std::size_t>(dbdatlen(p, at + k)));
            };
            auto integer = [&](int k) {
                const BYTE* d = dbdata(p, at + k);
                return d ? load<DBINT>(d) : 0;
            };
            parts.baseType = text(0);
            parts.precision = integer(1);
            parts.scale = integer(2);
            parts.maxLength = integer(3);
            parts.unicodeText = text(4);
            parts.charText = text(5);
            parts.binary = text(6);
            v = variantFromParts(parts);
            continue;
        }
        const BYTE* d = dbdata(p, col);
        if (!d) {
            v = Value::null(type);
            continue;
        }
        const auto len = static_cast<std::size_t>(dbdatlen(p, col));
        switch (type) {
        case SqlType::Bit: case SqlType::TinyInt: case SqlType::SmallInt: case SqlType::Int: case SqlType::BigInt:
            v.kind = Value::Kind::Integer;
            switch (len) {
            case 1: v.integer = type == SqlType::Bit ? (d[0] ? 1 : 0) : d[0]; break;
            case 2: v.integer = load<std::int16_t>(d); break;
            case 4: v.integer = load<std::int32_t>(d); break;
            default: v.integer = load<std::int64_t>(d); break;
            }
            break;
        case SqlType::Real: case SqlType::Float:
            v.kind = Value::Kind::Float;
            v.real = len == 4 ? static_cast<double>(load<float>(d)) : load<double>(d);
            break;
        case SqlType::Money: case SqlType::SmallMoney:
            v.kind = Value::Kind::Exact;
            if (len == 4) {
                v.text = moneyText(load<DBMONEY4>(d).mny4);
            } else {
                auto m = load<DBMONEY>(d);
                v.text = moneyText(static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(m.mnyhigh)) << 32) | m.mnylow));
            }
            break;
        case SqlType::DateTime: case SqlType::SmallDateTime:
            v.kind = Value::Kind::DateTime;
            if (len == 4) {
                auto t = load<DBDATETIME4>(d);
                v.dateTime = dateTimeFromMinutes(t.days, t.minutes);
            } else {
                auto t = load<DBDATETIME>(d);
                v.dateTime = dateTimeFromTicks(t.dtdays, t.dttime);
            }
            break;
        case SqlType::Decimal: case SqlType::Numeric: {
            auto n = load<DBNUMERIC>(d);
            const int bytes = numericBytes(n.precision) - 1;
            v.kind = Value::Kind::Exact;
            v.text = decimalText(n.array[0] != 0, std::string_view(reinterpret_cast<const char*>(n.array + 1),
                                                                   static_cast<std::size_t>(bytes)),
                                 n.scale);
            break;
        }
        case SqlType::UniqueIdentifier:
            v.kind = Value::Kind::Guid;
            v.text = len == 16 ? guidText(std::string_view(reinterpret_cast<const char*>(d), 16)) : std::string();
            break;
        case SqlType::Char: case SqlType::VarChar: case SqlType::Text:
        case SqlType::NChar: case SqlType::NVarChar: case SqlType::NText:
            v.kind = Value::Kind::Text;
            v.text.assign(reinterpret_cast<const char*>(d), len);
            break;
        case SqlType::Binary: case SqlType::VarBinary: case SqlType::Image: case SqlType::Timestamp:
            v.kind = Value::Kind::Binary;
            v.text.assign(reinterpret_cast<const char*>(d), len);
            break;
        default: {
            // Types the layer has no literal for (xml, date, time ...): db-lib's text of them.
            std::string buf(len * 4 + 64, '\0');
            DBINT n = dbconvert(p, cols_[i].libType, d, static_cast<DBINT>(len), SYBCHAR,
                                reinterpret_cast<BYTE*>(buf.data()), static_cast<DBINT>(buf.size()));
            v.kind = Value::Kind::Text;
            v.text.assign(buf.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
            break;
        }
        }
    }
}

}  // namespace sqldmo::tds
