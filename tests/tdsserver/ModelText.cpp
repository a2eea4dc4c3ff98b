// Text of catalogue models.
#include "tests/tdsserver/ModelText.h"

#include <cstdio>
#include <sstream>

namespace tdstest {

using namespace sqldmo;
using namespace sqldmo::model;

std::string valueText(const Value& v) {
    std::ostringstream o;
    o << sqlTypeName(v.type) << (v.variant ? "(variant)" : "") << ":";
    switch (v.kind) {
    case Value::Kind::Null: o << "NULL"; break;
    case Value::Kind::Integer: o << v.integer; break;
    case Value::Kind::Float: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v.real);
        o << buf;
        break;
    }
    case Value::Kind::Binary: {
        o << "0x";
        static const char* hex = "0123456789ABCDEF";
        for (unsigned char c : v.text) o << hex[c >> 4] << hex[c & 15];
        break;
    }
    case Value::Kind::DateTime: {
        char buf[40];
        const auto& d = v.dateTime;
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour, d.minute,
                      d.second, d.millisecond);
        o << buf;
        break;
    }
    default: o << "'" << v.text << "'"; break;
    }
    if (v.precision || v.scale || v.maxLength) o << " {" << v.precision << "," << v.scale << "," << v.maxLength << "}";
    return o.str();
}

namespace {

void props(std::ostringstream& o, const std::string& at, const std::vector<ExtendedProperty>& ps) {
    for (const auto& p : ps) o << at << " property " << p.name << " = " << valueText(p.value) << "\n";
}

void object(std::ostringstream& o, const std::string& at, const SchemaObject& s) {
    o << at << " id=" << s.id << " system=" << s.systemObject << "\n";
    for (auto d : s.dependsOn) o << at << " depends on " << d << "\n";
    for (const auto& p : s.permissions)
        o << at << " " << (p.action == Permission::Action::Deny ? "DENY " : "GRANT ") << p.privilege << " TO " << p.grantee
          << (p.column.empty() ? "" : " (" + p.column + ")") << (p.withGrantOption ? " WITH GRANT" : "") << "\n";
    props(o, at, s.properties);
}

std::string cols(const std::vector<IndexColumn>& c) {
    std::string s;
    for (const auto& x : c) s += (s.empty() ? "" : ",") + x.name + (x.descending ? " DESC" : "");
    return s;
}

void index(std::ostringstream& o, const std::string& at, const Index& i) {
    std::string p = at + " index " + i.name;
    o << p << " (" << cols(i.columns) << ") clustered=" << i.clustered << " unique=" << i.unique << " ignoredup="
      << i.ignoreDupKey << " pad=" << i.padIndex << " norecompute=" << i.statisticsNoRecompute << " fill=" << i.fillFactor
      << " fg=" << i.fileGroup << "\n";
    props(o, p, i.properties);
}

void trigger(std::ostringstream& o, const std::string& at, const Trigger& g) {
    std::string p = at + " trigger " + g.owner + "." + g.name;
    object(o, p, g);
    o << p << " qi=" << g.settings.quotedIdentifier << " an=" << g.settings.ansiNulls << " enc=" << g.encrypted
      << " instead=" << g.insteadOf << " ins=" << g.onInsert << " upd=" << g.onUpdate << " del=" << g.onDelete
      << " disabled=" << g.disabled << "\n";
    o << p << " text " << g.text << "\n";
}

template <class M>
void module(std::ostringstream& o, const std::string& p, const M& m) {
    object(o, p, m);
    o << p << " qi=" << m.settings.quotedIdentifier << " an=" << m.settings.ansiNulls << " enc=" << m.encrypted << "\n";
    o << p << " text " << m.text << "\n";
}

}  // namespace

