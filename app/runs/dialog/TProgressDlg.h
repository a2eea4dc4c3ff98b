// The run dialog: shows a generation or verification run with its progress, its current message
// and, behind a details button, the run's summary or report.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QMovie;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tavil {

class TCmdFile;

// What a run reports while it works. Both sinks let the window repaint before they return.
using TPercentSink = std::function<void(int percent)>;
using TMessageSink = std::function<void(const QString& message)>;

// A generation job: produces the script file and returns its path; failures raise.
using TGenerationJob = std::function<QString(const TPercentSink&, const TMessageSink&)>;

// Where a verification job writes its report.
class TVerificationOutput {
public:
    virtual ~TVerificationOutput() = default;
    virtual void AppendLine(const QString& text) = 0;      // a new line in the details
    virtual void AppendToLine(const QString& text) = 0;    // appended to the last line
    virtual void Progress(int percent) = 0;                // repaints the window
    virtual void Description(const QString& text) = 0;
    virtual void ShowErrorMark() = 0;
};
// A verification job: writes its whole report, including the closing description and summary,
// and reports every failure as report lines rather than raising.
using TVerificationJob = std::function<void(TVerificationOutput&)>;

class TProgressDlg : public QDialog {
    Q_OBJECT
public:
    enum : std::uint8_t { ModeGeneration = 0, ModeVerification = 1 };

    // Window heights with the details hidden and shown, title bar included; the client area is
    // smaller by kTitleAllowance. The client width is fixed.
    static constexpr int kCollapsedHeight = 113;
    static constexpr int kExpandedHeight = 242;
    static constexpr int kTitleAllowance = 30;
    static constexpr int kClientWidth = 513;
    static constexpr int kHelpContext = 609;

    explicit TProgressDlg(QWidget* parent = nullptr);
    ~TProgressDlg() override;

    // Runs a generation job in a modal dialog. The caption names server and database; the
    // summary counts the objects asked for, kind by kind (tables, views, stored procedures,
    // defaults, rules, user-defined data types, user-defined functions). Returns true with the
    // result file's path when the run succeeded, once the user has closed the dialog.
    static bool RunGenerationJob(const QString& serverName, const QString& databaseName,
                                 const std::array<int, 7>& objectCounts, TGenerationJob job,
                                 QString& resultFileName, QWidget* parent = nullptr);
    // Runs a verification job in a modal dialog captioned with the command file's name.
    static void RunVerificationJob(const QString& fileName, TVerificationJob job, QWidget* parent = nullptr);

    // The runs of a command file: generation returns true with the result file's path when it
    // succeeded, once the user has closed the dialog. The command file is read, never changed.
    static bool RunGeneration(const TCmdFile& cmdFile, QString& resultFileName, QWidget* parent = nullptr);
    static void RunVerification(const TCmdFile& cmdFile, QWidget* parent = nullptr);

    // The code that does the runs: Generate and Verify of the runs library unless replaced (an
    // empty function brings those back).
    using TGenerator = std::function<QString(const TCmdFile&, const TPercentSink&, const TMessageSink&)>;
    using TVerifier = std::function<void(const TCmdFile&, TVerificationOutput&)>;
    static void SetRunners(TGenerator generator, TVerifier verifier);

    // Prepares the dialog for a run without showing it (RunGenerationJob/RunVerificationJob
    // call these, then exec()). The run starts once per showing, when the dialog is shown.
    void PrepareGeneration(const QString& serverName, const QString& databaseName,
                           const std::array<int, 7>& objectCounts, TGenerationJob job);
    void PrepareVerification(const QString& fileName, TVerificationJob job);

    std::uint8_t Mode = ModeGeneration;
    bool Busy = false;
    bool Succeeded = false;
    QString ResultFileName;

    bool DetailsShown() const { return detailsShown_; }
    void ToggleDetails();

    // The folder searched for "wait.avi"; defaults to the program's folder.
    static void SetAnimationFolder(const QString& folder);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    class Output;
    void prepareAnimation();
    void startRun();
    void runGeneration();
    void runVerification();
    void beginBusy();
    void endBusy();
    void setDetailsShown(bool shown);

    QLabel* imgIcon_ = nullptr;
    QLabel* anWait_ = nullptr;
    QLabel* imgError_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QProgressBar* pBar_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
    QPushButton* cmdDetails_ = nullptr;
    QPlainTextEdit* txtDetails_ = nullptr;
    QMovie* movie_ = nullptr;

    TGenerationJob generation_;
    TVerificationJob verification_;
    std::array<int, 7> counts_{};
    bool started_ = false;
    bool detailsShown_ = false;
};

}  // namespace tavil
