// Emitter for the drops: each object behind an existence test, after the foreign keys that
// refer to its table; and, for tables that are created anew, the foreign keys of other tables
// that those drops removed.
#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/ScriptBuilder.h"

namespace sqldmo::script {
namespace {

std::string objectGuard(std::string_view qualifiedName, std::string_view test, std::string_view nl) {
    return "if exists (select * from dbo.sysobjects where id = object_id(" + quote::unicode(qualifiedName) + ") and " +
           std::string(test) + ")" + std::string(nl);
}

std::string property(std::string_view name) { return "OBJECTPROPERTY(id, " + quote::unicode(name) + ") = 1"; }

}  // namespace

void ScriptBuilder::emitDrops(const PlannedObject& p) {
    const auto& o = *p.ref.object;
    const std::string on = name(o);
    // A module the script would create again but cannot (encrypted, or without stored text) is
    // kept: dropping it would lose it.
    auto kept = [&](const auto& module) { return (module.encrypted || module.text.empty()) && sw_.primaryObject; };

    Entry e;
    e.rank = p.rank;
    e.label = "drop of " + title(p);
    std::string s;
    switch (p.ref.kind) {
        case ObjectKind::Table: {
            const auto& t = static_cast<const model::Table&>(o);
            // Foreign keys that refer to the table, from any table but itself, go first: the
            // table cannot be dropped while they are there.
            for (const auto& ref : index_.referencing(t.id)) {
                if (ref.table == &t) continue;
                Entry f;
                f.group = Group::DropForeignKey;
                f.rank = p.rank;
                f.label = "drop of foreign key " + quote::commentText(quote::identifier(ref.key->name));
                f.batches.push_back(objectGuard(quote::qualified(ref.table->owner, ref.key->name, sw_.ownerQualify),
                                                property("IsForeignKey"), nl_) +
                                    "ALTER TABLE " + name(*ref.table) + " DROP CONSTRAINT " + quote::identifier(ref.key->name) + nl_);
                EntryId fid = addDrop(std::move(f));
                e.deps.push_back(fid);
                // When the other table stays as it is and this one is made anew, the key is put
                // back once the table and its keys are there. Its rows are not checked: the new
                // table is empty until its data is loaded.
                if (sw_.primaryObject && !isPlanned(ref.table)) {
                    Entry r;
                    r.group = Group::ForeignKey;
                    r.rank = p.rank;
                    r.sub = 3;
                    r.label = "foreign key " + quote::commentText(quote::identifier(ref.key->name)) + " restored";
                    r.comment = "-- Puts back foreign key " + quote::commentText(quote::identifier(ref.key->name)) + " of " +
                                headerName(ref.table->owner, ref.table->name) + ", dropped above." + nl_;
                    r.batches.push_back(foreignKeyStatement(*ref.table, *ref.key, true, r.comment));
                    EntryId rid = addCreate(std::move(r));
                    pendingKeys_.emplace_back(rid, &t);
                }
            }
            if (sw_.triggers)
                for (const auto& tr : t.triggers) {
                    if (kept(tr)) continue;
                    Entry d;
                    d.group = Group::DropTrigger;
                    d.rank = p.rank;
                    d.label = "drop of Trigger " + headerName(tr.owner.empty() ? t.owner : tr.owner, tr.name);
                    std::string trn = name(tr.owner.empty() ? t.owner : tr.owner, tr.name);
                    d.batches.push_back(objectGuard(trn, property("IsTrigger"), nl_) + "drop trigger " + trn + nl_);
                    e.deps.push_back(addDrop(std::move(d)));
                }
            e.group = Group::DropTable;
            s = objectGuard(on, property("IsUserTable"), nl_) + "drop table " + on + nl_;
            break;
        }
        case ObjectKind::View:
            // Nor is a view dropped that a script for SQL Server 7.0 leaves out.
            if (kept(static_cast<const model::Module&>(o)) ||
                (sw_.primaryObject && !leftOutViewFor70(static_cast<const model::View&>(o)).empty()))
                return;
            e.group = Group::DropView;
            s = objectGuard(on, property("IsView"), nl_) + "drop view " + on + nl_;
            break;
        case ObjectKind::Procedure:
            if (kept(static_cast<const model::Module&>(o)) ||
                (sw_.primaryObject && !leftOutTextFor70(static_cast<const model::Module&>(o).text, o.dependsOn).empty()))
                return;
            e.group = Group::DropProcedure;
            s = objectGuard(on, property("IsProcedure"), nl_) + "drop procedure " + on + nl_;
            break;
        case ObjectKind::Function:
            if (sw_.only70 || kept(static_cast<const model::Module&>(o))) return;
            e.group = Group::DropFunction;
            s = objectGuard(on, "xtype in (N'FN', N'IF', N'TF')", nl_) + "drop function " + on + nl_;
            break;
        case ObjectKind::Default:
            e.group = Group::DropDefault;
            s = objectGuard(on, property("IsDefault"), nl_) + "drop default " + on + nl_;
            break;
        case ObjectKind::Rule:
            e.group = Group::DropRule;
            s = objectGuard(on, property("IsRule"), nl_) + "drop rule " + on + nl_;
            break;
        case ObjectKind::Type: {
            const std::string base = foldName(static_cast<const model::UserDefinedDatatype&>(o).baseType);
            if (sw_.only70 && (base == "bigint" || base == "sql_variant")) return;
            e.group = Group::DropType;
            s = "if exists (select * from dbo.systypes where name = " + quote::unicode(o.name) + ")" + nl_ +
                "exec sp_droptype " + quote::unicode(o.name) + nl_;
            break;
        }
    }
    // SQL Server drops a module that others still call, so the drops of modules may give way
    // in a loop (two procedures calling each other).
    e.lateBound = p.ref.kind == ObjectKind::Procedure || p.ref.kind == ObjectKind::View || p.ref.kind == ObjectKind::Function;
    e.batches.push_back(std::move(s));
    dropEntry_[&o] = addDrop(std::move(e));
}

}  // namespace sqldmo::script
