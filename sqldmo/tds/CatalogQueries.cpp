// Texts of the catalogue queries.
//
// Version notes (where the texts differ):
//   | what                  | 2000 (8.x)                    | 2005 (9.x)                 | 2008+ (10.x and later)          |
//   |-----------------------|-------------------------------|----------------------------|---------------------------------|
//   | owner of an object    | a user: USER_NAME(uid)        | a schema: SCHEMA_NAME(uid) | as 2005                         |
//   | module text           | syscomments, 4000-char pieces | sys.sql_modules, one piece | as 2005                         |
//   | extended properties   | sysproperties                 | sys.extended_properties    | as 2005                         |
//   | dependencies          | sysdepends                    | sysdepends                 | sys.sql_expression_dependencies |
//   | users and roles       | sysusers, sysmembers          | sys.database_principals    | as 2005                         |
//   | permissions           | sysprotects (column bitmap)   | sys.database_permissions   | as 2005                         |
//   | indexes               | sysindexes, INDEXPROPERTY     | sys.indexes, sys.stats     | as 2005                         |
//   | full-text             | sysfulltextcatalogs, ftcatid  | sys.fulltext_indexes       | as 2005                         |
// The other queries read the compatibility views (sysobjects, syscolumns, sysforeignkeys,
// systypes ...), which 2005 and later still provide with the 2000 columns.
#include "sqldmo/tds/CatalogQueries.h"

#include "sqldmo/tds/ValueForms.h"

