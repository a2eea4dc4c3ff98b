// tavilc against a live server that fails: a refused login, a connection dropped in the middle
// of a table's rows, a server error in a catalogue query or in a table's SELECT. Each command
// that meets the fault fails with the server's (or the connection's) words, and what it would
// have written is left as it was: no new file beside the output, no run file in the temporary
// folder, an existing output file unchanged.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <functional>

#include "app/model/TCmdFile.h"
#include "tests/catalogue/CatalogueFixture.h"
#include "tests/cli/RunTavilc.h"
#include "tests/tdsserver/TestServer.h"

namespace {

using clitest::Result;

cattest::TempConfig gConfig;

QString q(const std::string& s) { return QString::fromStdString(s); }

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class LiveFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        cattest::ServerSpec spec;
        spec.tables = {{"Customers"}, {"Orders", {"Customers"}}};
        auto data = std::make_shared<tdstest::FixtureData>(cattest::buildServer(spec));
        data->setRows("Shop", "dbo", "Customers", {{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 7)}});
        data->setRows("Shop", "dbo", "Orders",
                      {{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 70)},
                       {sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 71)},
                       {sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 72)}});
        tdstest::ServerOptions o;
        o.data = data;
        o.lifetime = std::chrono::seconds(240);
        server_ = std::make_unique<tdstest::TestServer>(o);
        server_->start();

        // The runs' own files (the generated script before it is copied out) go to a
        // temporary folder of the test's, so that whatever they leave there can be seen.
        work_ = q(dir_.file("work"));
        temp_ = q(dir_.file("temp"));
        ASSERT_TRUE(QDir().mkpath(work_));
        ASSERT_TRUE(QDir().mkpath(temp_));
        const char* old = std::getenv("TMPDIR");
        hadTmp_ = old != nullptr;
        if (hadTmp_) oldTmp_ = old;
        ::setenv("TMPDIR", temp_.toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        if (hadTmp_)
            ::setenv("TMPDIR", oldTmp_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    QString in(const char* name) const { return work_ + QLatin1Char('/') + QLatin1String(name); }
    Result tavilc(const QStringList& arguments, const QByteArray& input = {}) const
    {
        return clitest::tavilc(q(gConfig.path()), arguments, work_, input);
    }
    void writeCommandFile(const QString& password) const
    {
        tavil::TCmdFile c;
        c.Connection.ServerName = q(server_->address());
        c.Connection.DatabaseName = "Shop";
        c.Connection.WindowsAuthentication = false;
        c.Connection.Username = "sa";
        c.Connection.Password = password;
        c.Tables.Add(new tavil::TDBObject("dbo", "Orders"));
        c.TableOptions.ScriptSchema = true;
        c.TableOptions.ScriptData = true;
        c.FormatOptions.GenerateCreateCommand = true;
        c.SaveAs(in("live.qvx"));
    }
    void writeFile(const QString& path, const QByteArray& bytes) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    std::unique_ptr<tdstest::TestServer> server_;
    cattest::TempDir dir_;
    QString work_;
    QString temp_;
    bool hadTmp_ = false;
    std::string oldTmp_;
};

TEST_F(LiveFaults, EveryCommandThatMeetsAFaultFailsInItsWordsAndLeavesItsOutputAsItWas)
{
    const QString address = q(server_->address());
    struct Case {
        const char* what;
        const char* password;
        std::function<void(tdstest::Faults&)> fault;
        QString words;       // what the message must say
        bool verifyMeetsIt;  // verification reads the catalogue, never rows
    };
    const Case cases[] = {
        {"a refused login", "guess", [](tdstest::Faults&) {}, QStringLiteral("Login failed for user 'sa'."), true},
        {"a connection dropped in the middle of rows", "secret",
         [](tdstest::Faults& f) {
             f.dropTable = "Orders";
             f.dropAfterRows = 1;
         },
         QStringLiteral("The connection to server '%1' was broken").arg(address), false},
        {"a server error in a catalogue query", "secret",
         [](tdstest::Faults& f) {
             f.errorMatch = "tavil:objects";
             f.errorNumber = 229;
             f.errorText = "SELECT permission denied on object 'sysobjects'.";
         },
         QStringLiteral("SELECT permission denied on object 'sysobjects'."), true},
        {"a server error in a table's SELECT", "secret",
         [](tdstest::Faults& f) {
             f.errorMatch = "FROM [dbo].[Orders]";
             f.errorNumber = 229;
             f.errorText = "SELECT permission denied on object 'Orders'.";
         },
         QStringLiteral("SELECT permission denied on object 'Orders'."), false},
    };
    const QByteArray oldScript = "-- the script of an earlier run\r\n";
    const QByteArray oldSnapshot = "the snapshot of an earlier run";
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        writeCommandFile(QString::fromUtf8(k.password));
        writeFile(in("out.sql"), oldScript);
        writeFile(in("shop.snapshot"), oldSnapshot);
        const QStringList before = entries(work_);
        tdstest::Faults faults;
        k.fault(faults);
        server_->setFaults(faults);

        const Result generate = tavilc({"generate", in("live.qvx"), "-o", in("out.sql")});
        EXPECT_EQ(generate.exitCode, 1) << generate.err.toStdString();
        EXPECT_TRUE(generate.err.contains(k.words)) << generate.err.toStdString();
        EXPECT_EQ(contents(in("out.sql")), oldScript);

        const Result verify = tavilc({"verify", in("live.qvx")});
        if (k.verifyMeetsIt) {
            EXPECT_NE(verify.exitCode, 0) << verify.out.toStdString();
            EXPECT_TRUE((verify.out + verify.err).contains(k.words)) << verify.out.toStdString() << verify.err.toStdString();
        } else {
            EXPECT_EQ(verify.exitCode, 0) << verify.out.toStdString() << verify.err.toStdString();
        }

        const Result snapshot = tavilc({"snapshot", "-S", address, "-U", "sa", "-d", "Shop", "-o", in("shop.snapshot")},
                                       QByteArray(k.password) + "\n");
        EXPECT_EQ(snapshot.exitCode, 1) << snapshot.err.toStdString();
        EXPECT_TRUE(snapshot.err.contains(k.words)) << snapshot.err.toStdString();
        EXPECT_EQ(contents(in("shop.snapshot")), oldSnapshot);

        EXPECT_EQ(entries(work_), before);
        EXPECT_EQ(entries(temp_), QStringList());
        server_->setFaults({});
    }

    // The same runs without a fault write their files (the faults above were the reason).
    writeCommandFile(QStringLiteral("secret"));
    const Result generate = tavilc({"generate", in("live.qvx"), "-o", in("out.sql")});
    ASSERT_EQ(generate.exitCode, 0) << generate.err.toStdString();
    EXPECT_TRUE(contents(in("out.sql")).contains("VALUES (72)"));
    const Result snapshot =
        tavilc({"snapshot", "-S", address, "-U", "sa", "-d", "Shop", "-o", in("shop.snapshot")}, "secret\n");
    ASSERT_EQ(snapshot.exitCode, 0) << snapshot.err.toStdString();
    EXPECT_NE(contents(in("shop.snapshot")), oldSnapshot);
}

}  // namespace
