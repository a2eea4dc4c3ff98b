// The options record, the recent-file lists and the command-line file names.
#include "app/shell/core/CommandLine.h"
#include "app/shell/core/TRecentList.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"
#include "tests/shell/TempStore.h"

#include <QFile>
#include <gtest/gtest.h>

namespace tavil {
namespace {

const QString& optionsKey()
{
    static const QString key = TVELKOptions::RegistryKey();
    return key;
}
Hive root() { return QMApp().RegistryRoot; }

TEST(Options, MissingKeyKeepsDefaultsAndSaveWritesAllThirteen)
{
    test::TempStore store;
    TVELKOptions o;
    o.Load();
    EXPECT_TRUE(o.SaveWindow);
    EXPECT_FALSE(o.PreventMultiple);
    EXPECT_TRUE(o.PromptOnClose);
    EXPECT_TRUE(o.ShowTips);
    EXPECT_EQ(o.MaxMRU, 10);
    EXPECT_EQ(o.LoginTimeout, -1);
    EXPECT_EQ(o.QueryTimeout, 0);
    EXPECT_EQ(o.BlockingTimeout, -1);
    EXPECT_EQ(o.NetPacketSize, 4096);
    EXPECT_EQ(o.DefaultScriptsPath, QString());
    EXPECT_EQ(o.ScriptExtension, QStringLiteral("sql"));
    EXPECT_EQ(o.EditorFontName, QStringLiteral("Courier New"));
    EXPECT_EQ(o.EditorFontSize, 8);

    o.Save();
    QStringList names;
    RegListValueNames(root(), optionsKey(), names);
    EXPECT_EQ(names, (QStringList{"SaveWindow", "PreventMultiple", "PromptOnClose", "MaxMRU", "LoginTimeout",
                                  "QueryTimeout", "BlockingTimeout", "NetPacketSize", "DefaultScriptsPath",
                                  "ScriptExtension", "EditorFontName", "EditorFontSize", "ShowTips"}));
}

TEST(Options, RoundTripKeepsEveryFieldIncludingNegativeIntegers)
{
    test::TempStore store;
    TVELKOptions o;
    o.SaveWindow = false;
    o.PreventMultiple = true;
    o.PromptOnClose = false;
    o.ShowTips = false;
    o.MaxMRU = 50;  // stored values are taken without the dialog's range checks
    o.LoginTimeout = -1;
    o.QueryTimeout = 1000;
    o.BlockingTimeout = -7;
    o.NetPacketSize = 65535;
    o.DefaultScriptsPath = QStringLiteral("/srv/scripts ä");
    o.ScriptExtension = QStringLiteral("tsq");
    o.EditorFontName = QStringLiteral("DejaVu Sans Mono");
    o.EditorFontSize = 9;
    o.Save();
    platform::SettingsStore::reopenAll();

    TVELKOptions r;
    r.Load();
    EXPECT_EQ(r.SaveWindow, false);
    EXPECT_EQ(r.PreventMultiple, true);
    EXPECT_EQ(r.PromptOnClose, false);
    EXPECT_EQ(r.ShowTips, false);
    EXPECT_EQ(r.MaxMRU, 50);
    EXPECT_EQ(r.LoginTimeout, -1);
    EXPECT_EQ(r.QueryTimeout, 1000);
    EXPECT_EQ(r.BlockingTimeout, -7);
    EXPECT_EQ(r.NetPacketSize, 65535);
    EXPECT_EQ(r.DefaultScriptsPath, o.DefaultScriptsPath);
    EXPECT_EQ(r.ScriptExtension, o.ScriptExtension);
    EXPECT_EQ(r.EditorFontName, o.EditorFontName);
    EXPECT_EQ(r.EditorFontSize, 9);
    // Booleans are stored as 1 and 0.
    EXPECT_EQ(RegReadInteger(root(), optionsKey(), QStringLiteral("PreventMultiple"), 7), 1);
    EXPECT_EQ(RegReadInteger(root(), optionsKey(), QStringLiteral("SaveWindow"), 7), 0);
}

TEST(Options, ValueOfTheWrongTypeKeepsTheFieldAndOthersStillLoad)
{
    test::TempStore store;
    RegWriteString(root(), optionsKey(), QStringLiteral("MaxMRU"), QStringLiteral("15"));
    RegWriteInteger(root(), optionsKey(), QStringLiteral("ScriptExtension"), 5);
    RegWriteString(root(), optionsKey(), QStringLiteral("SaveWindow"), QStringLiteral("0"));
    RegWriteInteger(root(), optionsKey(), QStringLiteral("QueryTimeout"), 30);
    RegWriteInteger(root(), optionsKey(), QStringLiteral("PromptOnClose"), 2);  // any non-zero is on

    TVELKOptions o;
    o.PromptOnClose = false;
    o.Load();
    EXPECT_EQ(o.MaxMRU, 10);
    EXPECT_EQ(o.ScriptExtension, QStringLiteral("sql"));
    EXPECT_TRUE(o.SaveWindow);
    EXPECT_EQ(o.QueryTimeout, 30);
    EXPECT_TRUE(o.PromptOnClose);
}

TEST(Options, ScriptFilterNamesTheExtensionTwice)
{
    EXPECT_EQ(ScriptFileFilter(QStringLiteral("tsq")), QStringLiteral("Script Files (*.tsq);;All Files (*)"));
}

QStringList stored(const TRecentList& list)
{
    return RegReadValueNames(root(), TRecentList::StorageKey(), list.SubKey());
}

TEST(RecentList, AddPutsOnTopReplacesCaseInsensitivelyTrimsAndWrites)
{
    test::TempStore store;
    TRecentList list(QStringLiteral("MRU"), 3);
    for (const char* p : {"/a.qvx", "/b.qvx", "/c.qvx", "/d.qvx"}) list.Add(QString::fromLatin1(p));
    EXPECT_EQ(list.Items(), (QStringList{"/d.qvx", "/c.qvx", "/b.qvx"}));
    EXPECT_EQ(stored(list), list.Items());

    list.Add(QStringLiteral("/B.QVX"));
    EXPECT_EQ(list.Items(), (QStringList{"/B.QVX", "/d.qvx", "/c.qvx"}));
    EXPECT_EQ(stored(list), list.Items());

    // Non-ASCII letters compare without case too.
    list.Add(QStringLiteral("/Ärger.qvx"));
    list.Add(QStringLiteral("/ärger.qvx"));
    EXPECT_EQ(list.Items(), (QStringList{"/ärger.qvx", "/B.QVX", "/d.qvx"}));
}

TEST(RecentList, RemoveWritesOnlyWhenSomethingWasRemoved)
{
    test::TempStore store;
    TRecentList list(QStringLiteral("MRUScripts"));
    list.Add(QStringLiteral("/x.sql"));
    list.Add(QStringLiteral("/y.sql"));
    list.Remove(QStringLiteral("/X.SQL"));
    EXPECT_EQ(stored(list), QStringList{"/y.sql"});

    // An absent entry changes nothing, not even a list edited behind its back.
    RegWriteValueNames(root(), TRecentList::StorageKey(), list.SubKey(), {QStringLiteral("/other.sql")});
    list.Remove(QStringLiteral("/missing.sql"));
    EXPECT_EQ(stored(list), QStringList{"/other.sql"});
}

TEST(RecentList, LowerMaximumAndMoveToTopStayInMemoryUntilTheNextWrite)
{
    test::TempStore store;
    TRecentList list(QStringLiteral("MRU"), 10);
    for (int i = 0; i < 8; ++i) list.Add(QStringLiteral("/f%1.qvx").arg(i));
    list.SetMaximum(3);
    EXPECT_EQ(list.Items(), (QStringList{"/f7.qvx", "/f6.qvx", "/f5.qvx"}));
    EXPECT_EQ(stored(list).size(), 8);
    list.MoveToTop(QStringLiteral("/F5.qvx"));
    EXPECT_EQ(list.Items().first(), QStringLiteral("/f5.qvx"));
    EXPECT_EQ(stored(list).first(), QStringLiteral("/f7.qvx"));
    list.Save();
    EXPECT_EQ(stored(list), (QStringList{"/f5.qvx", "/f7.qvx", "/f6.qvx"}));
}

TEST(RecentList, LoadKeepsStoredOrderUpToTheMaximumAndLeavesTheOtherListAlone)
{
    test::TempStore store;
    RegWriteValueNames(root(), TRecentList::StorageKey(), QStringLiteral("MRU"),
                       {QStringLiteral("/1"), QStringLiteral("/2"), QStringLiteral("/3"), QStringLiteral("/4")});
    TRecentList files(QStringLiteral("MRU"), 3), scripts(QStringLiteral("MRUScripts"), 3);
    files.Load();
    scripts.Load();
    EXPECT_EQ(files.Items(), (QStringList{"/1", "/2", "/3"}));
    EXPECT_TRUE(scripts.IsEmpty());
    scripts.Add(QStringLiteral("/s.sql"));
    EXPECT_EQ(RegReadValueNames(root(), TRecentList::StorageKey(), QStringLiteral("MRU")).size(), 4);
}

TEST(RecentList, MenuCaptionsUseDigitsThenLettersThenNothing)
{
    // An "&" of the name is doubled so that the menu shows it instead of underlining a letter.
    const struct {
        int index;
        const char* path;
        const char* caption;
    } cases[] = {{0, "/p", "&1 /p"},
                 {8, "/p", "&9 /p"},
                 {9, "/p", "&A /p"},
                 {34, "/p", "&Z /p"},
                 {35, "/p", "/p"},
                 {0, "/home/ana/R&D/x.qvx", "&1 /home/ana/R&&D/x.qvx"},
                 {9, "/a&&b&", "&A /a&&&&b&&"},
                 {35, "&x", "&&x"}};
    for (const auto& c : cases)
        EXPECT_EQ(TRecentList::MenuCaption(c.index, QString::fromLatin1(c.path)), QString::fromLatin1(c.caption))
            << c.index << ' ' << c.path;
}

TEST(CommandLine, FirstFiveArgumentsDistinctAfterAsciiUpperCasing)
{
    const struct {
        QStringList args;
        QStringList files;
    } cases[] = {
        {{"tavil"}, {}},
        {{"tavil", "a.qvx", "A.QVX", "b.qvx"}, {"a.qvx", "b.qvx"}},
        // Only the first five count, even when they hold duplicates.
        {{"tavil", "1", "1", "2", "3", "4", "5", "6"}, {"1", "2", "3", "4"}},
        // Only ASCII letters are folded.
        {{"tavil", "é.qvx", "É.qvx"}, {"é.qvx", "É.qvx"}},
        // No switches: every argument is a file name.
        {{"tavil", "--help"}, {"--help"}},
    };
    for (const auto& c : cases) EXPECT_EQ(CollectCommandLineFiles(c.args), c.files) << c.args.join(u' ').toStdString();
}

TEST(CommandLine, SameFileByIdentityElseByAsciiName)
{
    test::TempStore store;
    const QString a = store.path() + QStringLiteral("/Orders.qvx");
    const QString b = store.path() + QStringLiteral("/ORDERS.qvx");
    for (const QString& p : {a, b}) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(SameFile(a, store.path() + QStringLiteral("/./Orders.qvx")));
    EXPECT_FALSE(SameFile(a, b));
    // Names that cannot be examined fall back to the name rule.
    EXPECT_TRUE(SameFile(QStringLiteral("/gone/a.qvx"), QStringLiteral("/GONE/A.QVX")));
    EXPECT_FALSE(SameFile(QStringLiteral("/gone/a.qvx"), QStringLiteral("/gone/b.qvx")));
}

}  // namespace
}  // namespace tavil
