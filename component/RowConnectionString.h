// The row-reading connection's connection string and options, built from the Scripter's
// Settings and Connection.
#pragma once

#include <cstdint>
#include <string>

#include "sqldmo/rows/RowConnection.h"

namespace korva::detail {

// "Provider=SQLOLEDB.1;[Integrated Security=SSPI;]Persist Security Info=False;Initial Catalog=<db>;
// Data Source=<server>;Packet Size=<n>;Application Name=Quillomere Korvane". A value that holds
// ";", "=", a quote or leading/trailing blanks is quoted, so that it cannot add keys.
// The password never appears in it.
std::string rowConnectionString(bool windowsAuthentication, const std::string& databaseName,
                                const std::string& serverName, std::int32_t netPacketSize);

// Connect timeout = LoginTimeout unless it is -1 (then the row layer's default); command
// timeout = QueryTimeout; read-only with a client-side cursor.
sqldmo::RowConnectionOptions rowConnectionOptions(std::int32_t loginTimeout, std::int32_t queryTimeout);

}  // namespace korva::detail
