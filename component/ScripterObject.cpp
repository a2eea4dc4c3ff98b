// The Scripter: object model, connection and generation.
#include "component/ScripterObject.h"

#include <limits>

#include "component/ComError.h"
#include "component/Progress.h"
#include "component/RowConnectionString.h"
#include "component/TableData.h"
#include "component/Text.h"
#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/Scripter.h"

namespace korva::detail {
namespace {

std::atomic<std::int32_t> gLiveObjects{0};

bool isTrue(Bool16 value) { return value != 0; }

// Date and time of the data header lines, formatted as the schema's header comments are.
std::string stampText() {
    const sqldmo::ScriptStamp stamp = sqldmo::scriptStampNow();
    return stamp.date + " " + stamp.time;
}

}  // namespace

std::int32_t liveObjects() noexcept { return gLiveObjects.load(); }

ScripterObject::ScripterObject() {
    oServer_ = std::make_unique<sqldmo::Server>();
    oTransfer_ = std::make_unique<sqldmo::Transfer>();
    oTransfer_->advise(this);
    settings_ = std::make_unique<SettingsObject>();
    connection_ = std::make_unique<ConnectionObject>();
    tableOptions_ = std::make_unique<TableOptionsObject>();
    formatOptions_ = std::make_unique<FormatOptionsObject>();
    advancedOptions_ = std::make_unique<AdvancedOptionsObject>();
    dependencies_ = std::make_unique<DependenciesObject>();
    tables_ = std::make_unique<DatabaseObjects>();
    views_ = std::make_unique<DatabaseObjects>();
    storedProcedures_ = std::make_unique<DatabaseObjects>();
    defaults_ = std::make_unique<DatabaseObjects>();
    rules_ = std::make_unique<DatabaseObjects>();
    userDefinedDatatypes_ = std::make_unique<DatabaseObjects>();
    userDefinedFunctions_ = std::make_unique<DatabaseObjects>();
    ++gLiveObjects;
}

ScripterObject::~ScripterObject() {
    // Released in the order of creation; the server without an explicit disconnect.
    oServer_.reset();
    oTransfer_->unadvise(this);
    oTransfer_.reset();
    settings_.reset();
    connection_.reset();
    tableOptions_.reset();
    formatOptions_.reset();
    advancedOptions_.reset();
    dependencies_.reset();
    tables_.reset();
    views_.reset();
    storedProcedures_.reset();
    defaults_.reset();
    rules_.reset();
    userDefinedDatatypes_.reset();
    userDefinedFunctions_.reset();
    --gLiveObjects;
}

HResult ScripterObject::QueryInterface(const Guid& iid, void** object) {
    if (!object) return status::Pointer;
    if (iid == ids::IID_Unknown || iid == ids::IID_Scripter) {
        *object = static_cast<IScripter*>(this);
    } else if (iid == ids::IID_ConnectionPoint) {
        *object = static_cast<IScripterEventSource*>(this);
    } else {
        *object = nullptr;
        return status::NoInterface;
    }
    AddRef();
    return status::Ok;
}

std::uint32_t ScripterObject::AddRef() { return ++references_; }

std::uint32_t ScripterObject::Release() {
    std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

HResult ScripterObject::get_Server(sqldmo::Server** server) {
    return guarded([&] { out(server) = oServer_.get(); });
}
HResult ScripterObject::get_Settings(ISettings** settings) {
    return guarded([&] { out(settings) = settings_.get(); });
}
HResult ScripterObject::get_Connection(IConnection** connection) {
    return guarded([&] { out(connection) = connection_.get(); });
}
HResult ScripterObject::get_TableOptions(ITableOptions** options) {
    return guarded([&] { out(options) = tableOptions_.get(); });
}
HResult ScripterObject::get_FormatOptions(IFormatOptions** options) {
    return guarded([&] { out(options) = formatOptions_.get(); });
}
HResult ScripterObject::get_AdvancedOptions(IAdvancedOptions** options) {
    return guarded([&] { out(options) = advancedOptions_.get(); });
}
HResult ScripterObject::get_Dependencies(IDependencies** dependencies) {
    return guarded([&] { out(dependencies) = dependencies_.get(); });
}

HResult ScripterObject::AddTable(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { tables_->Add(Owner, Name); });
}
HResult ScripterObject::AddView(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { views_->Add(Owner, Name); });
}
HResult ScripterObject::AddStoredProcedure(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { storedProcedures_->Add(Owner, Name); });
}
HResult ScripterObject::AddDefault(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { defaults_->Add(Owner, Name); });
}
HResult ScripterObject::AddRule(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { rules_->Add(Owner, Name); });
}
HResult ScripterObject::AddUserDefinedDatatype(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { userDefinedDatatypes_->Add(Owner, Name); });
}
HResult ScripterObject::AddUserDefinedFunction(const std::u16string& Owner, const std::u16string& Name) {
    return guarded([&] { userDefinedFunctions_->Add(Owner, Name); });
}