std::string databaseText(const Database& db) {
    std::ostringstream o;
    o << "database " << db.name << " owner=" << db.owner << " collation=" << db.collation << " level="
      << db.compatibilityLevel << " system=" << db.systemObject << "\n";
    props(o, "database", db.properties);
    for (const auto& t : db.tables) {
        std::string p = "table " + t.owner + "." + t.name;
        object(o, p, t);
        o << p << " fg=" << t.fileGroup << " textfg=" << t.textFileGroup << " rows=" << t.rowCount << "\n";
        for (const auto& c : t.columns) {
            std::string q = p + " column " + c.name;
            o << q << " " << c.dataType << "/" << c.baseType << "(" << c.length << "," << c.precision << "," << c.scale
              << ") null=" << c.nullable << " identity=" << c.identity;
            if (c.identity) o << "(" << c.identitySeed << "," << c.identityIncrement << ",nfr=" << c.identityNotForReplication << ")";
            o << " computed=" << c.computedText << " collation=" << c.collation << " rowguid=" << c.rowGuidCol
              << " default=" << c.defaultConstraintName << ":" << c.defaultConstraintText << " bound=" << c.boundDefault
              << "/" << c.boundRule << "\n";
            props(o, q, c.properties);
        }
        auto key = [&](const KeyConstraint& k) {
            std::string q = p + (k.primaryKey ? " primary key " : " unique ") + k.name;
            o << q << " (" << cols(k.columns) << ") clustered=" << k.clustered << " fill=" << k.fillFactor << " fg="
              << k.fileGroup << "\n";
            props(o, q, k.properties);
        };
        if (t.primaryKey) key(*t.primaryKey);
        for (const auto& u : t.uniqueConstraints) key(u);
        for (const auto& f : t.foreignKeys) {
            std::string q = p + " foreign key " + f.name;
            std::string a, b;
            for (const auto& c : f.columns) a += c + ",";
            for (const auto& c : f.referencedColumns) b += c + ",";
            o << q << " (" << a << ") -> " << f.referencedTableId << " " << f.referencedOwner << "." << f.referencedTable
              << " (" << b << ") del=" << int(f.onDelete) << " upd=" << int(f.onUpdate) << " nfr=" << f.notForReplication
              << " disabled=" << f.disabled << "\n";
            props(o, q, f.properties);
        }
        for (const auto& k : t.checks) {
            std::string q = p + " check " + k.name;
            o << q << " " << k.text << " column=" << k.column << " nfr=" << k.notForReplication << " disabled=" << k.disabled
              << "\n";
            props(o, q, k.properties);
        }
        for (const auto& i : t.indexes) index(o, p, i);
        for (const auto& g : t.triggers) trigger(o, p, g);
        if (t.fullTextIndex) {
            o << p << " fulltext " << t.fullTextIndex->catalog << " key=" << t.fullTextIndex->keyIndex << " active="
              << t.fullTextIndex->active << "\n";
            for (const auto& c : t.fullTextIndex->columns) o << p << " fulltext column " << c.name << " " << c.language << "\n";
        }
    }
    for (const auto& v : db.views) {
        std::string p = "view " + v.owner + "." + v.name;
        module(o, p, v);
        for (const auto& i : v.indexes) index(o, p, i);
        for (const auto& g : v.triggers) trigger(o, p, g);
    }
    for (const auto& s : db.procedures) module(o, "procedure " + s.owner + "." + s.name, s);
    for (const auto& f : db.functions) {
        module(o, "function " + f.owner + "." + f.name, f);
        o << "function " << f.owner << "." << f.name << " kind=" << int(f.kind) << "\n";
    }
    for (const auto& d : db.defaults) {
        object(o, "default " + d.owner + "." + d.name, d);
        o << "default " << d.owner << "." << d.name << " text " << d.text << "\n";
    }
    for (const auto& r : db.rules) {
        object(o, "rule " + r.owner + "." + r.name, r);
        o << "rule " << r.owner << "." << r.name << " text " << r.text << "\n";
    }
    for (const auto& t : db.types) {
        std::string p = "type " + t.owner + "." + t.name;
        object(o, p, t);
        o << p << " " << t.baseType << "(" << t.length << "," << t.precision << "," << t.scale << ") null=" << t.nullable
          << " bound=" << t.boundDefault << "/" << t.boundRule << "\n";
    }
    for (const auto& u : db.users) o << "user " << u.name << " login=" << u.login << " system=" << u.systemObject << "\n";
    for (const auto& r : db.roles) {
        o << "role " << r.name << " app=" << r.applicationRole << " fixed=" << r.fixedRole << "\n";
        for (const auto& m : r.members) o << "role " << r.name << " member " << m << "\n";
    }
    return o.str();
}

std::string serverText(const Server& s) {
    std::ostringstream o;
    o << "server " << s.name << " " << s.versionMajor << "." << s.versionMinor << " " << s.versionString << " login="
      << s.login << "\n";
    for (const auto& l : s.logins)
        o << "login " << l.name << " db=" << l.defaultDatabase << " lang=" << l.defaultLanguage << " nt=" << l.windowsLogin
          << " group=" << l.windowsGroup << " deny=" << l.denyLogin << "\n";
    return o.str();
}

}  // namespace tdstest
