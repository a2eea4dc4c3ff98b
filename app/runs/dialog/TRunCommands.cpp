// The runs of a command file in the run dialog.
#include "app/model/TCmdFile.h"
#include "app/runs/TGeneration.h"
#include "app/runs/TVerification.h"
#include "app/runs/dialog/TProgressDlg.h"

namespace tavil {

namespace {

QString generate(const TCmdFile& file, const TPercentSink& percent, const TMessageSink& message)
{
    return Generate(file, percent, message);
}

void verify(const TCmdFile& file, TVerificationOutput& out)
{
    TVerificationSinkFor<TVerificationOutput> sink(out);
    Verify(file, sink);
}

TProgressDlg::TGenerator& generator()
{
    static TProgressDlg::TGenerator g = generate;
    return g;
}

TProgressDlg::TVerifier& verifier()
{
    static TProgressDlg::TVerifier v = verify;
    return v;
}

}  // namespace

void TProgressDlg::SetRunners(TGenerator g, TVerifier v)
{
    generator() = g ? std::move(g) : TGenerator(generate);
    verifier() = v ? std::move(v) : TVerifier(verify);
}

bool TProgressDlg::RunGeneration(const TCmdFile& cmdFile, QString& resultFileName, QWidget* parent)
{
    std::array<int, 7> counts{};
    for (int k = 0; k < TCmdFile::KindCount; ++k) counts[k] = cmdFile.Objects(k).Count();
    const TCmdFile* file = &cmdFile;
    return RunGenerationJob(
        cmdFile.Connection.ServerName, cmdFile.Connection.DatabaseName, counts,
        [file](const TPercentSink& percent, const TMessageSink& message) {
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
            verifier()(*file, out);
        },
        parent);
}

}  // namespace tavil
