// Emitter for extended properties (sp_addextendedproperty), with the sql_variant literal of
// each value.
#include <charconv>
#include <cstdio>

#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/ScriptBuilder.h"

namespace sqldmo::script {
namespace {

std::string shortestDouble(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    std::string s(buf, r.ptr);
    // A float literal needs an exponent; without one the server reads a decimal.
    auto e = s.find('e');
    if (e == std::string::npos) return s + "E0";
    s[e] = 'E';
    return s;
}

std::string hex(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string isoDateTime(const DateTimeValue& d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour, d.minute,
                  d.second, d.millisecond);
    return buf;
}

// The literal of a sql_variant value that keeps its base type. Constants whose own type is
// the base type are written as they are; the others through CAST or CONVERT, which an EXEC
// argument cannot hold, so they go through a variable (viaVariable).
std::string variantLiteral(const Value& v, bool& viaVariable) {
    viaVariable = false;
    auto cast = [&](std::string expr, std::string_view type) {
        viaVariable = true;
        return "CAST(" + expr + " AS " + std::string(type) + ")";
    };
    switch (v.kind) {
        case Value::Kind::Null: return "NULL";
        case Value::Kind::Integer:
            switch (v.type) {
                case SqlType::Bit: return cast(v.integer ? "1" : "0", "bit");
                case SqlType::TinyInt: return cast(std::to_string(v.integer), "tinyint");
                case SqlType::SmallInt: return cast(std::to_string(v.integer), "smallint");
                case SqlType::BigInt: return cast(std::to_string(v.integer), "bigint");
                default: return std::to_string(v.integer);
            }
        case Value::Kind::Float:
            if (v.type == SqlType::Real) return cast(shortestDouble(v.real), "real");
            return shortestDouble(v.real);
        case Value::Kind::Exact:
            if (v.type == SqlType::Money) return cast(v.text, "money");
            if (v.type == SqlType::SmallMoney) return cast(v.text, "smallmoney");
            if (v.precision > 0)
                return cast(v.text, std::string(sqlTypeName(v.type == SqlType::Numeric ? SqlType::Numeric : SqlType::Decimal)) +
                                        "(" + std::to_string(v.precision) + ", " + std::to_string(v.scale) + ")");
            return v.text;
        case Value::Kind::Text: {
            std::string lit = quote::unicode(v.text);
            int length = v.maxLength > 0 ? v.maxLength : static_cast<int>(v.text.size());
            if (length < 1) length = 1;
            switch (v.type) {
                case SqlType::Char: return cast(lit, "char(" + std::to_string(length) + ")");
                case SqlType::VarChar: return cast(lit, "varchar(" + std::to_string(length) + ")");
                case SqlType::NChar: return cast(lit, "nchar(" + std::to_string(length) + ")");
                default: return lit;
            }
        }
        case Value::Kind::Binary:
            if (v.type == SqlType::Binary)
                return cast(hex(v.text), "binary(" + std::to_string(v.text.empty() ? 1 : v.text.size()) + ")");
            return v.text.empty() ? cast("0x", "varbinary(1)") : hex(v.text);
        case Value::Kind::DateTime:
            viaVariable = true;
            return "CONVERT(" + std::string(v.type == SqlType::SmallDateTime ? "smalldatetime" : "datetime") + ", " +
                   quote::unicode(isoDateTime(v.dateTime)) + ", 126)";
        case Value::Kind::Guid: return cast(quote::unicode(v.text), "uniqueidentifier");
    }
    return "NULL";
}

std::string_view level1Type(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Table: return "table";
        case ObjectKind::View: return "view";
        case ObjectKind::Procedure: return "procedure";
        case ObjectKind::Function: return "function";
        case ObjectKind::Default: return "default";
        case ObjectKind::Rule: return "rule";
        case ObjectKind::Type: return {};
    }
    return {};
}

// Appends one sp_addextendedproperty per property, with `levels` after its value. A value that
// needs CAST or CONVERT goes through @value, declared once at the start of `s`. `replace`
// drops a property of that name first where there is one (database properties only: `levels`
// is empty).
void appendAdds(std::string& s, bool& declared, const std::vector<model::ExtendedProperty>& properties,
                const std::string& levels, bool replace, std::string_view nl) {
    for (const auto& prop : properties) {
        bool viaVariable = false;
        std::string value = variantLiteral(prop.value, viaVariable);
        const std::string name = quote::unicode(prop.name);
        if (replace) {
            s += "if exists (select * from ::fn_listextendedproperty(" + name + ", NULL, NULL, NULL, NULL, NULL, NULL))";
            s += nl;
            s += "\texec sp_dropextendedproperty " + name;
            s += nl;
        }
        if (viaVariable) {
            if (!declared) {
                s.insert(0, "DECLARE @value sql_variant" + std::string(nl));
                declared = true;
            }
            s += "SET @value = " + value;
            s += nl;
            value = "@value";
        }
        s += "exec sp_addextendedproperty " + name + ", " + value + levels;
        s += nl;
    }
}

}  // namespace

void ScriptBuilder::emitProperties(const PlannedObject& p, Group group, std::uint8_t sub, EntryId anchor, bool hasAnchor,
                                   std::string_view what, const std::vector<PropertyTarget>& targets) {
    if (!sw_.extendedProperties) return;
    bool any = false;
    for (const auto& t : targets) any = any || (t.properties && !t.properties->empty());
    if (!any) return;

    Entry e;
    e.group = group;
    e.rank = p.rank;
    e.sub = sub;
    e.label = "extended properties of " + std::string(what);
    if (hasAnchor) e.deps.push_back(anchor);
    if (sw_.only70) {
        e.comment = "-- Left out for SQL Server 7.0, which has no extended properties: those of " + std::string(what) + "." + nl_;
        addCreate(std::move(e));
        return;
    }
    const auto& o = *p.ref.object;
    std::string levels;
    if (p.ref.kind == ObjectKind::Type) {
        levels = ", N'type', " + quote::unicode(o.name);
    } else {
        levels = ", N'user', " + quote::unicode(o.owner) + ", " + quote::unicode(level1Type(p.ref.kind)) + ", " +
                 quote::unicode(o.name);
    }
    std::string s;
    bool declared = false;
    for (const auto& t : targets) {
        if (!t.properties) continue;
        std::string all = levels;
        if (!t.level2Type.empty()) all += ", " + quote::unicode(t.level2Type) + ", " + quote::unicode(t.level2Name);
        appendAdds(s, declared, *t.properties, all, false, nl_);
    }
    e.batches.push_back(std::move(s));
    addCreate(std::move(e));
}

void ScriptBuilder::emitDatabaseProperties() {
    // They go with the schema, as an object's go with its CREATE: a script of indexes or
    // permissions alone runs where the database has them already.
    if (!sw_.extendedProperties || !sw_.primaryObject || database_.properties.empty()) return;
    Entry e;
    e.group = Group::DatabaseProperty;
    e.label = "extended properties of the database";
    if (sw_.only70) {
        e.comment = "-- Left out for SQL Server 7.0, which has no extended properties: those of the database." + nl_;
    } else {
        std::string s;
        bool declared = false;
        // The database is not dropped with the objects, so a script that drops them replaces
        // its properties instead of failing on the ones it already has.
        appendAdds(s, declared, database_.properties, {}, sw_.drops, nl_);
        e.batches.push_back(std::move(s));
    }
    addCreate(std::move(e));
}

}  // namespace sqldmo::script