HResult ScripterObject::VerifyScript(std::u16string*, Bool16*) {
    clearErrorInfo();
    return fail(errors::NotSupported, "_VerifyScript",
                "Operation not supported in this version of Quillomere Korvane.");
}

// ---- Connection ----------------------------------------------------------------------------

HResult ScripterObject::EstablishConnection() {
    return guarded([&] {
        sqldmo::Server& server = *oServer_;
        server.setApplicationName(kApplicationName);
        server.setOdbcPrefix(false);
        server.setAutoReconnect(false);
        server.setLoginTimeout(settings_->LoginTimeout);
        server.setQueryTimeout(settings_->QueryTimeout);
        // The setting counts seconds, the server object milliseconds.
        std::int32_t blocking = settings_->BlockingTimeout;
        if (blocking != -1) {
            std::int64_t ms = static_cast<std::int64_t>(blocking) * 1000;
            if (ms > std::numeric_limits<std::int32_t>::max() || ms < std::numeric_limits<std::int32_t>::min())
                throwOverflow("BlockingTimeout " + std::to_string(blocking) + " seconds is too large");
            blocking = static_cast<std::int32_t>(ms);
        }
        server.setBlockingTimeout(blocking);
        server.setNetPacketSize(settings_->NetPacketSize);
        const std::string serverName = toUtf8(connection_->ServerName);
        if (isTrue(connection_->WindowsAuthentication)) {
            server.setLoginSecure(true);
            server.connect(serverName);
        } else {
            server.setLoginSecure(false);
            server.connect(serverName, toUtf8(connection_->Username), toUtf8(connection_->Password));
        }
    });
}

HResult ScripterObject::CloseConnection() {
    return guarded([&] { oServer_->disconnect(); });
}

std::unique_ptr<sqldmo::RowConnection> ScripterObject::openRowConnection() const {
    const bool integrated = isTrue(connection_->WindowsAuthentication);
    const std::string connectionString = rowConnectionString(
        integrated, toUtf8(connection_->DatabaseName), toUtf8(connection_->ServerName), settings_->NetPacketSize);
    const std::string user = integrated ? std::string() : toUtf8(connection_->Username);
    const std::string password = integrated ? std::string() : toUtf8(connection_->Password);
    return sqldmo::openRowConnection(connectionString, user, password,
                                     rowConnectionOptions(settings_->LoginTimeout, settings_->QueryTimeout));
}

// ---- Events --------------------------------------------------------------------------------

HResult ScripterObject::Advise(IScripterEvents* sink, std::uint32_t* cookie) {
    return guarded([&] {
        if (!sink) throwNullPointer();
        std::uint32_t& result = out(cookie);
        sinks_.push_back({nextCookie_, sink});
        result = nextCookie_++;
    });
}

