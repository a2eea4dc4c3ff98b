// The run dialog. Runs execute on the user-interface thread; their progress and message sinks
// process pending events so that the dialog repaints, and the dialog refuses to close while a
// run is busy so that the run's objects stay alive until it ends.
#include "app/runs/dialog/TProgressDlg.h"

#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMTools.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <exception>

namespace tavil {

namespace {

QString& animationFolder()
{
    static QString folder;
    return folder;
}

QString errorMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EQMException& e) {
        return e.Message;
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

const char* const kSummary[7] = {
    "Tables scripted: %1",
    "Views scripted: %1",
    "Stored Procedures scripted: %1",
    "Defaults scripted: %1",
    "Rules scripted: %1",
    "User defined datatypes scripted: %1",
    "User defined functions scripted: %1",
};

}  // namespace

// The verification report goes straight into the dialog's controls.
class TProgressDlg::Output : public TVerificationOutput {
public:
    explicit Output(TProgressDlg& dlg) : dlg_(dlg) {}
    void AppendLine(const QString& text) override { dlg_.txtDetails_->appendPlainText(text); }
    void AppendToLine(const QString& text) override
    {
        QTextCursor c(dlg_.txtDetails_->document());
        c.movePosition(QTextCursor::End);
        c.insertText(text);
    }
    void Progress(int percent) override
    {
        dlg_.pBar_->setValue(percent);
        QCoreApplication::processEvents();
    }
    void Description(const QString& text) override { dlg_.lblDescription_->setText(text); }
    void ShowErrorMark() override { dlg_.imgError_->show(); }

private:
    TProgressDlg& dlg_;
};

void TProgressDlg::SetAnimationFolder(const QString& folder) { animationFolder() = folder; }

TProgressDlg::TProgressDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TProgressDlg"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    imgIcon_ = new QLabel(this);
    imgIcon_->setObjectName(QStringLiteral("imgIcon"));
    imgIcon_->setGeometry(16, 16, 32, 32);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_FileDialogContentsView, nullptr, this);
    imgIcon_->setPixmap(icon.pixmap(32, 32));

    anWait_ = new QLabel(this);
    anWait_->setObjectName(QStringLiteral("anWait"));
    anWait_->setGeometry(16, 16, 32, 32);
    anWait_->hide();

    imgError_ = new QLabel(this);
    imgError_->setObjectName(QStringLiteral("imgError"));
    imgError_->setGeometry(16, 32, 16, 16);
    imgError_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(16, 16));
    imgError_->hide();

    lblDescription_ = new QLabel(this);
    lblDescription_->setObjectName(QStringLiteral("lblDescription"));
    lblDescription_->setGeometry(56, 16, 353, 33);
    lblDescription_->setWordWrap(true);
    lblDescription_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription_->setTextFormat(Qt::PlainText);

    pBar_ = new QProgressBar(this);
    pBar_->setObjectName(QStringLiteral("pBar"));
    pBar_->setGeometry(56, 56, 353, 16);
    pBar_->setRange(0, 100);
    pBar_->setValue(0);
    pBar_->setTextVisible(false);

    cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    cmdClose_->setGeometry(424, 16, 75, 25);
    cmdClose_->setDefault(true);
    cmdClose_->setEnabled(false);
    connect(cmdClose_, &QPushButton::clicked, this, &TProgressDlg::reject);

    cmdDetails_ = new QPushButton(QStringLiteral("&Details >>"), this);
    cmdDetails_->setObjectName(QStringLiteral("cmdDetails"));
    cmdDetails_->setGeometry(424, 48, 75, 25);
    cmdDetails_->setAutoDefault(false);
    cmdDetails_->setEnabled(false);
    connect(cmdDetails_, &QPushButton::clicked, this, &TProgressDlg::ToggleDetails);

    txtDetails_ = new QPlainTextEdit(this);
    txtDetails_->setObjectName(QStringLiteral("txtDetails"));
    txtDetails_->setGeometry(16, 88, 481, 113);
    txtDetails_->setReadOnly(true);
    txtDetails_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDetails_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    setDetailsShown(false);
}

TProgressDlg::~TProgressDlg() = default;

void TProgressDlg::prepareAnimation()
{
    QString folder = animationFolder();
    if (folder.isEmpty()) folder = QMApp().ExePath;
    const QString path = QDir(folder).filePath(QStringLiteral("wait.avi"));
    delete movie_;
    movie_ = nullptr;
    if (QFileInfo::exists(path)) {
        auto* movie = new QMovie(path, QByteArray(), this);
        if (movie->isValid()) {
            movie->setScaledSize(QSize(32, 32));
            anWait_->setMovie(movie);
            movie_ = movie;
        } else {
            delete movie;
        }
    }
    // Without a playable animation the control is moved out of sight.
    if (!movie_) anWait_->move(16, 1000);
    else anWait_->move(16, 16);
}

void TProgressDlg::PrepareGeneration(const QString& serverName, const QString& databaseName,
                                     const std::array<int, 7>& objectCounts, TGenerationJob job)
{
    setWindowTitle(QStringLiteral("Scripting objects from %1.%2...").arg(serverName, databaseName));
    lblDescription_->setText(QStringLiteral("Preparing script generation..."));
    Mode = ModeGeneration;
    Succeeded = false;
    ResultFileName.clear();
    counts_ = objectCounts;
    generation_ = std::move(job);
    setDetailsShown(false);
    prepareAnimation();
}

