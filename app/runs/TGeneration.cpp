// The generation run and its result file.
#include "app/runs/TGeneration.h"

#include "app/catalogue/TDBDependencies.h"
#include "app/catalogue/TDMOServer.h"
#include "app/model/TCmdFile.h"
#include "app/runs/TScripter.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/EQMException.h"
#include "app/support/QMTools.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <memory>
#include <mutex>

namespace tavil {

namespace {

const QString kResultFileName = QStringLiteral("ScriptResult.tmp");

std::mutex gFolderMutex;

// Created once per process; its destructor removes the folder when the process ends.
std::unique_ptr<QTemporaryDir>& folderSlot()
{
    static std::unique_ptr<QTemporaryDir> folder;
    return folder;
}

using AddFunction = void (TScripter::*)(const QString&, const QString&);
const AddFunction kAdd[TCmdFile::KindCount] = {
    &TScripter::AddTable,   &TScripter::AddView,
    &TScripter::AddStoredProcedure, &TScripter::AddDefault,
    &TScripter::AddRule,    &TScripter::AddUserDefinedDatatype,
    &TScripter::AddUserDefinedFunction,
};

}  // namespace

QString RunFolder()
{
    std::lock_guard lock(gFolderMutex);
    auto& folder = folderSlot();
    if (folder && folder->isValid()) {
        // A cleaner may have removed it while the process ran: make it again, private as before.
        const QString path = folder->path();
        if (!QFileInfo(path).isDir()) {
            QDir().mkpath(path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        return IncludeTrailingBackslash(path);
    }
    const QString base = TempFolder();
    auto made = std::make_unique<QTemporaryDir>(base + QStringLiteral("tavil-run-XXXXXX"));
    if (!made->isValid())
        throw EQMException(QStringLiteral("Unable to create a temporary folder in '%1': %2").arg(base, made->errorString()),
                           EQMException::Warning);
    folder = std::move(made);
    return IncludeTrailingBackslash(folder->path());
}

QString ResultFilePath() { return RunFolder() + kResultFileName; }

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

void WriteLinesCrLf(const QString& path, const QStringList& lines)
{
    QSaveFile file(path);
    auto failed = [&](const QString& reason) {
        file.cancelWriting();
        return EQMException(QStringLiteral("Unable to write file '%1': %2").arg(path, reason), EQMException::Warning);
    };
    if (!file.open(QIODevice::WriteOnly)) throw failed(file.errorString());
    QByteArray chunk;
    for (const QString& line : lines) {
        chunk += line.toUtf8();
        chunk += "\r\n";
        if (chunk.size() >= (1 << 16)) {
            if (file.write(chunk) != chunk.size()) throw failed(file.errorString());
            chunk.clear();
        }
    }
    if (!chunk.isEmpty() && file.write(chunk) != chunk.size()) throw failed(file.errorString());
    if (!file.commit())
        throw EQMException(QStringLiteral("Unable to write file '%1': %2").arg(path, file.errorString()),
                           EQMException::Warning);
}

bool IsBlankScript(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x20) return false;
    return true;
}

QString Generate(const TCmdFile& cmdFile, PercentSink percent, MessageSink message)
{
    // The component instance lives for this call only and is released on every path.
    TScripter scripter;
    if (percent) scripter.OnScriptTransferPercentComplete = [percent](TScripter*, int p) { percent(p); };
    if (message) scripter.OnScriptTransferMessage = [message](TScripter*, const QString& m) { message(m); };

    const TVELKOptions& options = VELKOptions();
    TScripterSettings settings = scripter.Settings();
    settings.SetLoginTimeout(options.LoginTimeout);
    settings.SetQueryTimeout(options.QueryTimeout);
    settings.SetBlockingTimeout(options.BlockingTimeout);  // seconds; the component converts
    settings.SetNetPacketSize(options.NetPacketSize);

    const TDBConnection& c = cmdFile.Connection;
    TScripterConnection connection = scripter.Connection();
    connection.SetServerName(CommandFileServerName(c.ServerName, cmdFile.FileName));
    connection.SetWindowsAuthentication(c.WindowsAuthentication);
    connection.SetUsername(c.Username);
    connection.SetPassword(c.Password);
    connection.SetDatabaseName(c.DatabaseName);

    for (int kind = 0; kind < TCmdFile::KindCount; ++kind) {
        const TDBObjects& list = cmdFile.Objects(kind);
        for (int i = 0; i < list.Count(); ++i) (scripter.*kAdd[kind])(list.Items(i)->Owner, list.Items(i)->Name);
    }

    TScripterTableOptions table = scripter.TableOptions();
    table.SetScriptSchema(cmdFile.TableOptions.ScriptSchema);
    table.SetScriptData(cmdFile.TableOptions.ScriptData);

    const TDBFormatOptions& f = cmdFile.FormatOptions;
    TScripterFormatOptions format = scripter.FormatOptions();
    format.SetGenerateCreateCommand(f.GenerateCreateCommand);
    format.SetGenerateDropCommand(f.GenerateDropCommand);
    format.SetScriptDependentObjects(f.ScriptDependantObjects);
    format.SetIncludeHeaders(f.IncludeHeaders);
    format.SetIncludeExtendedProperties(f.IncludeExtendedProperties);
    format.SetScriptOnly70Compatible(f.ScriptOnly70Compatible);

    const TDBOtherOptions& o = cmdFile.OtherOptions;
    TScripterAdvancedOptions advanced = scripter.AdvancedOptions();
    advanced.SetScriptUsersRoles(o.ScriptUsersRoles);
    advanced.SetScriptLogins(o.ScriptLogins);
    advanced.SetScriptObjectPermissions(o.ScriptObjectPermissions);
    advanced.SetScriptTableIndexes(o.ScriptTableIndexes);
    advanced.SetScriptTableFullTextIndexes(o.ScriptTableFullTextIndexes);
    advanced.SetScriptTableTriggers(o.ScriptTableTriggers);
    advanced.SetScriptTableConstraints(o.ScriptTableConstraints);
    advanced.SetScriptTableIncludeColumnNames(o.ScriptTableIncludeColumnNames);

    scripter.EstablishConnection();

    // After a failure from here to the script no CloseConnection is sent: releasing the
    // component ends its connection.
    QStringList order;
    ListTableDependencies(scripter.Server(), c.DatabaseName, cmdFile.Tables, order, f.ScriptDependantObjects);
    TScripterDependencies dependencies = scripter.Dependencies();
    for (const QString& name : order) dependencies.Add(name);

    const QString script = scripter.GenerateScript();
    scripter.CloseConnection();

    if (IsBlankScript(script)) throw EQMException(QStringLiteral("Empty result script."), EQMException::Warning);

    const QString path = ResultFilePath();
    WriteLinesCrLf(path, SplitLines(script));
    return path;
}

}  // namespace tavil
