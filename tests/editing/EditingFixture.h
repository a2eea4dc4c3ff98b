// What the editing tests share: a settings store of their own, a small catalogue served as a
// snapshot file or over TDS on 127.0.0.1, and a driver that answers the modal dialogs a step
// opens.
#pragma once

#include "app/shell/core/TVELKOptions.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/shell/messages/QMMessage.h"
#include "app/shell/messages/QMMessageDetails.h"
#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Snapshot.h"
#include "tests/tdsserver/DataSource.h"
#include "tests/tdsserver/TestServer.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace edtest {

// A settings folder of the test process's own; made before anything reads the store.
inline QTemporaryDir& configDir()
{
    static QTemporaryDir dir;
    return dir;
}

inline void useOwnSettings()
{
    qputenv("XDG_CONFIG_HOME", configDir().path().toLocal8Bit());
}

struct Obj {
    std::string owner;
    std::string name;
};

// A catalogue: database "Shop" (the login's default) and a second database "Archive".
struct CatalogueContent {
    std::vector<Obj> tables{{"dbo", "Orders"}, {"dbo", "customers"}, {"sales", "Orders"}, {"dbo", "Books"}};
    std::vector<Obj> views{{"dbo", "vOrders"}};
    std::vector<Obj> procedures{{"dbo", "spRefresh"}};
    std::vector<Obj> defaults{{"dbo", "zDefault"}, {"dbo", "aDefault"}};
    std::vector<Obj> rules{{"dbo", "aRule"}, {"dbo", "mRule"}};
    std::vector<Obj> types{{"dbo", "zType"}};
    std::vector<Obj> functions{{"dbo", "aFunction"}};
    std::vector<Obj> archiveTables{{"dbo", "OldOrders"}};
    int versionMajor = 8;
};

inline sqldmo::model::Server buildCatalogue(const CatalogueContent& content = {})
{
    using namespace sqldmo::model;
    ObjectId id = 100;
    auto fill = [&id](auto& list, const std::vector<Obj>& objects) {
        for (const Obj& o : objects) {
            typename std::decay_t<decltype(list)>::value_type object;
            object.id = id++;
            object.owner = o.owner;
            object.name = o.name;
            list.push_back(object);
        }
    };
    auto shop = std::make_shared<Database>();
    shop->name = "Shop";
    shop->owner = "sa";
    fill(shop->tables, content.tables);
    for (Table& t : shop->tables) {
        Column c;
        c.name = "Id";
        c.dataType = c.baseType = "int";
        t.columns.push_back(c);
    }
    fill(shop->views, content.views);
    for (View& v : shop->views) v.text = "CREATE VIEW [" + v.owner + "].[" + v.name + "] AS SELECT 1 AS One";
    fill(shop->procedures, content.procedures);
    for (StoredProcedure& p : shop->procedures) p.text = "CREATE PROCEDURE [" + p.owner + "].[" + p.name + "] AS SELECT 1";
    fill(shop->defaults, content.defaults);
    for (DefaultObject& d : shop->defaults) d.text = "CREATE DEFAULT [" + d.owner + "].[" + d.name + "] AS 0";
    fill(shop->rules, content.rules);
    for (Rule& r : shop->rules) r.text = "CREATE RULE [" + r.owner + "].[" + r.name + "] AS @v > 0";
    fill(shop->types, content.types);
    for (UserDefinedDatatype& t : shop->types) t.baseType = "int";
    fill(shop->functions, content.functions);
    for (UserDefinedFunction& f : shop->functions)
        f.text = "CREATE FUNCTION [" + f.owner + "].[" + f.name + "]() RETURNS int AS BEGIN RETURN 1 END";

    auto archive = std::make_shared<Database>();
    archive->name = "Archive";
    archive->owner = "sa";
    fill(archive->tables, content.archiveTables);
    for (Table& t : archive->tables) {
        Column c;
        c.name = "Id";
        c.dataType = c.baseType = "int";
        t.columns.push_back(c);
    }

    Server server;
    server.name = "EDITING";
    server.versionMajor = content.versionMajor;
    server.versionString = content.versionMajor == 7 ? "7.00.1063" : "8.00.2039";
    server.login = "sa";
    Login sa;
    sa.name = "sa";
    sa.defaultDatabase = "Shop";
    server.logins.push_back(sa);
    server.databases = {shop, archive};
    return server;
}

