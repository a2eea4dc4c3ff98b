// The verification run of a command file: checks it against its server through a catalogue
// connection and writes a report, one line per check, then a count of the errors. The report
// goes to a sink, so the run dialog and tavilc show the same lines.
#pragma once

#include <QString>

namespace tavil {

class TCmdFile;

// Where a verification writes its report.
class TVerificationSink {
public:
    virtual ~TVerificationSink() = default;
    virtual void AppendLine(const QString& text) = 0;    // a new line
    virtual void AppendToLine(const QString& text) = 0;  // appended to the last line
    virtual void Progress(int percent) = 0;              // 10 … 100
    virtual void Description(const QString& text) = 0;   // the run's current state
    virtual void ShowErrorMark() = 0;                    // the run found errors
};

// Forwards to any object with the same five members (the run dialog's output, say).
template <class Output>
class TVerificationSinkFor final : public TVerificationSink {
public:
    explicit TVerificationSinkFor(Output& out) : out_(out) {}
    void AppendLine(const QString& text) override { out_.AppendLine(text); }
    void AppendToLine(const QString& text) override { out_.AppendToLine(text); }
    void Progress(int percent) override { out_.Progress(percent); }
    void Description(const QString& text) override { out_.Description(text); }
    void ShowErrorMark() override { out_.ShowErrorMark(); }

private:
    Output& out_;
};

struct TVerificationResult {
    int ErrorCount = 0;
    bool Aborted = false;  // a check could not be made (no connection, no database ...)
    QString AbortDetails;  // the underlying error behind an abort, which the report leaves out
};

// Runs every check and writes the whole report, the closing description and the summary
// included. Never raises for what it finds or cannot reach: every failure is a report line and
// counts in ErrorCount. The command file is only read; a snapshot server it names with a
// relative path is looked for in the command file's folder.
TVerificationResult Verify(const TCmdFile& cmdFile, TVerificationSink& sink);

// The name a verification looks an object up by: owner "." name, or the bracketed form when a
// part holds a character that would make the plain form ambiguous (".", brackets, quotes, blanks
// at its ends).
QString VerificationLookupName(const QString& owner, const QString& name);

}  // namespace tavil
