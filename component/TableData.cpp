// Data sections of tables.
#include "component/TableData.h"

#include <vector>

#include "component/ComError.h"
#include "component/Literals.h"

namespace korva::detail {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The system type of a catalogue column: a user-defined type stands for its base type.
sqldmo::SqlType systemType(const sqldmo::Column& column) {
    sqldmo::SqlType t = sqldmo::sqlTypeFromName(column.baseType());
    if (t == sqldmo::SqlType::Unknown) t = sqldmo::sqlTypeFromName(column.datatype());
    return t;
}

bool insertable(const sqldmo::Column& column) {
    return !column.isComputed() && systemType(column) != sqldmo::SqlType::Timestamp;
}

// GetValue: the literal of field `index` of the current row.
LiteralForm getValue(ScriptBuffer& out, const sqldmo::RowSet& rows, std::size_t index, sqldmo::SqlType type,
                     bool maxTypes) {
    try {
        return appendLiteral(out, rows.value(index), type, maxTypes);
    } catch (...) {
        reraiseAs("_GetValue");
    }
}

// The lines before a table's rows: its foreign keys and checks and its triggers are off while
// the rows go in, so that rows referring to tables loaded later (or to each other, in a cycle)
// are accepted and no trigger changes other tables or the rows themselves.
void appendLoadStart(ScriptBuffer& out, const std::string& name) {
    out.append("ALTER TABLE " + name + " NOCHECK CONSTRAINT ALL");
    out.append(kLineEnd);
    out.append("ALTER TABLE " + name + " DISABLE TRIGGER ALL");
    out.append(kLineEnd);
}

// The lines after them: triggers and constraints on again, the constraints without checking the
// rows just loaded (as the schema creates them, WITH NOCHECK); then off again whatever the
// catalogue records as disabled.
void appendLoadEnd(ScriptBuffer& out, const std::string& name, const sqldmo::model::Table& model,
                   const sqldmo::model::Database& database, const sqldmo::script::LeftOutFor70& leftOut, bool only70) {
    out.append("ALTER TABLE " + name + " ENABLE TRIGGER ALL");
    out.append(kLineEnd);
    out.append("ALTER TABLE " + name + " CHECK CONSTRAINT ALL");
    out.append(kLineEnd);
    auto noCheck = [&](const std::string& constraint) {
        if (constraint.empty()) return;
        out.append("ALTER TABLE " + name + " NOCHECK CONSTRAINT " + bracketName(constraint));
        out.append(kLineEnd);
    };
    // What the schema left out is not there to turn off.
    for (const sqldmo::model::ForeignKey& fk : model.foreignKeys) {
        if (!fk.disabled) continue;
        if (only70) {
            const sqldmo::model::Table* table = nullptr;
            for (const sqldmo::model::Table& t : database.tables)
                if (t.id == fk.referencedTableId) table = &t;
            if (!table) table = database.findTable(fk.referencedOwner, fk.referencedTable);
            if (leftOut.foreignKey(fk, table ? sqldmo::script::LeftOutFor70::of(*table, database)
                                             : sqldmo::script::LeftOutFor70()))
                continue;
        }
        noCheck(fk.name);
    }
    for (const sqldmo::model::CheckConstraint& check : model.checks)
        if (check.disabled && !leftOut.check(check)) noCheck(check.name);
    for (const sqldmo::model::Trigger& trigger : model.triggers) {
        if (!trigger.disabled || trigger.name.empty() || leftOut.trigger(trigger)) continue;
        out.append("ALTER TABLE " + name + " DISABLE TRIGGER " + bracketName(trigger.name));
        out.append(kLineEnd);
    }
}

}  // namespace

std::string buildQuerySQL(const sqldmo::Table& table, bool* hasIdentity, const sqldmo::script::LeftOutFor70& leftOut) {
    try {
        std::string list;
        bool identity = false;
        sqldmo::Columns columns = table.columns();
        std::int32_t count = columns.count();
        for (std::int32_t i = 1; i <= count; ++i) {
            sqldmo::Column column = columns.item(i);
            if (!insertable(column) || leftOut.column(column.name())) continue;
            if (column.identity()) identity = true;
            list += bracketName(column.name());
            list += ", ";
        }
        if (!list.empty()) list.resize(list.size() - 2);
        if (hasIdentity) *hasIdentity = identity;
        return list;
    } catch (...) {
        reraiseAs("_BuildQuerySQL");
    }
}

void scriptTableData(ScriptBuffer& out, const TableDataContext& context, const std::string& name) {
    const std::size_t start = out.size();
    try {
        sqldmo::Database& database = context.server->databases().item(context.databaseName);
        sqldmo::Table table = database.tables().item(name);
        const sqldmo::script::LeftOutFor70 leftOut =
            context.only70 ? sqldmo::script::LeftOutFor70::of(table.table(), database.model()) : sqldmo::script::LeftOutFor70();
        bool hasIdentity = false;
        const std::string columns = buildQuerySQL(table, &hasIdentity, leftOut);
        bool anyRow = false;
        if (!columns.empty()) {
            std::unique_ptr<sqldmo::RowConnection> connection = context.openRowConnection();
            std::unique_ptr<sqldmo::RowSet> rows = connection->execute("SELECT " + columns + " FROM " + name);

            // Each field's type, looked up once: the catalogue column of the field's name.
            const std::vector<sqldmo::ResultColumn>& fields = rows->columns();
            std::vector<sqldmo::SqlType> types;
            types.reserve(fields.size());
            sqldmo::Columns catalogue = table.columns();
            for (const sqldmo::ResultColumn& field : fields) {
                sqldmo::SqlType t = sqldmo::SqlType::Unknown;
                try {
                    t = systemType(catalogue.item(field.name));
                } catch (const sqldmo::Error&) {
                    // A field the catalogue does not name: its own type decides.
                }
                if (t == sqldmo::SqlType::Unknown) t = field.type;
                types.push_back(t);
            }

            std::string prefix = "INSERT INTO " + name;
            if (context.includeColumnNames || hasIdentity) prefix += " (" + columns + ")";
            prefix += " VALUES (";

            bool execVariables = false;  // declared in this table's batch
            while (rows->next()) {
                if (!anyRow) {
                    appendLoadStart(out, name);
                    if (hasIdentity) {
                        out.append("SET IDENTITY_INSERT " + name + " ON");
                        out.append(kLineEnd);
                    }
                }
                anyRow = true;
                const std::size_t rowStart = out.size();
                bool exec = false;
                out.append(prefix);
                for (std::size_t i = 0; i < types.size(); ++i) {
                    if (i > 0) out.append(", ");
                    exec |= getValue(out, *rows, i, types[i], context.maxTypes) == LiteralForm::ThroughExec;
                }
                out.append(')');
                if (exec) {
                    runThroughExec(out, rowStart, !execVariables);
                    execVariables = true;
                }
                out.append(kLineEnd);
            }
            if (anyRow && hasIdentity) {
                out.append("SET IDENTITY_INSERT " + name + " OFF");
                out.append(kLineEnd);
            }
            if (anyRow) appendLoadEnd(out, name, table.table(), database.model(), leftOut, context.only70);
        }
        if (anyRow) {
            out.append("GO");
            out.append(kLineEnd);
        }
        out.append(kLineEnd);
    } catch (...) {
        out.truncate(start);
        reraiseAs("_ScriptTableData");
    }
}

}  // namespace korva::detail
