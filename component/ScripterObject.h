// The Scripter: owner of the option objects, the lists, the management-layer server and
// transfer objects and the run state; implements _Scripter and the event source of __Scripter.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "component/KorvaInterface.h"
#include "component/Lists.h"
#include "component/Options.h"
#include "component/ScriptBuffer.h"
#include "sqldmo/objects/Sqldmo.h"
#include "sqldmo/rows/RowConnection.h"

namespace korva::detail {

// The title both connections announce themselves with.
inline constexpr const char* kApplicationName = "Quillomere Korvane";

// Number of component objects alive (for KorvaCanUnloadNow).
std::int32_t liveObjects() noexcept;

class ScripterObject final : public IScripter, public IScripterEventSource, private sqldmo::TransferEvents {
public:
    ScripterObject();
    ~ScripterObject();
    ScripterObject(const ScripterObject&) = delete;
    ScripterObject& operator=(const ScripterObject&) = delete;

    // IObject
    HResult QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // _Scripter
    HResult get_Server(sqldmo::Server** server) override;
    HResult get_Settings(ISettings** settings) override;
    HResult get_Connection(IConnection** connection) override;
    HResult get_TableOptions(ITableOptions** options) override;
    HResult get_FormatOptions(IFormatOptions** options) override;
    HResult get_AdvancedOptions(IAdvancedOptions** options) override;
    HResult get_Dependencies(IDependencies** dependencies) override;
    HResult AddTable(const std::u16string& Owner, const std::u16string& Name) override;
    HResult AddView(const std::u16string& Owner, const std::u16string& Name) override;
    HResult AddStoredProcedure(const std::u16string& Owner, const std::u16string& Name) override;
    HResult AddDefault(const std::u16string& Owner, const std::u16string& Name) override;
    HResult AddRule(const std::u16string& Owner, const std::u16string& Name) override;
    HResult AddUserDefinedDatatype(const std::u16string& Owner, const std::u16string& Name) override;
    HResult AddUserDefinedFunction(const std::u16string& Owner, const std::u16string& Name) override;
    HResult GenerateScript(std::u16string* script) override;
    HResult VerifyScript(std::u16string* Messages, Bool16* result) override;
    HResult EstablishConnection() override;
    HResult CloseConnection() override;

    // IConnectionPoint of __Scripter
    HResult Advise(IScripterEvents* sink, std::uint32_t* cookie) override;
    HResult Unadvise(std::uint32_t cookie) override;

    // Inside the library only (its unit tests): the transfer object and the run state.
    const sqldmo::Transfer& transfer() const noexcept { return *oTransfer_; }
    std::int32_t transferShare() const noexcept { return transferShare_; }
    std::int32_t dataShare() const noexcept { return dataShare_; }
    std::int32_t objectTotal() const noexcept { return objectTotal_; }
    bool objectsAdded() const noexcept { return objectsAdded_; }
    bool dataWanted() const noexcept { return dataWanted_; }

private:
    // sqldmo::TransferEvents: the transfer's events while ScriptTransfer runs.
    void statusMessage(const std::string& message) override;
    void scriptTransferPercentComplete(const std::string& message, std::int32_t percent) override;

    void generate(ScriptBuffer& script);
    std::unique_ptr<sqldmo::RowConnection> openRowConnection() const;
    template <class Call>
    void raise(Call&& call);
    void raisePercentComplete(std::int32_t percent);
    void raiseMessage(const std::string& message);

    std::atomic<std::uint32_t> references_{1};

    // Owned state, created and released in this order.
    std::unique_ptr<sqldmo::Server> oServer_;
    std::unique_ptr<sqldmo::Transfer> oTransfer_;
    std::unique_ptr<SettingsObject> settings_;
    std::unique_ptr<ConnectionObject> connection_;
    std::unique_ptr<TableOptionsObject> tableOptions_;
    std::unique_ptr<FormatOptionsObject> formatOptions_;
    std::unique_ptr<AdvancedOptionsObject> advancedOptions_;
    std::unique_ptr<DependenciesObject> dependencies_;
    std::unique_ptr<DatabaseObjects> tables_;
    std::unique_ptr<DatabaseObjects> views_;
    std::unique_ptr<DatabaseObjects> storedProcedures_;
    std::unique_ptr<DatabaseObjects> defaults_;
    std::unique_ptr<DatabaseObjects> rules_;
    std::unique_ptr<DatabaseObjects> userDefinedDatatypes_;
    std::unique_ptr<DatabaseObjects> userDefinedFunctions_;

    // Run state of a generation.
    std::int32_t objectTotal_ = 0;
    bool objectsAdded_ = false;
    bool dataWanted_ = false;
    std::int32_t transferShare_ = 0;
    std::int32_t dataShare_ = 0;
    std::int32_t lastPercent_ = 0;

    struct Sink {
        std::uint32_t cookie;
        IScripterEvents* sink;
    };
    std::vector<Sink> sinks_;
    std::uint32_t nextCookie_ = 1;
};

}  // namespace korva::detail
