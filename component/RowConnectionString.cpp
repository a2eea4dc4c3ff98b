// Connection string of the row-reading connection.
#include "component/RowConnectionString.h"

#include "sqldmo/rows/ConnectionString.h"

namespace korva::detail {

std::string rowConnectionString(bool windowsAuthentication, const std::string& databaseName,
                                const std::string& serverName, std::int32_t netPacketSize) {
    std::string s = "Provider=SQLOLEDB.1;";
    if (windowsAuthentication) s += "Integrated Security=SSPI;";
    s += "Persist Security Info=False;Initial Catalog=" + sqldmo::quoteConnectionValue(databaseName);
    s += ";Data Source=" + sqldmo::quoteConnectionValue(serverName);
    s += ";Packet Size=" + std::to_string(netPacketSize);
    s += ";Application Name=Quillomere Korvane";
    return s;
}

sqldmo::RowConnectionOptions rowConnectionOptions(std::int32_t loginTimeout, std::int32_t queryTimeout) {
    sqldmo::RowConnectionOptions options;
    if (loginTimeout != -1) options.connectTimeout = loginTimeout;
    options.commandTimeout = queryTimeout;
    options.readOnly = true;
    options.clientCursor = true;
    return options;
}

}  // namespace korva::detail