// The catalogue as a snapshot file, opened as the server "file:PATH".
class SnapshotServer {
public:
    explicit SnapshotServer(const CatalogueContent& content = {})
    {
        path_ = dir_.filePath(QStringLiteral("editing.snapshot"));
        sqldmo::snapshot::writeSnapshot(path_.toStdString(), buildCatalogue(content));
    }
    QString Name() const { return QStringLiteral("file:") + path_; }
    QString Dir() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString path_;
};

// The catalogue over TDS on 127.0.0.1; login "sa" with password "secret".
class TdsServer {
public:
    explicit TdsServer(const CatalogueContent& content = {})
    {
        tdstest::ServerOptions options;
        options.data = std::make_shared<tdstest::FixtureData>(buildCatalogue(content));
        options.lifetime = std::chrono::seconds(240);
        server_ = std::make_unique<tdstest::TestServer>(options);
        server_->start();
    }
    QString Name() const { return QString::fromStdString(server_->address()); }
    int Logins() const { return static_cast<int>(server_->observed().logins.size()); }
    tdstest::TestServer& Server() { return *server_; }

private:
    std::unique_ptr<tdstest::TestServer> server_;
};

// A server name that cannot be reached: a snapshot file that does not exist.
inline QString unreachableServer() { return QStringLiteral("file:/nonexistent/editing-missing.snapshot"); }

// The message text of the program's message boxes and error boxes.
inline QString dialogText(QWidget* w)
{
    if (auto* m = qobject_cast<tavil::TQMMessage*>(w)) return m->MessageLabel()->text();
    if (auto* d = qobject_cast<tavil::TQMMessageDetails*>(w)) return d->MessageLabel()->text();
    return w->windowTitle();
}

// Presses the button of a dialog whose caption is the given one ("&Yes" …).
inline bool pressButton(QWidget* dialog, const QString& caption)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->isVisible() && b->text() == caption) {
            b->click();
            return true;
        }
    return false;
}

// Answers the modal dialogs that open while it lives. Each expected dialog is answered by the
// next handler in the queue; a dialog nobody expected is recorded and closed, so that no test
// waits for ever. It stops by itself with the test.
class ModalDriver {
public:
    using Handler = std::function<void(QWidget*)>;

    ModalDriver()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }

    void Expect(Handler h) { handlers_.push_back(std::move(h)); }
    // Answers a message box with a button and records its text.
    void Answer(const QString& caption)
    {
        Expect([this, caption](QWidget* w) {
            if (!pressButton(w, caption)) w->close();
        });
    }
    // Closes an error box with OK.
    void Acknowledge() { Answer(QStringLiteral("&OK")); }
    // Picks a file in the save dialog; an empty path cancels it.
    void SaveAs(const QString& path)
    {
        Expect([path](QWidget* w) {
            auto* dlg = qobject_cast<QFileDialog*>(w);
            if (!dlg || path.isEmpty()) {
                w->close();
                return;
            }
            // selectFile leaves the name field alone while it has the focus.
            dlg->setDirectory(QFileInfo(path).absolutePath());
            if (auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(QFileInfo(path).fileName());
            else dlg->selectFile(path);
            static_cast<QDialog*>(dlg)->accept();  // QFileDialog::accept checks the name
        });
    }

    // Texts of every dialog seen, in order; dialogs nobody expected.
    QStringList Texts;
    int Unexpected = 0;
    bool Idle() const { return handlers_.empty(); }

private:
    void tick()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        if (w->property("edtestSeen").toBool()) {
            // A handler that failed half-way leaves its dialog open: close it after a while, so
            // that the test reports the failure instead of waiting for ever.
            if (w == stuck_ && ++stuckTicks_ > 1000) {
                ++Unexpected;
                w->close();
            } else if (w != stuck_) {
                stuck_ = w;
                stuckTicks_ = 0;
            }
            return;
        }
        w->setProperty("edtestSeen", true);
        Texts.append(dialogText(w));
        QPointer<QWidget> guard(w);
        if (handlers_.empty()) {
            ++Unexpected;
            w->close();
            return;
        }
        Handler h = std::move(handlers_.front());
        handlers_.pop_front();
        // Handled outside the timer's own call, so that a handler may run a nested loop.
        QTimer::singleShot(0, [h, guard] {
            if (guard) h(guard);
        });
    }

    QTimer timer_;
    std::deque<Handler> handlers_;
    QPointer<QWidget> stuck_;
    int stuckTicks_ = 0;
};

// Options as a test wants them; the store is not written.
inline void setPromptOnClose(bool on) { tavil::VELKOptions().PromptOnClose = on; }

}  // namespace edtest
