// Writes the scripts of the test fixtures, under several switch sets, one file each, for the
// independent T-SQL parser check (tests/tsqlparse). Snapshot files named on the command line
// are scripted too, every database of each with every switch on.
//   script_corpus OUTDIR [SNAPSHOT...]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "sqldmo/Error.h"
#include "sqldmo/snapshot/Snapshot.h"
#include "tests/script/Fixtures.h"

using namespace sqldmo;
namespace f = sqldmo::script::flags;
namespace f2 = sqldmo::script::flags2;

namespace {

struct Variant {
    const char* name;
    std::int32_t type;
    std::int32_t type2;
    bool users;
};

const Variant kVariants[] = {
    {"all", fixtures::kAllScriptType, f2::ExtendedProperty | f2::FullTextIndex, true},
    {"all70", fixtures::kAllScriptType, f2::ExtendedProperty | f2::FullTextIndex | f2::Only70, true},
    {"drops", f::Drops | f::OwnerQualify, 0, false},
    {"unqualified", fixtures::kAllScriptType & ~f::OwnerQualify, 0, false},
    {"keyindexes", f::PrimaryObject | f::Indexes | f::OwnerQualify, 0, false},
};

void write(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

void scriptAll(const std::filesystem::path& dir, const std::string& stem, const model::Server& server,
               const std::shared_ptr<model::Database>& db) {
    for (const auto& v : kVariants) {
        auto settings = fixtures::everything(*db, v.type, v.type2);
        settings.includeUsers = settings.includeLogins = v.users;
        script::ScriptOptions options;
        options.scriptDate = "3/5/2002";
        options.scriptTime = "2:07:09 PM";
        write(dir / (stem + "-" + v.name + ".sql"), script::scriptTransfer(server, *db, settings, options, nullptr));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help") {
        std::cout << "usage: script_corpus OUTDIR [SNAPSHOT...]\n"
                     "Writes the scripts of the scripter's test fixtures (and of every database of each\n"
                     "snapshot) into OUTDIR, one .sql file per switch set.\n";
        return argc < 2 ? 2 : 0;
    }
    try {
        std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        for (auto make : {&fixtures::shop, &fixtures::kitchenSink}) {
            auto db = make();
            scriptAll(dir, db->name, fixtures::serverOf(db), db);
        }
        for (int i = 2; i < argc; ++i) {
            model::Server server = snapshot::readSnapshot(argv[i]);
            for (const auto& db : server.databases)
                if (db && !db->systemObject)
                    scriptAll(dir, std::filesystem::path(argv[i]).stem().string() + "-" + db->name, server, db);
        }
    } catch (const std::exception& e) {
        std::cerr << "script_corpus: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