HResult ScripterObject::Unadvise(std::uint32_t cookie) {
    return guarded([&] {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->cookie == cookie) {
                sinks_.erase(it);
                return;
            }
        }
        throw ComError(status::NoConnection, kComponentSource,
                       "No event sink is advised with cookie " + std::to_string(cookie) + ".");
    });
}

// Every sink advised when the event is raised receives it, each with its own copy of the
// argument; a sink that fails or throws does not stop the others or the generation. A sink
// unadvised by an earlier one while the event is delivered is not called any more.
template <class Call>
void ScripterObject::raise(Call&& call) {
    std::vector<std::uint32_t> cookies;
    cookies.reserve(sinks_.size());
    for (const Sink& s : sinks_) cookies.push_back(s.cookie);
    for (std::uint32_t cookie : cookies) {
        IScripterEvents* sink = nullptr;
        for (const Sink& s : sinks_)
            if (s.cookie == cookie) sink = s.sink;
        if (!sink) continue;
        try {
            call(*sink);
        } catch (...) {
        }
    }
}

void ScripterObject::raisePercentComplete(std::int32_t percent) {
    raise([percent](IScripterEvents& sink) {
        std::int32_t argument = percent;
        sink.ScriptTransferPercentComplete(&argument);
    });
}

void ScripterObject::raiseMessage(const std::string& message) {
    if (sinks_.empty()) return;
    const std::u16string text = toUtf16(message);
    raise([&text](IScripterEvents& sink) {
        std::u16string argument = text;
        sink.ScriptTransferMessage(&argument);
    });
}

void ScripterObject::statusMessage(const std::string& message) { raiseMessage(message + "..."); }

void ScripterObject::scriptTransferPercentComplete(const std::string&, std::int32_t percent) {
    lastPercent_ = relayedPercent(percent, dataWanted_, transferShare_);
    raisePercentComplete(lastPercent_);
}

// ---- Generation ----------------------------------------------------------------------------

HResult ScripterObject::GenerateScript(std::u16string* script) {
    return guarded([&] {
        std::u16string& result = out(script);
        try {
            ScriptBuffer buffer;
            generate(buffer);
            // One conversion into the caller's text; the buffer goes as soon as it is done.
            std::u16string text;
            text.reserve(utf16Length(buffer.view()));
            appendUtf16(text, buffer.view());
            buffer.clear();
            result = std::move(text);
        } catch (...) {
            reraiseAs("_GenerateScript");
        }
    });
}