namespace sqldmo::tds {
namespace {

using T = SqlType;

std::vector<CatalogQuery> makeServerQueries() {
    std::vector<CatalogQuery> q;
    q.push_back({"server",
                 {{"servername", T::NVarChar, 128}, {"productversion", T::NVarChar, 128}, {"login", T::NVarChar, 128}},
                 "SELECT CONVERT(nvarchar(128), @@SERVERNAME) AS servername,"
                 " CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion')) AS productversion,"
                 " CONVERT(nvarchar(128), SUSER_SNAME()) AS login",
                 {}, {}});
    q.push_back({"databases",
                 {{"name", T::NVarChar, 128}, {"owner", T::NVarChar, 128}, {"collation", T::NVarChar, 128},
                  {"cmptlevel", T::Int}, {"dbid", T::Int}},
                 "SELECT d.name, CONVERT(nvarchar(128), SUSER_SNAME(d.sid)) AS owner,"
                 " CONVERT(nvarchar(128), DATABASEPROPERTYEX(d.name, 'Collation')) AS collation,"
                 " CONVERT(int, d.cmptlevel) AS cmptlevel, CONVERT(int, d.dbid) AS dbid"
                 " FROM master.dbo.sysdatabases d ORDER BY d.dbid",
                 {}, {}});
    q.push_back({"logins",
                 {{"name", T::NVarChar, 128}, {"dbname", T::NVarChar, 128}, {"language", T::NVarChar, 128},
                  {"isntname", T::Int}, {"isntgroup", T::Int}, {"denylogin", T::Int}},
                 "SELECT l.name, l.dbname, l.language, CONVERT(int, l.isntname) AS isntname,"
                 " CONVERT(int, l.isntgroup) AS isntgroup, CONVERT(int, l.denylogin) AS denylogin"
                 " FROM master.dbo.syslogins l ORDER BY l.name",
                 {}, {}});
    return q;
}

std::vector<CatalogQuery> makeDatabaseQueries() {
    std::vector<CatalogQuery> q;

    // Every schema object and constraint: kind, owner, parent, and the flags OBJECTPROPERTY knows.
    q.push_back({"objects",
                 {{"id", T::Int}, {"owner", T::NVarChar, 128}, {"name", T::NVarChar, 128}, {"xtype", T::Char, 2},
                  {"parent", T::Int}, {"issystem", T::Int}, {"quotedident", T::Int}, {"ansinulls", T::Int},
                  {"encrypted", T::Int}, {"insteadof", T::Int}, {"oninsert", T::Int}, {"onupdate", T::Int},
                  {"ondelete", T::Int}, {"disabled", T::Int}, {"notrepl", T::Int}, {"colid", T::Int}},
                 "SELECT o.id, OWNER(o.uid) AS owner, o.name, CONVERT(char(2), o.xtype) AS xtype, o.parent_obj AS parent,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'IsMSShipped'), 0)) AS issystem,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsQuotedIdentOn'), 1)) AS quotedident,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsAnsiNullsOn'), 1)) AS ansinulls,"
                 " CASE WHEN EXISTS (SELECT * FROM syscomments c WHERE c.id = o.id AND c.encrypted = 1) THEN 1 ELSE 0 END AS encrypted,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsInsteadOfTrigger'), 0)) AS insteadof,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsInsertTrigger'), 0)) AS oninsert,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsUpdateTrigger'), 0)) AS onupdate,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsDeleteTrigger'), 0)) AS ondelete,"
                 " CONVERT(int, ISNULL(CASE WHEN o.xtype = 'TR' THEN OBJECTPROPERTY(o.id, 'ExecIsTriggerDisabled')"
                 " ELSE OBJECTPROPERTY(o.id, 'CnstIsDisabled') END, 0)) AS disabled,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'CnstIsNotRepl'), 0)) AS notrepl,"
                 " CONVERT(int, ISNULL((SELECT k.colid FROM sysconstraints k WHERE k.constid = o.id), 0)) AS colid"
                 " FROM sysobjects o"
                 " WHERE o.xtype IN ('U', 'V', 'P', 'D', 'R', 'TR', 'FN', 'IF', 'TF', 'C', 'PK', 'UQ', 'F')"
                 " ORDER BY o.name, o.id",
                 // 2005: an encrypted module has no definition.
                 "SELECT o.id, OWNER(o.uid) AS owner, o.name, CONVERT(char(2), o.xtype) AS xtype, o.parent_obj AS parent,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'IsMSShipped'), 0)) AS issystem,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsQuotedIdentOn'), 1)) AS quotedident,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsAnsiNullsOn'), 1)) AS ansinulls,"
                 " CASE WHEN EXISTS (SELECT * FROM sys.sql_modules m WHERE m.object_id = o.id AND m.definition IS NULL) THEN 1 ELSE 0 END AS encrypted,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsInsteadOfTrigger'), 0)) AS insteadof,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsInsertTrigger'), 0)) AS oninsert,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsUpdateTrigger'), 0)) AS onupdate,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'ExecIsDeleteTrigger'), 0)) AS ondelete,"
                 " CONVERT(int, ISNULL(CASE WHEN o.xtype = 'TR' THEN OBJECTPROPERTY(o.id, 'ExecIsTriggerDisabled')"
                 " ELSE OBJECTPROPERTY(o.id, 'CnstIsDisabled') END, 0)) AS disabled,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'CnstIsNotRepl'), 0)) AS notrepl,"
                 " CONVERT(int, ISNULL((SELECT k.colid FROM sysconstraints k WHERE k.constid = o.id), 0)) AS colid"
                 " FROM sysobjects o"
                 " WHERE o.xtype IN ('U', 'V', 'P', 'D', 'R', 'TR', 'FN', 'IF', 'TF', 'C', 'PK', 'UQ', 'F')"
                 " ORDER BY o.name, o.id",
                 {}});

    // All columns of all user tables.
    q.push_back({"columns",
                 {{"tableid", T::Int}, {"colid", T::Int}, {"name", T::NVarChar, 128}, {"typename", T::NVarChar, 128},
                  {"basetype", T::NVarChar, 128}, {"length", T::Int}, {"prec", T::Int}, {"scale", T::Int},
                  {"nullable", T::Int}, {"isidentity", T::Int}, {"seed", T::BigInt}, {"incr", T::BigInt},
                  {"notrepl", T::Int}, {"collation", T::NVarChar, 128}, {"rowguidcol", T::Int}, {"defaultid", T::Int},
                  {"ruleid", T::Int}, {"iscomputed", T::Int}},
                 "SELECT c.id AS tableid, CONVERT(int, c.colid) AS colid, c.name,"
                 " TYPE_NAME(c.xusertype) AS typename, TYPE_NAME(c.xtype) AS basetype,"
                 " CONVERT(int, c.length) AS length, CONVERT(int, c.xprec) AS prec, CONVERT(int, c.xscale) AS scale,"
                 " CONVERT(int, c.isnullable) AS nullable,"
                 " CONVERT(int, ISNULL(COLUMNPROPERTY(c.id, c.name, 'IsIdentity'), 0)) AS isidentity,"
                 " CASE WHEN COLUMNPROPERTY(c.id, c.name, 'IsIdentity') = 1"
                 " THEN CONVERT(bigint, IDENT_SEED(QUOTENAME(OWNER(o.uid)) + '.' + QUOTENAME(o.name))) END AS seed,"
                 " CASE WHEN COLUMNPROPERTY(c.id, c.name, 'IsIdentity') = 1"
                 " THEN CONVERT(bigint, IDENT_INCR(QUOTENAME(OWNER(o.uid)) + '.' + QUOTENAME(o.name))) END AS incr,"
                 " CONVERT(int, ISNULL(COLUMNPROPERTY(c.id, c.name, 'IsIdNotForRepl'), 0)) AS notrepl,"
                 " CONVERT(nvarchar(128), c.collation) AS collation,"
                 " CONVERT(int, ISNULL(COLUMNPROPERTY(c.id, c.name, 'IsRowGuidCol'), 0)) AS rowguidcol,"
                 " c.cdefault AS defaultid, c.domain AS ruleid, CONVERT(int, c.iscomputed) AS iscomputed"
                 " FROM syscolumns c JOIN sysobjects o ON o.id = c.id"
                 " WHERE o.xtype = 'U'"
                 " ORDER BY c.id, c.colid",
                 {}, {}});

    // Stored text of modules, defaults, rules, computed columns and constraints. On 2000 a
    // text longer than 4000 characters spans several rows (seq 1, 2 ...) the reader joins.
    q.push_back({"texts",
                 {{"id", T::Int}, {"subid", T::Int}, {"seq", T::Int}, {"text", T::NVarChar, -1}},
                 "SELECT c.id, CONVERT(int, CASE WHEN o.xtype = 'U' THEN c.number ELSE 0 END) AS subid,"
                 " CONVERT(int, c.colid) AS seq, c.text"
                 " FROM syscomments c JOIN sysobjects o ON o.id = c.id"
                 " WHERE c.encrypted = 0 AND (o.xtype = 'U' OR c.number <= 1)"
                 " ORDER BY c.id, subid, seq",
                 "SELECT m.object_id AS id, 0 AS subid, 1 AS seq, m.definition AS text"
                 " FROM sys.sql_modules m WHERE m.definition IS NOT NULL"
                 " UNION ALL SELECT cc.object_id, cc.column_id, 1, cc.definition FROM sys.computed_columns cc"
                 " UNION ALL SELECT dc.object_id, 0, 1, dc.definition FROM sys.default_constraints dc"
                 " UNION ALL SELECT ck.object_id, 0, 1, ck.definition FROM sys.check_constraints ck"
                 " ORDER BY id, subid, seq",
                 {}});

    // Indexes of tables and views (statistics and hypothetical indexes left out); the ones
    // behind PRIMARY KEY and UNIQUE constraints are flagged. A NULL filegroup is the default one.
    q.push_back({"indexes",
                 {{"tableid", T::Int}, {"indid", T::Int}, {"name", T::NVarChar, 128}, {"isclustered", T::Int},
                  {"isunique", T::Int}, {"ignoredupkey", T::Int}, {"padindex", T::Int}, {"norecompute", T::Int},
                  {"fill", T::Int}, {"fgroup", T::NVarChar, 128}, {"primarykey", T::Int},
                  {"uniqueconstraint", T::Int}},
                 "SELECT i.id AS tableid, CONVERT(int, i.indid) AS indid, i.name,"
                 " CASE WHEN i.indid = 1 THEN 1 ELSE 0 END AS isclustered,"
                 " CONVERT(int, ISNULL(INDEXPROPERTY(i.id, i.name, 'IsUnique'), 0)) AS isunique,"
                 " CASE WHEN (i.status & 1) <> 0 THEN 1 ELSE 0 END AS ignoredupkey,"
                 " CONVERT(int, ISNULL(INDEXPROPERTY(i.id, i.name, 'IsPadIndex'), 0)) AS padindex,"
                 " CASE WHEN (i.status & 16777216) <> 0 THEN 1 ELSE 0 END AS norecompute,"
                 " CONVERT(int, i.OrigFillFactor) AS fill,"
                 " NULLIF(FILEGROUP_NAME(i.groupid), (SELECT TOP 1 f.groupname FROM sysfilegroups f WHERE (f.status & 16) <> 0)) AS fgroup,"
                 " CASE WHEN (i.status & 2048) <> 0 THEN 1 ELSE 0 END AS primarykey,"
                 " CASE WHEN (i.status & 4096) <> 0 THEN 1 ELSE 0 END AS uniqueconstraint"
                 " FROM sysindexes i JOIN sysobjects o ON o.id = i.id"
                 " WHERE o.xtype IN ('U', 'V') AND i.indid BETWEEN 1 AND 254"
                 " AND INDEXPROPERTY(i.id, i.name, 'IsStatistics') = 0 AND INDEXPROPERTY(i.id, i.name, 'IsHypothetical') = 0"
                 " ORDER BY i.id, i.indid",
                 "SELECT i.object_id AS tableid, i.index_id AS indid, i.name,"
                 " CASE WHEN i.type = 1 THEN 1 ELSE 0 END AS isclustered, CONVERT(int, i.is_unique) AS isunique,"
                 " CONVERT(int, i.ignore_dup_key) AS ignoredupkey, CONVERT(int, i.is_padded) AS padindex,"
                 " CONVERT(int, ISNULL(s.no_recompute, 0)) AS norecompute, CONVERT(int, i.fill_factor) AS fill,"
                 " CASE WHEN fg.is_default = 1 THEN NULL ELSE fg.name END AS fgroup,"
                 " CONVERT(int, i.is_primary_key) AS primarykey, CONVERT(int, i.is_unique_constraint) AS uniqueconstraint"
                 " FROM sys.indexes i JOIN sys.objects o ON o.object_id = i.object_id"
                 " LEFT JOIN sys.stats s ON s.object_id = i.object_id AND s.stats_id = i.index_id"
                 " LEFT JOIN sys.filegroups fg ON fg.data_space_id = i.data_space_id"
                 " WHERE o.type IN ('U', 'V') AND i.index_id > 0 AND i.is_hypothetical = 0"
                 " ORDER BY i.object_id, i.index_id",
                 {}});

    q.push_back({"indexcolumns",
                 {{"tableid", T::Int}, {"indid", T::Int}, {"keyno", T::Int}, {"colname", T::NVarChar, 128},
                  {"isdescending", T::Int}},
                 "SELECT k.id AS tableid, CONVERT(int, k.indid) AS indid, CONVERT(int, k.keyno) AS keyno, c.name AS colname,"
                 " CONVERT(int, ISNULL(INDEXKEY_PROPERTY(k.id, k.indid, k.keyno, 'IsDescending'), 0)) AS isdescending"
                 " FROM sysindexkeys k JOIN syscolumns c ON c.id = k.id AND c.colid = k.colid"
                 " JOIN sysobjects o ON o.id = k.id"
                 " WHERE o.xtype IN ('U', 'V')"
                 " ORDER BY k.id, k.indid, k.keyno",
                 "SELECT ic.object_id AS tableid, ic.index_id AS indid, CONVERT(int, ic.key_ordinal) AS keyno,"
                 " c.name AS colname, CONVERT(int, ic.is_descending_key) AS isdescending"
                 " FROM sys.index_columns ic JOIN sys.columns c ON c.object_id = ic.object_id AND c.column_id = ic.column_id"
                 " JOIN sys.objects o ON o.object_id = ic.object_id"
                 " WHERE o.type IN ('U', 'V') AND ic.key_ordinal > 0"
                 " ORDER BY ic.object_id, ic.index_id, ic.key_ordinal",
                 {}});

    // One row per column pair of every foreign key.
    q.push_back({"foreignkeys",
                 {{"constid", T::Int}, {"name", T::NVarChar, 128}, {"tableid", T::Int}, {"reftableid", T::Int},
                  {"refowner", T::NVarChar, 128}, {"reftable", T::NVarChar, 128}, {"keyno", T::Int},
                  {"colname", T::NVarChar, 128}, {"refcolname", T::NVarChar, 128}, {"deletecascade", T::Int},
                  {"updatecascade", T::Int}, {"notrepl", T::Int}, {"disabled", T::Int}},
                 "SELECT f.constid, k.name, f.fkeyid AS tableid, f.rkeyid AS reftableid, OWNER(r.uid) AS refowner,"
                 " r.name AS reftable, CONVERT(int, f.keyno) AS keyno, fc.name AS colname, rc.name AS refcolname,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(f.constid, 'CnstIsDeleteCascade'), 0)) AS deletecascade,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(f.constid, 'CnstIsUpdateCascade'), 0)) AS updatecascade,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(f.constid, 'CnstIsNotRepl'), 0)) AS notrepl,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(f.constid, 'CnstIsDisabled'), 0)) AS disabled"
                 " FROM sysforeignkeys f"
                 " JOIN sysobjects k ON k.id = f.constid"
                 " JOIN sysobjects r ON r.id = f.rkeyid"
                 " JOIN syscolumns fc ON fc.id = f.fkeyid AND fc.colid = f.fkey"
                 " JOIN syscolumns rc ON rc.id = f.rkeyid AND rc.colid = f.rkey"
                 " ORDER BY f.fkeyid, k.name, f.keyno",
                 {}, {}});

    // GRANT and DENY on objects and columns. On 2000 a column permission is a bitmap in
    // sysprotects.columns (bit colid % 8 of byte colid / 8 + 1); 0x01 alone means the whole object.
    q.push_back({"permissions",
                 {{"id", T::Int}, {"colname", T::NVarChar, 128}, {"grantee", T::NVarChar, 128},
                  {"privilege", T::VarChar, 20}, {"permstate", T::Char, 1}},
                 "SELECT p.id, CONVERT(nvarchar(128), NULL) AS colname, USER_NAME(p.uid) AS grantee,"
                 " CASE p.action WHEN 26 THEN 'REFERENCES' WHEN 193 THEN 'SELECT' WHEN 195 THEN 'INSERT'"
                 " WHEN 196 THEN 'DELETE' WHEN 197 THEN 'UPDATE' ELSE 'EXECUTE' END AS privilege,"
                 " CASE p.protecttype WHEN 204 THEN 'W' WHEN 205 THEN 'G' ELSE 'D' END AS permstate"
                 " FROM sysprotects p JOIN sysobjects o ON o.id = p.id"
                 " WHERE p.action IN (26, 193, 195, 196, 197, 224) AND (p.columns IS NULL OR p.columns = 0x01)"
                 " UNION ALL"
                 " SELECT p.id, c.name, USER_NAME(p.uid),"
                 " CASE p.action WHEN 26 THEN 'REFERENCES' WHEN 193 THEN 'SELECT' ELSE 'UPDATE' END,"
                 " CASE p.protecttype WHEN 204 THEN 'W' WHEN 205 THEN 'G' ELSE 'D' END"
                 " FROM sysprotects p JOIN syscolumns c ON c.id = p.id"
                 " WHERE p.action IN (26, 193, 197) AND p.columns IS NOT NULL AND p.columns <> 0x01"
                 " AND (CONVERT(int, SUBSTRING(p.columns, c.colid / 8 + 1, 1)) & POWER(2, c.colid % 8)) <> 0"
                 " ORDER BY 1, 2, 3, 4",
                 "SELECT p.major_id AS id, CASE WHEN p.minor_id > 0 THEN COL_NAME(p.major_id, p.minor_id) END AS colname,"
                 " USER_NAME(p.grantee_principal_id) AS grantee, CONVERT(varchar(20), p.permission_name) AS privilege,"
                 " CONVERT(char(1), p.state) AS permstate"
                 " FROM sys.database_permissions p"
                 " WHERE p.class = 1 AND p.state IN ('G', 'W', 'D')"
                 " AND p.permission_name IN ('SELECT', 'INSERT', 'UPDATE', 'DELETE', 'EXECUTE', 'REFERENCES')"
                 " ORDER BY 1, 2, 3, 4",
                 {}});

    // Extended properties of the database (D), objects (O), columns (C), indexes (I) and
    // types (T, 2005 and later). The value, a sql_variant, travels in the plain forms of
    // ValueForms.h (value_t ... value_b).
    {
        const std::string parts = variantPartsSql("p.value", "value_");
        q.push_back({"properties",
                     {{"propclass", T::Char, 1}, {"majorid", T::Int}, {"minorid", T::Int}, {"name", T::NVarChar, 128},
                      {"value_t", T::NVarChar, 128}, {"value_p", T::Int}, {"value_s", T::Int}, {"value_m", T::Int},
                      {"value_n", T::NVarChar, 4000}, {"value_c", T::VarChar, 8000}, {"value_b", T::VarBinary, 8000}},
                     "SELECT CASE WHEN p.type = 4 THEN 'C' WHEN p.type = 5 THEN 'I' WHEN p.id = 0 THEN 'D' ELSE 'O' END AS propclass,"
                     " p.id AS majorid, CONVERT(int, p.smallid) AS minorid, p.name, " + parts +
                     " FROM sysproperties p"
                     " ORDER BY 1, 2, 3, p.name",
                     "SELECT CASE p.class WHEN 0 THEN 'D' WHEN 1 THEN CASE WHEN p.minor_id = 0 THEN 'O' ELSE 'C' END"
                     " WHEN 6 THEN 'T' ELSE 'I' END AS propclass,"
                     " p.major_id AS majorid, p.minor_id AS minorid, p.name, " + parts +
                     " FROM sys.extended_properties p WHERE p.class IN (0, 1, 6, 7)"
                     " ORDER BY 1, 2, 3, p.name",
                     {}});
    }

    // Which object uses which, as the catalogue records it (2000 and 2005 do not record the use
    // of types).
    q.push_back({"dependencies",
                 {{"id", T::Int}, {"depid", T::Int}},
                 "SELECT DISTINCT d.id, d.depid FROM sysdepends d WHERE d.depid <> d.id ORDER BY d.id, d.depid",
                 {},
                 // A type (class 6) is named by its negated id, as the model numbers types.
                 "SELECT DISTINCT d.referencing_id AS id,"
                 " CASE WHEN d.referenced_class = 6 THEN -d.referenced_id ELSE d.referenced_id END AS depid"
                 " FROM sys.sql_expression_dependencies d"
                 " WHERE d.referencing_class = 1 AND d.referenced_class IN (1, 6) AND d.referenced_id IS NOT NULL"
                 " AND d.referenced_id <> d.referencing_id"
                 " AND d.referenced_server_name IS NULL AND d.referenced_database_name IS NULL"
                 " ORDER BY 1, 2"});

    q.push_back({"principals",
                 {{"id", T::Int}, {"name", T::NVarChar, 128}, {"kind", T::Char, 1}, {"loginname", T::NVarChar, 128},
                  {"fixed", T::Int}, {"issystem", T::Int}},
                 "SELECT CONVERT(int, u.uid) AS id, u.name,"
                 " CASE WHEN u.isapprole = 1 THEN 'A' WHEN u.issqlrole = 1 THEN 'R' ELSE 'U' END AS kind,"
                 " CASE WHEN u.issqlrole = 0 AND u.isapprole = 0 THEN SUSER_SNAME(u.sid) END AS loginname,"
                 " CASE WHEN u.issqlrole = 1 AND (u.uid = 0 OR u.uid >= 16384) THEN 1 ELSE 0 END AS fixed,"
                 " CASE WHEN u.name IN ('dbo', 'guest', 'INFORMATION_SCHEMA', 'sys') THEN 1 ELSE 0 END AS issystem"
                 " FROM sysusers u ORDER BY u.uid",
                 "SELECT p.principal_id AS id, p.name,"
                 " CASE p.type WHEN 'A' THEN 'A' WHEN 'R' THEN 'R' ELSE 'U' END AS kind,"
                 " CASE WHEN p.type IN ('S', 'U', 'G') THEN SUSER_SNAME(p.sid) END AS loginname,"
                 " CASE WHEN p.is_fixed_role = 1 OR p.name = 'public' THEN 1 ELSE 0 END AS fixed,"
                 " CASE WHEN p.name IN ('dbo', 'guest', 'INFORMATION_SCHEMA', 'sys') THEN 1 ELSE 0 END AS issystem"
                 " FROM sys.database_principals p WHERE p.type IN ('S', 'U', 'G', 'R', 'A') ORDER BY p.principal_id",
                 {}});

    q.push_back({"rolemembers",
                 {{"roleid", T::Int}, {"member", T::NVarChar, 128}},
                 "SELECT CONVERT(int, m.groupuid) AS roleid, USER_NAME(m.memberuid) AS member"
                 " FROM sysmembers m ORDER BY m.groupuid, member",
                 "SELECT m.role_principal_id AS roleid, USER_NAME(m.member_principal_id) AS member"
                 " FROM sys.database_role_members m ORDER BY m.role_principal_id, member",
                 {}});

    // User-defined data types (alias types). Their ids share the object id space as negative
    // numbers in the model.
    q.push_back({"types",
                 {{"id", T::Int}, {"owner", T::NVarChar, 128}, {"name", T::NVarChar, 128},
                  {"basetype", T::NVarChar, 128}, {"length", T::Int}, {"prec", T::Int}, {"scale", T::Int},
                  {"nullable", T::Int}, {"defaultid", T::Int}, {"ruleid", T::Int}},
                 "SELECT CONVERT(int, t.xusertype) AS id, OWNER(t.uid) AS owner, t.name, TYPE_NAME(t.xtype) AS basetype,"
                 " CONVERT(int, t.length) AS length, CONVERT(int, t.xprec) AS prec, CONVERT(int, t.xscale) AS scale,"
                 " CONVERT(int, t.allownulls) AS nullable, t.tdefault AS defaultid, t.domain AS ruleid"
                 " FROM systypes t WHERE t.xusertype > 256 ORDER BY t.name",
                 "SELECT t.user_type_id AS id, OWNER(t.schema_id) AS owner, t.name, TYPE_NAME(t.system_type_id) AS basetype,"
                 " CONVERT(int, t.max_length) AS length, CONVERT(int, t.[precision]) AS prec, CONVERT(int, t.scale) AS scale,"
                 " CONVERT(int, t.is_nullable) AS nullable, t.default_object_id AS defaultid, t.rule_object_id AS ruleid"
                 " FROM sys.types t"
                 " WHERE t.is_user_defined = 1 AND t.is_assembly_type = 0 AND t.system_type_id <> 243"
                 " ORDER BY t.name",
                 {}});

    // Full-text indexes: catalogue, key index, state; then their columns.
    q.push_back({"fulltext",
                 {{"tableid", T::Int}, {"catalogname", T::NVarChar, 128}, {"keyindex", T::NVarChar, 128},
                  {"active", T::Int}},
                 "SELECT o.id AS tableid, c.name AS catalogname,"
                 " (SELECT TOP 1 i.name FROM sysindexes i WHERE i.id = o.id AND i.indid BETWEEN 1 AND 254"
                 " AND INDEXPROPERTY(i.id, i.name, 'IsUnique') = 1"
                 " AND INDEX_COL(QUOTENAME(OWNER(o.uid)) + '.' + QUOTENAME(o.name), i.indid, 1)"
                 " = COL_NAME(o.id, OBJECTPROPERTY(o.id, 'TableFulltextKeyColumn'))"
                 " AND INDEX_COL(QUOTENAME(OWNER(o.uid)) + '.' + QUOTENAME(o.name), i.indid, 2) IS NULL) AS keyindex,"
                 " CONVERT(int, ISNULL(OBJECTPROPERTY(o.id, 'TableHasActiveFulltextIndex'), 0)) AS active"
                 " FROM sysobjects o JOIN sysfulltextcatalogs c ON c.ftcatid = o.ftcatid"
                 " WHERE o.xtype = 'U' AND o.ftcatid > 0"
                 " ORDER BY o.id",
                 "SELECT fi.object_id AS tableid, c.name AS catalogname, i.name AS keyindex,"
                 " CONVERT(int, fi.is_enabled) AS active"
                 " FROM sys.fulltext_indexes fi"
                 " JOIN sys.fulltext_catalogs c ON c.fulltext_catalog_id = fi.fulltext_catalog_id"
                 " JOIN sys.indexes i ON i.object_id = fi.object_id AND i.index_id = fi.unique_index_id"
                 " ORDER BY fi.object_id",
                 {}});

    q.push_back({"fulltextcolumns",
                 {{"tableid", T::Int}, {"colname", T::NVarChar, 128}, {"lcid", T::Int}},
                 "SELECT c.id AS tableid, c.name AS colname, CONVERT(int, c.language) AS lcid"
                 " FROM syscolumns c JOIN sysobjects o ON o.id = c.id"
                 " WHERE o.xtype = 'U' AND o.ftcatid > 0 AND COLUMNPROPERTY(c.id, c.name, 'IsFulltextIndexed') = 1"
                 " ORDER BY c.id, c.colid",
                 "SELECT fc.object_id AS tableid, COL_NAME(fc.object_id, fc.column_id) AS colname,"
                 " CONVERT(int, fc.language_id) AS lcid"
                 " FROM sys.fulltext_index_columns fc ORDER BY fc.object_id, fc.column_id",
                 {}});

    // Storage of every table: data and text/image filegroups (NULL = the default one) and rows.
    q.push_back({"tablestorage",
                 {{"tableid", T::Int}, {"fgroup", T::NVarChar, 128}, {"textfgroup", T::NVarChar, 128},
                  {"rowcnt", T::BigInt}},
                 "SELECT o.id AS tableid,"
                 " NULLIF(FILEGROUP_NAME(d.groupid), (SELECT TOP 1 f.groupname FROM sysfilegroups f WHERE (f.status & 16) <> 0)) AS fgroup,"
                 " NULLIF((SELECT FILEGROUP_NAME(t.groupid) FROM sysindexes t WHERE t.id = o.id AND t.indid = 255),"
                 " (SELECT TOP 1 f.groupname FROM sysfilegroups f WHERE (f.status & 16) <> 0)) AS textfgroup,"
                 " CONVERT(bigint, d.rows) AS rowcnt"
                 " FROM sysobjects o JOIN sysindexes d ON d.id = o.id AND d.indid IN (0, 1)"
                 " WHERE o.xtype = 'U' ORDER BY o.id",
                 "SELECT t.object_id AS tableid,"
                 " CASE WHEN fg.is_default = 1 THEN NULL ELSE fg.name END AS fgroup,"
                 " CASE WHEN lf.is_default = 1 THEN NULL ELSE lf.name END AS textfgroup,"
                 " (SELECT SUM(p.rows) FROM sys.partitions p WHERE p.object_id = t.object_id AND p.index_id IN (0, 1)) AS rowcnt"
                 " FROM sys.tables t JOIN sys.indexes i ON i.object_id = t.object_id AND i.index_id IN (0, 1)"
                 " LEFT JOIN sys.filegroups fg ON fg.data_space_id = i.data_space_id"
                 " LEFT JOIN sys.filegroups lf ON lf.data_space_id = t.lob_data_space_id"
                 " ORDER BY t.object_id",
                 {}});
    return q;
}

}  // namespace

const std::vector<CatalogQuery>& serverQueries() {
    static const std::vector<CatalogQuery> q = makeServerQueries();
    return q;
}

const std::vector<CatalogQuery>& databaseQueries() {
    static const std::vector<CatalogQuery> q = makeDatabaseQueries();
    return q;
}

int declaredLength(const std::string& baseType, std::int64_t bytes) {
    switch (sqlTypeFromName(baseType)) {
    case SqlType::Char: case SqlType::VarChar: case SqlType::Binary: case SqlType::VarBinary:
        return static_cast<int>(bytes);
    case SqlType::NChar: case SqlType::NVarChar:
        return bytes < 0 ? -1 : static_cast<int>(bytes / 2);
    default:
        return 0;
    }
}

const CatalogQuery& tableColumnsQuery() {
    static const CatalogQuery q{
        "resultcolumns",
        {{"name", T::NVarChar, 128}, {"basetype", T::NVarChar, 128}, {"length", T::Int}, {"prec", T::Int}, {"scale", T::Int}},
        "SELECT c.name, TYPE_NAME(c.xtype) AS basetype, CONVERT(int, c.length) AS length,"
        " CONVERT(int, c.xprec) AS prec, CONVERT(int, c.xscale) AS scale"
        " FROM syscolumns c WHERE c.id = OBJECT_ID($NAME) ORDER BY c.colid",
        {}, {}};
    return q;
}

std::string tableColumnsSql(const std::string& objectName, int versionMajor) {
    std::string literal = "N'";
    for (char c : objectName) {
        literal.push_back(c);
        if (c == '\'') literal.push_back('\'');
    }
    literal.push_back('\'');
    std::string sql = catalogSql(tableColumnsQuery(), versionMajor);
    sql.replace(sql.find("$NAME"), 5, literal);
    return sql;
}

const CatalogQuery* findCatalogQuery(std::string_view tag) {
    for (const auto* list : {&serverQueries(), &databaseQueries()})
        for (const auto& q : *list)
            if (q.tag == tag) return &q;
    if (tag == tableColumnsQuery().tag) return &tableColumnsQuery();
    return nullptr;
}

std::string catalogSql(const CatalogQuery& query, int versionMajor) {
    std::string_view text = query.sql2000;
    if (versionMajor >= 9 && !query.sql2005.empty()) text = query.sql2005;
    if (versionMajor >= 10 && !query.sql2008.empty()) text = query.sql2008;
    std::string out = "/* tavil:" + std::string(query.tag) + " */ ";
    const std::string_view owner = versionMajor >= 9 ? "SCHEMA_NAME(" : "USER_NAME(";
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t hit = text.find("OWNER(", at);
        if (hit == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, hit - at));
        out.append(owner);
        at = hit + 6;
    }
    return out;
}

}  // namespace sqldmo::tds
