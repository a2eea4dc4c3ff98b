// The layout of a snapshot file (format version 1). One row per schema object in `objects`
// (tables, views, procedures, defaults, rules, types, functions and triggers, numbered by
// `oid` in catalogue order) and one table per kind of detail keyed by (db, oid, ordinal); every
// catalogue table is read with one statement per database, in key order.
// The rows of all user tables share the table `rows`: column K of a user table is stored in cK
// (and the type of a sql_variant value in tK); a table's rows are the contiguous rowid range
// first_row..last_row of its `objects` row, read with a range scan. One SQLite table for all
// keeps the schema small: SQLite parses its whole schema whenever a file is opened.
#pragma once

#include <cstdint>

namespace sqldmo::snapshot::detail {

// PRAGMA application_id of a snapshot ("QVSN"): tells our files from other SQLite files.
inline constexpr std::int32_t kApplicationId = 0x5156534E;
inline constexpr const char* kFormatName = "tavilor-snapshot";

// Where an extended property hangs (column `target` of `properties`).
namespace target {
inline constexpr char Database = 'D';
inline constexpr char Object = 'O';
inline constexpr char Column = 'C';
inline constexpr char Key = 'K';          // ordinal 0: primary key; n: unique constraint n
inline constexpr char Index = 'I';
inline constexpr char ForeignKey = 'F';
inline constexpr char Check = 'H';
}  // namespace target

inline constexpr const char* kSchema = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;
CREATE TABLE logins(position INTEGER PRIMARY KEY, name TEXT NOT NULL, default_database TEXT,
  default_language TEXT, windows_login INTEGER, windows_group INTEGER, deny_login INTEGER);
CREATE TABLE databases(db INTEGER PRIMARY KEY, name TEXT NOT NULL, name_key TEXT NOT NULL, owner TEXT,
  collation TEXT, compatibility_level INTEGER, system_object INTEGER);
CREATE TABLE objects(db INTEGER, oid INTEGER, kind INTEGER NOT NULL, id INTEGER, owner TEXT, name TEXT,
  name_key TEXT, owner_key TEXT, system_object INTEGER, parent INTEGER, text TEXT,
  quoted_identifier INTEGER, ansi_nulls INTEGER, encrypted INTEGER, function_kind INTEGER,
  instead_of INTEGER, on_insert INTEGER, on_update INTEGER, on_delete INTEGER, disabled INTEGER,
  file_group TEXT, text_file_group TEXT, row_count INTEGER, first_row INTEGER, last_row INTEGER,
  base_type TEXT, length INTEGER, precision INTEGER, scale INTEGER, nullable INTEGER,
  bound_default TEXT, bound_rule TEXT, ft_catalog TEXT, ft_key_index TEXT, ft_active INTEGER,
  column_count INTEGER, PRIMARY KEY(db, oid)) WITHOUT ROWID;
CREATE TABLE columns(db INTEGER, oid INTEGER, ordinal INTEGER, name TEXT, data_type TEXT, base_type TEXT,
  storage_type TEXT, length INTEGER, precision INTEGER, scale INTEGER, nullable INTEGER,
  is_identity INTEGER, identity_seed INTEGER, identity_increment INTEGER, identity_nfr INTEGER,
  computed_text TEXT, collation TEXT, rowguidcol INTEGER, default_name TEXT, default_text TEXT,
  bound_default TEXT, bound_rule TEXT, PRIMARY KEY(db, oid, ordinal)) WITHOUT ROWID;
CREATE TABLE key_constraints(db INTEGER, oid INTEGER, ordinal INTEGER, name TEXT, primary_key INTEGER,
  clustered INTEGER, fill_factor INTEGER, file_group TEXT, PRIMARY KEY(db, oid, ordinal)) WITHOUT ROWID;
CREATE TABLE indexes(db INTEGER, oid INTEGER, ordinal INTEGER, name TEXT, clustered INTEGER, is_unique INTEGER,
  ignore_dup_key INTEGER, pad_index INTEGER, no_recompute INTEGER, fill_factor INTEGER, file_group TEXT,
  PRIMARY KEY(db, oid, ordinal)) WITHOUT ROWID;
CREATE TABLE index_columns(db INTEGER, oid INTEGER, owner_kind TEXT, ordinal INTEGER, position INTEGER,
  name TEXT, descending INTEGER, PRIMARY KEY(db, oid, owner_kind, ordinal, position)) WITHOUT ROWID;
CREATE TABLE foreign_keys(db INTEGER, oid INTEGER, ordinal INTEGER, name TEXT, ref_id INTEGER, ref_owner TEXT,
  ref_table TEXT, on_delete INTEGER, on_update INTEGER, nfr INTEGER, disabled INTEGER,
  PRIMARY KEY(db, oid, ordinal)) WITHOUT ROWID;
CREATE TABLE foreign_key_columns(db INTEGER, oid INTEGER, ordinal INTEGER, side TEXT, position INTEGER, name TEXT,
  PRIMARY KEY(db, oid, ordinal, side, position)) WITHOUT ROWID;
CREATE TABLE checks(db INTEGER, oid INTEGER, ordinal INTEGER, name TEXT, text TEXT, column_name TEXT,
  nfr INTEGER, disabled INTEGER, PRIMARY KEY(db, oid, ordinal)) WITHOUT ROWID;
CREATE TABLE fulltext_columns(db INTEGER, oid INTEGER, position INTEGER, name TEXT, language INTEGER,
  PRIMARY KEY(db, oid, position)) WITHOUT ROWID;
CREATE TABLE dependencies(db INTEGER, oid INTEGER, position INTEGER, depends_on INTEGER,
  PRIMARY KEY(db, oid, position)) WITHOUT ROWID;
CREATE TABLE permissions(db INTEGER, oid INTEGER, position INTEGER, action TEXT, privilege TEXT, grantee TEXT,
  column_name TEXT, with_grant INTEGER, PRIMARY KEY(db, oid, position)) WITHOUT ROWID;
CREATE TABLE properties(db INTEGER, oid INTEGER, target TEXT, ordinal INTEGER, position INTEGER, name TEXT,
  value, value_type TEXT, variant INTEGER, PRIMARY KEY(db, oid, target, ordinal, position)) WITHOUT ROWID;
CREATE TABLE users(db INTEGER, position INTEGER, name TEXT, login TEXT, system_object INTEGER,
  PRIMARY KEY(db, position)) WITHOUT ROWID;
CREATE TABLE roles(db INTEGER, position INTEGER, name TEXT, application_role INTEGER, fixed_role INTEGER,
  PRIMARY KEY(db, position)) WITHOUT ROWID;
CREATE TABLE role_members(db INTEGER, role INTEGER, position INTEGER, member TEXT,
  PRIMARY KEY(db, role, position)) WITHOUT ROWID;
CREATE TABLE rows(c1);
)sql";

// Built after the bulk insert: the name lookup of row queries.
inline constexpr const char* kIndexes = R"sql(
CREATE INDEX objects_by_name ON objects(db, kind, name_key);
)sql";

}  // namespace sqldmo::snapshot::detail
