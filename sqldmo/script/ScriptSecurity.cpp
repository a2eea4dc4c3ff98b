// Emitters for logins, users, roles and their members (IncludeUsers, IncludeLogins) and for
// object permissions.
#include <algorithm>
#include <unordered_set>

#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/ScriptBuilder.h"

namespace sqldmo::script {
namespace {

// The privileges a permission statement may name, in the order statements list them.
constexpr std::string_view kPrivileges[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "REFERENCES", "EXECUTE"};

int privilegeOrder(std::string_view privilege) {
    std::string upper(privilege);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (int i = 0; i < static_cast<int>(std::size(kPrivileges)); ++i)
        if (kPrivileges[i] == upper) return i;
    return -1;
}

}  // namespace

void ScriptBuilder::emitPrincipals() {
    if (!sw_.includeUsers) return;
    // The users and roles that own the objects or are named by their permissions, with the
    // members of those roles, and the roles of those members... Built-in ones (dbo, guest,
    // public, the fixed roles) already exist everywhere.
    std::vector<const model::User*> users;
    std::vector<const model::Role*> roles;
    std::unordered_set<std::string> seen;
    std::vector<std::string> queue;
    auto want = [&](std::string_view principal) {
        if (principal.empty()) return;
        std::string folded = foldName(principal);
        if (seen.insert(folded).second) queue.push_back(std::string(principal));
    };
    for (const auto& p : planned_) {
        want(p.ref.object->owner);
        if (sw_.permissions)
            for (const auto& perm : p.ref.object->permissions) want(perm.grantee);
    }
    for (std::size_t i = 0; i < queue.size(); ++i) {
        if (const auto* u = index_.user(queue[i])) {
            if (!u->systemObject) users.push_back(u);
        } else if (const auto* r = index_.role(queue[i])) {
            if (!r->fixedRole) {
                roles.push_back(r);
                for (const auto& m : r->members) want(m);
            }
        }
    }
    auto byName = [](const auto* a, const auto* b) {
        std::string x = foldName(a->name), y = foldName(b->name);
        return x != y ? x < y : a->name < b->name;
    };
    std::sort(users.begin(), users.end(), byName);
    std::sort(roles.begin(), roles.end(), byName);

    if (sw_.includeLogins) {
        std::vector<const model::Login*> logins;
        std::unordered_set<const model::Login*> taken;
        for (const auto* u : users)
            if (const auto* l = u->login.empty() ? nullptr : index_.login(u->login); l && taken.insert(l).second)
                logins.push_back(l);
        std::sort(logins.begin(), logins.end(), byName);
        for (const auto* l : logins) {
            const std::string header = "Login " + quote::commentText(quote::identifier(l->name));
            const std::string ln = quote::unicode(l->name);
            Entry e;
            e.group = Group::Login;
            e.rank = static_cast<std::uint32_t>(loginEntry_.size());
            e.header = header;
            e.label = header;
            std::string s = "if not exists (select * from master.dbo.syslogins where loginname = " + ln + ")" + nl_;
            if (l->windowsLogin || l->windowsGroup) {
                s += "BEGIN" + nl_;
                s += (l->denyLogin ? "\texec sp_denylogin " : "\texec sp_grantlogin ") + ln + nl_;
                if (!l->defaultDatabase.empty())
                    s += "\tif exists (select * from master.dbo.sysdatabases where name = " + quote::unicode(l->defaultDatabase) +
                         ")" + nl_ + "\t\texec sp_defaultdb " + ln + ", " + quote::unicode(l->defaultDatabase) + nl_;
                if (!l->defaultLanguage.empty())
                    s += "\tif exists (select * from master.dbo.syslanguages where name = " +
                         quote::unicode(l->defaultLanguage) + ")" + nl_ + "\t\texec sp_defaultlanguage " + ln + ", " +
                         quote::unicode(l->defaultLanguage) + nl_;
                s += "END" + nl_;
            } else {
                // The script never holds a password. The login gets one nobody knows, made on the
                // server as the script runs, until its owner sets a real one.
                e.comment = "-- The login gets a random password that nobody knows: set its password with sp_password." + nl_;
                s += "BEGIN" + nl_;
                s += "\tdeclare @logindb sysname, @loginlang sysname, @password sysname" + nl_;
                s += "\tselect @logindb = " + (l->defaultDatabase.empty() ? std::string("N'master'") : quote::unicode(l->defaultDatabase)) +
                     ", @loginlang = " + (l->defaultLanguage.empty() ? std::string("@@language") : quote::unicode(l->defaultLanguage)) +
                     ", @password = convert(sysname, newid())" + nl_;
                s += "\tif not exists (select * from master.dbo.sysdatabases where name = @logindb)" + nl_;
                s += "\t\tselect @logindb = N'master'" + nl_;
                s += "\tif not exists (select * from master.dbo.syslanguages where name = @loginlang) and @loginlang <> N'us_english'" + nl_;
                s += "\t\tselect @loginlang = @@language" + nl_;
                s += "\texec sp_addlogin " + ln + ", @password, @logindb, @loginlang" + nl_;
                s += "END" + nl_;
            }
            e.batches.push_back(std::move(s));
            loginEntry_.emplace(foldName(l->name), addCreate(std::move(e)));
        }
    }

    std::uint32_t rank = 0;
    for (const auto* u : users) {
        const std::string header = "User " + quote::commentText(quote::identifier(u->name));
        Entry e;
        e.group = Group::User;
        e.rank = rank++;
        e.header = header;
        e.label = header;
        if (u->login.empty()) {
            e.comment = "-- " + header + " has no login: it is left out." + nl_;
            addCreate(std::move(e));
            continue;
        }
        if (sw_.includeLogins && !index_.login(u->login))
            e.comment = "-- Login " + quote::commentText(quote::identifier(u->login)) + " of " + header +
                        " is not on the server that was read." + nl_;
        e.batches.push_back("if not exists (select * from dbo.sysusers where name = " + quote::unicode(u->name) + ")" + nl_ +
                            "\tEXEC sp_grantdbaccess " + quote::unicode(u->login) + ", " + quote::unicode(u->name) + nl_);
        auto login = loginEntry_.find(foldName(u->login));
        if (login != loginEntry_.end()) e.deps.push_back(login->second);
        principalEntry_.emplace(foldName(u->name), addCreate(std::move(e)));
    }
    rank = 0;
    for (const auto* r : roles) {
        const std::string header = "Role " + quote::commentText(quote::identifier(r->name));
        const std::string rn = quote::unicode(r->name);
        Entry e;
        e.group = Group::Role;
        e.rank = rank;
        e.header = header;
        e.label = header;
        if (r->applicationRole) {
            e.comment = "-- The application role gets a random password that nobody knows: set it with sp_setapprolepassword." + nl_;
            e.batches.push_back("if not exists (select * from dbo.sysusers where name = " + rn + " and isapprole = 1)" + nl_ +
                                "BEGIN" + nl_ + "\tdeclare @password sysname" + nl_ +
                                "\tselect @password = convert(sysname, newid())" + nl_ + "\tEXEC sp_addapprole " + rn +
                                ", @password" + nl_ + "END" + nl_);
        } else {
            e.batches.push_back("if not exists (select * from dbo.sysusers where name = " + rn + " and issqlrole = 1)" + nl_ +
                                "\tEXEC sp_addrole " + rn + nl_);
        }
        principalEntry_.emplace(foldName(r->name), addCreate(std::move(e)));
        ++rank;
    }
    rank = 0;
    for (const auto* r : roles) {
        Entry e;
        e.group = Group::RoleMember;
        e.rank = rank++;
        e.label = "members of Role " + quote::commentText(quote::identifier(r->name));
        std::string s;
        const std::string rn = quote::unicode(r->name);
        for (const auto& m : r->members) {
            auto it = principalEntry_.find(foldName(m));
            if (it == principalEntry_.end()) continue;  // built-in, unknown or without a login
            e.deps.push_back(it->second);
            const std::string mn = quote::unicode(m);
            s += "if not exists (select * from dbo.sysmembers where groupuid = user_id(" + rn + ") and memberuid = user_id(" + mn +
                 "))" + nl_ + "\tEXEC sp_addrolemember " + rn + ", " + mn + nl_;
        }
        if (s.empty()) continue;
        e.deps.push_back(principalEntry_.at(foldName(r->name)));
        e.batches.push_back(std::move(s));
        addCreate(std::move(e));
    }
}

void ScriptBuilder::emitPermissions(const PlannedObject& p, Group group, EntryId anchor, bool hasAnchor,
                                   bool onlyWhereItExists) {
    const auto& perms = p.ref.object->permissions;
    if (!sw_.permissions || perms.empty()) return;
    const std::string on = name(*p.ref.object);

    // Object permissions: one statement per action, grantee and grant option, listing its
    // privileges; column permissions: one per privilege as well, listing its columns.
    struct Statement {
        model::Permission::Action action;
        std::string grantee;
        bool withGrant;
        std::string privilege;  // column statements only
        std::vector<int> privileges;
        std::vector<std::string> columns;
    };
    std::vector<Statement> statements;
    std::string unknown;
    for (const auto& perm : perms) {
        int order = privilegeOrder(perm.privilege);
        if (order < 0) {
            unknown += "-- Permission " + quote::commentText(perm.privilege) + " of " +
                       quote::commentText(quote::identifier(perm.grantee)) + " on " + title(p) + " is not one a script can grant." + nl_;
            continue;
        }
        bool withGrant = perm.action == model::Permission::Action::Grant && perm.withGrantOption;
        bool column = !perm.column.empty();
        auto match = [&](const Statement& s) {
            return s.action == perm.action && s.withGrant == withGrant && foldName(s.grantee) == foldName(perm.grantee) &&
                   s.columns.empty() == !column && (!column || s.privilege == kPrivileges[order]);
        };
        auto it = std::find_if(statements.begin(), statements.end(), match);
        if (it == statements.end()) {
            statements.push_back({perm.action, perm.grantee, withGrant, column ? std::string(kPrivileges[order]) : std::string(), {}, {}});
            it = statements.end() - 1;
        }
        if (column) it->columns.push_back(perm.column);
        else if (std::find(it->privileges.begin(), it->privileges.end(), order) == it->privileges.end())
            it->privileges.push_back(order);
    }
    // Grants first, then denies (a deny after a grant is what the catalogue holds); object
    // statements before column statements.
    std::stable_sort(statements.begin(), statements.end(), [](const Statement& a, const Statement& b) {
        if (a.action != b.action) return a.action == model::Permission::Action::Grant;
        return a.columns.empty() && !b.columns.empty();
    });
    std::string s;
    for (auto& st : statements) {
        s += st.action == model::Permission::Action::Grant ? "GRANT " : "DENY ";
        if (st.columns.empty()) {
            std::sort(st.privileges.begin(), st.privileges.end());
            for (std::size_t i = 0; i < st.privileges.size(); ++i) {
                if (i) s += ", ";
                s += kPrivileges[st.privileges[i]];
            }
            s += " ON " + on;
        } else {
            s += st.privilege + " ON " + on + " (";
            for (std::size_t i = 0; i < st.columns.size(); ++i) {
                if (i) s += ", ";
                quote::appendIdentifier(s, st.columns[i]);
            }
            s += ')';
        }
        s += " TO " + quote::identifier(st.grantee);
        if (st.withGrant) s += " WITH GRANT OPTION";
        s += nl_;
    }
    if (onlyWhereItExists && !s.empty()) {
        // On a fresh database the object is missing and a GRANT would fail; where it exists
        // it gets them again (an encrypted module is not dropped).
        std::string guarded = "if object_id(" + quote::unicode(on) + ") is not null" + nl_ + "BEGIN" + nl_;
        std::size_t start = 0;
        while (start < s.size()) {
            std::size_t end = s.find(nl_, start);
            if (end == std::string::npos) end = s.size();
            guarded += "\t" + s.substr(start, end - start) + nl_;
            start = end + nl_.size();
        }
        s = guarded + "END" + nl_;
    }
    Entry e;
    e.group = group;
    e.rank = p.rank;
    e.sub = 1;
    e.label = "permissions on " + title(p);
    e.comment = std::move(unknown);
    if (!s.empty()) e.batches.push_back(std::move(s));
    if (hasAnchor) e.deps.push_back(anchor);
    EntryId id = addCreate(std::move(e));
    for (const auto& st : statements) needPrincipal(id, st.grantee);
}

}  // namespace sqldmo::script