void TProgressDlg::PrepareVerification(const QString& fileName, TVerificationJob job)
{
    setWindowTitle(QStringLiteral("Verifying script %1...").arg(QFileInfo(fileName).fileName()));
    lblDescription_->setText(QStringLiteral("Preparing script verification..."));
    Mode = ModeVerification;
    Succeeded = false;
    ResultFileName.clear();
    verification_ = std::move(job);
    setDetailsShown(false);
    prepareAnimation();
}

bool TProgressDlg::RunGenerationJob(const QString& serverName, const QString& databaseName,
                                    const std::array<int, 7>& objectCounts, TGenerationJob job,
                                    QString& resultFileName, QWidget* parent)
{
    TProgressDlg dlg(parent);
    dlg.PrepareGeneration(serverName, databaseName, objectCounts, std::move(job));
    dlg.exec();
    resultFileName = dlg.Succeeded ? dlg.ResultFileName : QString();
    return dlg.Succeeded;
}

void TProgressDlg::RunVerificationJob(const QString& fileName, TVerificationJob job, QWidget* parent)
{
    TProgressDlg dlg(parent);
    dlg.PrepareVerification(fileName, std::move(job));
    dlg.exec();
}

void TProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // One run per showing, however often the dialog is activated while shown. The run starts
    // from the event loop so that the dialog is drawn first.
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &TProgressDlg::startRun);
    }
}

void TProgressDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!Busy && !isVisible() && event->spontaneous() == false) started_ = false;
}

void TProgressDlg::startRun()
{
    QCoreApplication::processEvents();
    if (Mode == ModeGeneration) runGeneration();
    else runVerification();
}

void TProgressDlg::beginBusy()
{
    Busy = true;
    HourglassOn();
    if (movie_) {
        anWait_->show();
        anWait_->raise();
        movie_->start();
    }
}

void TProgressDlg::endBusy()
{
    if (movie_) movie_->stop();
    anWait_->hide();
    HourglassOff();
    Busy = false;
}

void TProgressDlg::runGeneration()
{
    beginBusy();
    lblDescription_->setText(QStringLiteral("Generating script. Please wait..."));
    const TPercentSink percent = [this](int value) {
        pBar_->setValue(value);
        QCoreApplication::processEvents();
    };
    const TMessageSink message = [this](const QString& text) {
        lblDescription_->setText(text);
        QCoreApplication::processEvents();
    };
    try {
        if (!generation_) throw EQMException(QStringLiteral("Nothing to generate."), EQMException::Warning);
        const QString path = generation_(percent, message);
        ResultFileName = path;
        Succeeded = true;
        lblDescription_->setText(QStringLiteral("Script generation succeeded."));
        txtDetails_->clear();
        for (int k = 0; k < 7; ++k) txtDetails_->appendPlainText(QString::fromLatin1(kSummary[k]).arg(counts_[k]));
    } catch (...) {
        ResultFileName.clear();
        Succeeded = false;
        lblDescription_->setText(QStringLiteral("Script generation failed."));
        imgError_->show();
        txtDetails_->appendPlainText(errorMessage(std::current_exception()));
        pBar_->setValue(100);
    }
    cmdClose_->setEnabled(true);
    cmdDetails_->setEnabled(true);
    endBusy();
    cmdClose_->setFocus();
}

void TProgressDlg::runVerification()
{
    beginBusy();
    lblDescription_->setText(QStringLiteral("Verifying script. Please wait..."));
    Output out(*this);
    try {
        if (verification_) verification_(out);
        Succeeded = true;
    } catch (...) {
        // The report producer turns its failures into report lines; anything that still gets
        // here is shown the same way instead of being lost.
        out.AppendLine(QStringLiteral("Error: ") + errorMessage(std::current_exception()));
        out.Description(QStringLiteral("Script verification failed."));
        out.ShowErrorMark();
        pBar_->setValue(100);
        Succeeded = false;
    }
    cmdClose_->setEnabled(true);
    cmdDetails_->setEnabled(true);
    txtDetails_->moveCursor(QTextCursor::Start);
    txtDetails_->ensureCursorVisible();
    endBusy();
    cmdClose_->setFocus();
}

void TProgressDlg::ToggleDetails() { setDetailsShown(!detailsShown_); }

void TProgressDlg::setDetailsShown(bool shown)
{
    detailsShown_ = shown;
    cmdDetails_->setText(shown ? QStringLiteral("&Details <<") : QStringLiteral("&Details >>"));
    cmdDetails_->setProperty("tag", shown ? 1 : 0);
    txtDetails_->setVisible(shown);
    setFixedSize(kClientWidth, (shown ? kExpandedHeight : kCollapsedHeight) - kTitleAllowance);
}

void TProgressDlg::reject()
{
    if (Busy) return;
    QDialog::reject();
}

void TProgressDlg::closeEvent(QCloseEvent* event)
{
    if (Busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TProgressDlg::keyPressEvent(QKeyEvent* event)
{
    // Escape and F1 act on key release, as in the program's other dialogs.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F1) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TProgressDlg::keyReleaseEvent(QKeyEvent* event)
{
    if (!Busy && !event->isAutoRepeat()) {
        if (event->key() == Qt::Key_Escape) {
            reject();
            return;
        }
        if (event->key() == Qt::Key_F1) {
            RequestHelp(kHelpContext, this);
            return;
        }
    }
    QDialog::keyReleaseEvent(event);
}

}  // namespace tavil
