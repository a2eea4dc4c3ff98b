// The runs of a command file in the run dialog.
#include "app/model/TCmdFile.h"
#include "app/runs/dialog/TProgressDlg.h"
#include "app/support/EQMException.h"

namespace tavil {

namespace {

TProgressDlg::TGenerator& generator()
{
    static TProgressDlg::TGenerator g;
    return g;
}

TProgressDlg::TVerifier& verifier()
{
    static TProgressDlg::TVerifier v;
    return v;
}

EQMException notBuilt()
{
    return EQMException(QStringLiteral("Script runs are not part of this build."), EQMException::Warning);
}

}  // namespace

void TProgressDlg::SetRunners(TGenerator g, TVerifier v)
{
    generator() = std::move(g);
    verifier() = std::move(v);
}

bool TProgressDlg::RunGeneration(const TCmdFile& cmdFile, QString& resultFileName, QWidget* parent)
{
    std::array<int, 7> counts{};
    for (int k = 0; k < TCmdFile::KindCount; ++k) counts[k] = cmdFile.Objects(k).Count();
    const TCmdFile* file = &cmdFile;
    return RunGenerationJob(
        cmdFile.Connection.ServerName, cmdFile.Connection.DatabaseName, counts,
        [file](const TPercentSink& percent, const TMessageSink& message) {
            if (!generator()) throw notBuilt();
            return generator()(*file, percent, message);
        },
        resultFileName, parent);
}

void TProgressDlg::RunVerification(const TCmdFile& cmdFile, QWidget* parent)
{
    const TCmdFile* file = &cmdFile;
    RunVerificationJob(
        cmdFile.FileName,
        [file](TVerificationOutput& out) {
            if (!verifier()) throw notBuilt();
            verifier()(*file, out);
        },
        parent);
}

}  // namespace tavil
