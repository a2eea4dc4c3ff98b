// The verification run's checks and report.
#include "app/runs/TVerification.h"

#include "app/catalogue/TDBDependencies.h"
#include "app/catalogue/TDMOServer.h"
#include "app/model/TCmdFile.h"
#include "app/support/EQMException.h"

#include <memory>

namespace tavil {

namespace {

struct KindCheck {
    const char* title;
    int progress;
};

// Views … functions; tables have a step of their own.
const KindCheck kKindChecks[TCmdFile::KindCount] = {
    {"Verifying Tables... ", 25},
    {"Verifying Views... ", 35},
    {"Verifying Stored Procedures... ", 45},
    {"Verifying Defaults... ", 55},
    {"Verifying Rule... ", 65},
    {"Verifying User Defined Datatypes... ", 75},
    {"Verifying User Defined Functions... ", 85},
};

const QString kOk = QStringLiteral(" OK.");
const QString kError = QStringLiteral("Error: ");

bool ambiguousPart(const QString& part)
{
    if (part.isEmpty()) return false;
    if (part.front().isSpace() || part.back().isSpace()) return true;
    for (const QChar c : part)
        if (c == QLatin1Char('.') || c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('"'))
            return true;
    return false;
}

class Run {
public:
    Run(const TCmdFile& cmdFile, TVerificationSink& sink) : c_(cmdFile), out_(sink) {}

    TVerificationResult Execute()
    {
        out_.Description(QStringLiteral("Verifying script. Please wait..."));
        try {
            Checks();
        } catch (const std::exception& e) {
            if (const auto* q = dynamic_cast<const EQMException*>(&e)) result_.AbortDetails = q->Details;
            Abort(ErrorText(e));
        } catch (...) {
            Abort(QStringLiteral("Unexpected error."));
        }
        server_.reset();  // the catalogue connection ends with the run
        return result_;
    }

private:
    void Title(const char* title) { out_.AppendLine(QString::fromLatin1(title)); }
    void Passed() { out_.AppendToLine(kOk); }
    void Failed(const QString& text)
    {
        out_.AppendLine(kError + text);
        ++result_.ErrorCount;
    }

    void Checks()
    {
        const TDBConnection& conn = c_.Connection;

        Title("Verifying Server connection... ");
        server_ = std::make_unique<TDMOServer>(CommandFileServerName(conn.ServerName, c_.FileName),
                                               conn.WindowsAuthentication, conn.Username, conn.Password);
        Passed();
        out_.Progress(10);

        Title("Verifying Server version... ");
        const int version = server_->GetVersionMajor();
        if (version >= 8)
            Passed();
        else
            Failed(QStringLiteral("Wrong SQL Server version. Version %1 is not supported. This may result in script "
                                  "generation errors.")
                       .arg(version));

        Title("Verifying Database... ");
        QString lookupError;
        if (!server_->DatabaseExists(conn.DatabaseName, lookupError)) throw EQMException(lookupError, EQMException::Warning);
        Passed();
        out_.Progress(20);

        bool anyTable = false;
        bool anyObject = false;
        if (c_.Tables.Count() > 0) {
            anyTable = anyObject = true;
            CheckObjects(TCmdFile::KindTables);
            Title("Verifying Table options... ");
            if (c_.TableOptions.ScriptSchema || c_.TableOptions.ScriptData)
                Passed();
            else
                Failed(QStringLiteral("Invalid table options. Must script schema and/or data."));
        }
        out_.Progress(kKindChecks[TCmdFile::KindTables].progress);

        for (int kind = TCmdFile::KindViews; kind < TCmdFile::KindCount; ++kind) {
            if (c_.Objects(kind).Count() > 0) {
                anyObject = true;
                CheckObjects(kind);
            }
            out_.Progress(kKindChecks[kind].progress);
        }

        Title("Verifying Formatting options... ");
        if (anyTable && c_.TableOptions.ScriptSchema && !c_.FormatOptions.GenerateCreateCommand
            && !c_.FormatOptions.GenerateDropCommand)
            Failed(QStringLiteral("Table schema scripting enabled but CREATE or DROP command generation disabled."));
        else
            Passed();
        out_.Progress(95);

        Title("Verifying Script result... ");
        if (anyObject)
            Passed();
        else
            Failed(QStringLiteral("No objects selected to script."));
        out_.Progress(100);

        if (result_.ErrorCount > 0) {
            out_.Description(QStringLiteral("Script verification failed."));
            out_.ShowErrorMark();
        } else {
            out_.Description(QStringLiteral("Script verification succeeded."));
        }
        Summary();
    }

    void CheckObjects(int kind)
    {
        Title(kKindChecks[kind].title);
        const TDBObjects& list = c_.Objects(kind);
        const QString& database = c_.Connection.DatabaseName;
        bool allFound = true;
        for (int i = 0; i < list.Count(); ++i) {
            const TDBObject* o = list.Items(i);
            QString lookupError;
            if (!server_->ObjectExists(kind, database, VerificationLookupName(o->Owner, o->Name), lookupError)) {
                Failed(lookupError);
                allFound = false;
            }
        }
        if (allFound) Passed();
    }

    void Summary()
    {
        out_.AppendLine(QString());
        if (result_.ErrorCount > 0)
            out_.AppendLine(QStringLiteral("%1 error(s) found in command file.").arg(result_.ErrorCount));
        else
            out_.AppendLine(QStringLiteral("No errors found in command file."));
    }

    void Abort(const QString& message)
    {
        result_.Aborted = true;
        Failed(message);
        Summary();
        out_.Description(QStringLiteral("Script verification failed."));
        out_.Progress(100);
        out_.ShowErrorMark();
    }

    const TCmdFile& c_;
    TVerificationSink& out_;
    std::unique_ptr<TDMOServer> server_;
    TVerificationResult result_;
};

}  // namespace

QString VerificationLookupName(const QString& owner, const QString& name)
{
    if (ambiguousPart(owner) || ambiguousPart(name)) return BracketedName(owner, name);
    return owner + QLatin1Char('.') + name;
}

TVerificationResult Verify(const TCmdFile& cmdFile, TVerificationSink& sink) { return Run(cmdFile, sink).Execute(); }

}  // namespace tavil
