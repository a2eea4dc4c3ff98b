// A line-per-fact text of catalogue models and values, for comparing what was served with what
// was read back and seeing the difference when they differ.
#pragma once

#include <string>

#include "sqldmo/model/Catalog.h"

namespace tdstest {

std::string valueText(const sqldmo::Value& v);
std::string databaseText(const sqldmo::model::Database& db);
std::string serverText(const sqldmo::model::Server& s);  // without the databases

}  // namespace tdstest
