// Used only while the library is linked without its scripter stage: scripting then fails with
// a clear error instead of leaving the library with an unresolved symbol. The scripter's own
// definition replaces this one whenever it is linked in.
#include "sqldmo/Error.h"
#include "sqldmo/script/Scripter.h"

namespace sqldmo::script {

[[gnu::weak]] std::string scriptTransfer(const model::Server&, const model::Database& database, const TransferSettings&,
                                         const ScriptOptions&, ScriptProgress*) {
    throw Error(errors::NotSupported,
                "[SQL-DMO]Scripting is not available in this build (database '" + database.name + "').");
}

}  // namespace sqldmo::script
