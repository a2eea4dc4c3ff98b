// bookshop_builder: writes the sample database into a snapshot file at build time.
#include <cstdio>
#include <cstring>
#include <exception>
#include <set>
#include <string>

#include "samples/bookshop/SampleBuilder.h"
#include "sqldmo/Error.h"
#include "sqldmo/snapshot/Snapshot.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fprintf(argc == 2 ? stdout : stderr,
                     "usage: %s OUTPUT.snapshot\n"
                     "Writes the sample bookshop database (catalogue and rows) into a snapshot file.\n",
                     argv[0]);
        return argc == 2 ? 0 : 2;
    }
    try {
        const auto server = sample::bookshopServer();
        const auto& bookshop = *server.databases.back();
        auto rows = sample::bookshopRows(bookshop);

        // Every table has rows and every set of rows has its table: a misspelt name stops here.
        std::set<std::string> tables;
        for (const auto& t : bookshop.tables) {
            tables.insert(t.name);
            if (!rows.count(t.name)) throw std::runtime_error("the sample has no rows for table " + t.name);
        }
        for (const auto& [name, unused] : rows)
            if (!tables.count(name)) throw std::runtime_error("the sample has rows for a table it does not have: " + name);

        sqldmo::snapshot::writeSnapshot(argv[1], server,
                                        [&](const sqldmo::model::Database& db, const sqldmo::model::Table& t,
                                            sqldmo::snapshot::RowWriter& out) {
                                            if (db.name != bookshop.name) return;
                                            for (const auto& row : rows.at(t.name)) out.add(row);
                                        });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
