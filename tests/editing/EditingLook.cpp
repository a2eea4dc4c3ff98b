// Not a test: draws every page of a command-file window, every wizard step and the add-objects
// dialog over the sample database into PNG files, to be looked at.
//   xvfb-run -a editing_look SNAPSHOT OUTPUT_DIR
#include "app/catalogue/TDMOServer.h"
#include "app/editing/TAddObjectDlg.h"
#include "app/editing/TChildFile.h"
#include "app/editing/TEditingCatalogue.h"
#include "app/editing/TNewWizard.h"
#include "app/editing/TObjectList.h"
#include "app/shell/TVELKMain.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/messages/QMErrorHandler.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace tavil;

namespace {

void save(QWidget* w, const QString& dir, const QString& name)
{
    QApplication::processEvents();
    QTest::qWait(30);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!w->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && (QByteArray(argv[1]) == "--help" || QByteArray(argv[1]) == "-h")) {
        std::printf("Usage: editing_look SNAPSHOT OUTPUT_DIR\n"
                    "Draws the command-file window's pages, the wizard's steps and the add-objects dialog\n"
                    "over the snapshot's first database into PNG files in OUTPUT_DIR.\n");
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "Usage: editing_look SNAPSHOT OUTPUT_DIR\n");
        return 2;
    }
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString server = QStringLiteral("file:") + QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    VELKOptions().SaveWindow = false;
    VELKOptions().PromptOnClose = false;
    SetServerLister([](QStringList& L) { L = QStringList{QStringLiteral("SQLPROD01"), QStringLiteral("SQLTEST\\DEV")}; });

    QString database;
    QList<QPair<QString, QString>> tables;
    {
        TDMOServer catalogue(server, true, QString(), QString());
        database = catalogue.DefaultDatabase();
        tables = catalogue.ObjectOwners(0, database);
    }

    // The command-file window over the sample, with some tables chosen.
    auto file = std::make_unique<TCmdFile>();
    file->Connection.ServerName = server;
    file->Connection.DatabaseName = database;
    for (int i = 0; i < tables.size(); i += 2)
        file->Tables.Add(std::make_unique<TDBObject>(tables[i].second, tables[i].first));
    file->Views.Add(std::make_unique<TDBObject>(QStringLiteral("dbo"), QStringLiteral("vBookList")));
    TChildFile* w = TChildFile::NewCommandFileWindow(std::move(file));
    w->show();
    QTest::qWait(100);
    w->LoadCatalogueLists();
    const char* const names[10] = {"connection", "tables",  "views", "procedures", "defaults",
                                   "rules",      "types",   "functions", "formatting", "advanced"};
    for (int page = 1; page <= 10; ++page) {
        w->ShowPage(page);
        if (page == 2 && w->ObjectList(0)->RowCount() > 1) w->ObjectList(0)->Row(1)->setSelected(true);
        save(w, out, QStringLiteral("window-%1-%2").arg(page, 2, 10, QLatin1Char('0')).arg(QLatin1String(names[page - 1])));
    }
    w->ShowPage(1);
    w->AuthenticationBox()->setCurrentIndex(1);
    w->UsernameEdit()->setText(QStringLiteral("sa"));
    w->PasswordEdit()->setText(QStringLiteral("secret"));
    save(w, out, QStringLiteral("window-01b-sql-login"));

    // The add-objects dialog for tables.
    {
        TAddObjectDlg dlg(0, w);
        TDMOServer catalogue(server, true, QString(), QString());
        dlg.Load(catalogue, database, *w->ObjectList(0));
        dlg.show();
        if (dlg.LeftList()->RowCount() > 0) dlg.LeftList()->Row(0)->setSelected(true);
        dlg.UpdateButtons();
        save(&dlg, out, QStringLiteral("add-objects-tables"));
    }

    // The wizard, step by step.
    {
        TNewWizard wizard;
        wizard.show();
        for (int step = 0; step < TNewWizard::kStepCount; ++step) {
            if (step == 1) {
                save(&wizard, out, QStringLiteral("wizard-01a-source-initial"));
                wizard.ServerBox()->setEditText(server);
            }
            if (step >= 2 && step <= 6) {
                TObjectList* available = wizard.Step(step).available;
                if (available->RowCount() > 2) {
                    available->Row(0)->setSelected(true);
                    available->Row(2)->setSelected(true);
                    wizard.AddSelected(step);
                    available->Row(0)->setSelected(true);
                    wizard.UpdateButtons();
                }
            }
            save(&wizard, out, QStringLiteral("wizard-%1").arg(step, 2, 10, QLatin1Char('0')));
            if (step < TNewWizard::kStepCount - 1) wizard.GoToStep(step + 1);
        }
    }
    delete w;

    // A command file from the samples in the main window.
    {
        RegisterCommandFileWindows(ShellHooks());
        TVELKMain main(QStringList{}, TServerAvailability{});
        main.resize(1000, 640);
        main.show();
        QTest::qWait(100);
        TCmdFile sample;
        sample.Connection.ServerName = server;
        sample.Connection.DatabaseName = database;
        for (const auto& [name, owner] : tables) sample.Tables.Add(std::make_unique<TDBObject>(owner, name));
        const QString path = config.filePath(QStringLiteral("sample.qvx"));
        sample.SaveAs(path);
        TCommandFileChild* child = main.OpenCommandFile(path);
        QTest::qWait(200);
        child->ShowPage(2);
        main.UpdateActions();
        save(&main, out, QStringLiteral("main-window-tables"));
    }
    return 0;
}
