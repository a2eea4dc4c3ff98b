// Connection string of the row-reading connection.
#include "component/RowConnectionString.h"

namespace korva::detail {
namespace {

// A connection-string value: as it is unless it would change the string's structure; then in
// double quotes with inner double quotes doubled.
std::string quoted(const std::string& value) {
    bool needs = !value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                                    value.back() == '\t');
    for (char c : value)
        if (c == ';' || c == '=' || c == '"' || c == '\'' || c == '{' || c == '}') needs = true;
    if (!needs) return value;
    std::string s = "\"";
    for (char c : value) {
        s += c;
        if (c == '"') s += '"';
    }
    s += '"';
    return s;
}

}  // namespace

std::string rowConnectionString(bool windowsAuthentication, const std::string& databaseName,
                                const std::string& serverName, std::int32_t netPacketSize) {
    std::string s = "Provider=SQLOLEDB.1;";
    if (windowsAuthentication) s += "Integrated Security=SSPI;";
    s += "Persist Security Info=False;Initial Catalog=" + quoted(databaseName);
    s += ";Data Source=" + quoted(serverName);
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