void ScripterObject::generate(ScriptBuffer& script) {
    sqldmo::Transfer& transfer = *oTransfer_;
    const bool scriptSchema = isTrue(tableOptions_->ScriptSchema);

    // 1. Run state; the list counts are added as 16-bit values.
    objectsAdded_ = false;
    dataWanted_ = false;
    std::int16_t total = tables_->count();
    for (const DatabaseObjects* list : {views_.get(), storedProcedures_.get(), defaults_.get(), rules_.get(),
                                        userDefinedDatatypes_.get(), userDefinedFunctions_.get()})
        total = add16(total, list->count());
    objectTotal_ = total;

    auto handOver = [&](const DatabaseObjects& list, sqldmo::model::ObjectType type) {
        for (const DatabaseObject& object : list.items()) {
            objectsAdded_ = true;
            transfer.addObjectByName(toUtf8(object.Name), static_cast<std::int32_t>(type), toUtf8(object.Owner));
        }
    };
    // 2-4. Tables only with their schema; copy schema, never data; then the other kinds.
    if (scriptSchema) handOver(*tables_, sqldmo::model::ObjectType::UserTable);
    transfer.setCopySchema(true);
    transfer.setCopyData(0);
    handOver(*views_, sqldmo::model::ObjectType::View);
    handOver(*storedProcedures_, sqldmo::model::ObjectType::StoredProcedure);
    handOver(*defaults_, sqldmo::model::ObjectType::Default);
    handOver(*rules_, sqldmo::model::ObjectType::Rule);
    handOver(*userDefinedDatatypes_, sqldmo::model::ObjectType::UserDefinedDatatype);
    handOver(*userDefinedFunctions_, sqldmo::model::ObjectType::UserDefinedFunction);

    // 5-7. Script flags.
    namespace flags = sqldmo::script::flags;
    namespace flags2 = sqldmo::script::flags2;
    transfer.setScriptType(0);
    transfer.setScript2Type(0);
    if (objectsAdded_) {
        auto addBits = [&](Bool16 sw, std::int32_t bits) {
            if (isTrue(sw)) transfer.setScriptType(transfer.scriptType() | bits);
        };
        auto addBits2 = [&](Bool16 sw, std::int32_t bits) {
            if (isTrue(sw)) transfer.setScript2Type(transfer.script2Type() | bits);
        };
        const FormatOptionsObject& f = *formatOptions_;
        const AdvancedOptionsObject& a = *advancedOptions_;
        addBits(f.GenerateCreateCommand, flags::PrimaryObject);
        addBits(f.GenerateDropCommand, flags::Drops);
        transfer.setIncludeDependencies(isTrue(f.ScriptDependentObjects));
        addBits(f.IncludeHeaders, flags::IncludeHeaders);
        addBits2(f.IncludeExtendedProperties, flags2::ExtendedProperty);
        addBits2(f.ScriptOnly70Compatible, flags2::Only70);
        transfer.setIncludeUsers(isTrue(a.ScriptUsersRoles));
        transfer.setIncludeLogins(isTrue(a.ScriptLogins));
        addBits(a.ScriptObjectPermissions, flags::ObjectPermissions);
        addBits(a.ScriptTableIndexes, flags::Indexes);
        addBits2(a.ScriptTableFullTextIndexes, flags2::FullTextIndex);
        addBits(a.ScriptTableTriggers, flags::Triggers);
        addBits(a.ScriptTableConstraints, flags::DRI_AllConstraints | flags::DRIWithNoCheck);
    }
    if (transfer.scriptType() != 0) transfer.setScriptType(transfer.scriptType() | flags::OwnerQualify | flags::Bindings);

    // 8-10. Progress shares.
    raisePercentComplete(5);
    lastPercent_ = 5;
    dataWanted_ = isTrue(tableOptions_->ScriptData) && tables_->count() >= 1;
    const std::int16_t entries = dependencies_->list().count();
    transferShare_ = detail::transferShare(objectTotal_, entries);
    dataShare_ = 100 - transferShare_;

    // 11. The schema of everything handed over, in one call.
    const std::string databaseName = toUtf8(connection_->DatabaseName);
    {
        sqldmo::Database& database = oServer_->databases().item(databaseName);
        std::string schema = database.scriptTransfer(transfer, 1);
        script.append(schema);
    }

    // 12. Table data.
    if (dataWanted_) {
        TableDataContext context;
        context.server = oServer_.get();
        context.databaseName = databaseName;
        context.openRowConnection = [this] { return openRowConnection(); };
        context.includeColumnNames = isTrue(advancedOptions_->ScriptTableIncludeColumnNames);
        context.maxTypes = oServer_->versionMajor() >= 9 && !isTrue(formatOptions_->ScriptOnly70Compatible);
        context.only70 = isTrue(formatOptions_->ScriptOnly70Compatible);
        const bool headers = isTrue(formatOptions_->IncludeHeaders);
        for (std::int16_t i = 1; i <= entries; ++i) {
            const std::string name = toUtf8(dependencies_->list().item(i));
            raiseMessage("Scripting " + name + " data...");
            if (headers) {
                // The name as comment text: a "*/" in it cannot end the comment early.
                script.append("/****** Object:  Table " + sqldmo::script::quote::commentText(name) +
                              "    Script Date: " + stampText() + " ******/\r\n");
            }
            scriptTableData(script, context, name);
            raisePercentComplete(tablePercent(lastPercent_, i, entries));
        }
    }

    // 13. Done.
    raisePercentComplete(100);
}

}  // namespace korva::detail
