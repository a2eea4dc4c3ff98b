// The start-up steps in order, the single-instance rule, and shutdown.
#include "app/shell/TStartup.h"

#include "app/shell/TShellIcons.h"
#include "app/shell/TSplash.h"
#include "app/shell/TVELKMain.h"
#include "app/shell/core/CommandLine.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/iface/TShellHooks.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/support/QMApplication.h"
#include "app/support/QMCursor.h"
#include "app/support/QMRegistry.h"
#include "platform/InstanceLock.h"

#include <QFontDatabase>
#include <QIcon>
#include <QMessageBox>
#include <QThread>
#include <memory>

namespace tavil {

TVELKApplication::TVELKApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TVELKApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleApplicationException(std::current_exception());
        return false;
    }
}

const char* const kMultipleInstancesMessage = "You cannot create multiple instances of Quillomere Tavilor.";

bool AnotherInstanceBlocks(const QStringList& commandLineFiles, const TVELKOptions& options)
{
    if (!commandLineFiles.isEmpty() || !options.PreventMultiple) return false;
    // A lock that cannot be made at all says nothing about other instances: start.
    return platform::holdInstanceLock("VELK") == platform::InstanceLock::Result::HeldElsewhere;
}

void ApplyApplicationRecord()
{
    const TQMApplication& record = QMApp();
    // No application display name: on X11 and Wayland Qt would append it to the title of every
    // window, and each window's caption is already complete. Captions that stand for the
    // application use record.FullName themselves.
    QApplication::setApplicationName(QStringLiteral("tavil"));
    QApplication::setApplicationVersion(record.Version);
    QIcon icon(record.Icon);
    QApplication::setWindowIcon(icon.isNull() || icon.availableSizes().isEmpty() ? ProgramIcon() : icon);
    // Dialogs are laid out for an 8-point font.
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(record.DialogFont, Qt::CaseInsensitive)) font.setFamily(record.DialogFont);
    font.setPointSize(8);
    QApplication::setFont(font);
}

int RunProgram(int& argc, char** argv, const TStartupChecks& checks)
{
    // 1. The windowing framework.
    TVELKApplication app(argc, argv);
    InstallHourglassCursor();

    // 2. Up to five distinct command-line files.
    const QStringList files = CollectCommandLineFiles(QCoreApplication::arguments());

    // 3. The application record; the application title.
    const TQMApplication& record = QMApp();
    ApplyApplicationRecord();

    // 4. Where the program is and which version it is; failures are ignored.
    RegWriteString(record.RegistryRoot, record.AppKey, QStringLiteral("Location"), record.ExePath);
    RegWriteString(record.RegistryRoot, record.AppKey, QStringLiteral("Version"), record.Version);

    // 5. The options.
    TVELKOptions& options = VELKOptions();
    options.Load();

    // 6. One instance at a time, unless files were given or the option is off. The lock is held
    // until the process ends.
    if (AnotherInstanceBlocks(files, options)) {
        QMessageBox::information(nullptr, record.FullName, QString::fromLatin1(kMultipleInstancesMessage));
        return 0;
    }

    // 7. and 8. The splash picture and window.
    auto splash = std::make_unique<TSplash>(SplashPicture(), QStringLiteral("Version ") + record.Version,
                                            record.Copyright, record.ReleaseLabel);
    splash->ShowAndPaint();

    // 9. and 10. Which servers can be created.
    TServerAvailability availability;
    availability.DmoAvailable = !checks.DmoAvailable || checks.DmoAvailable();
    availability.AdoAvailable = !checks.AdoAvailable || checks.AdoAvailable();
    availability.ScripterAvailable = !checks.ScripterAvailable || checks.ScripterAvailable();

    // 11. The external tools.
    if (ShellHooks().LoadExternalTools) RunGuarded(ShellHooks().LoadExternalTools);

    // 12. and 13. The pause with the splash window on screen, then it goes.
    if (checks.SplashPauseMs > 0) QThread::msleep(static_cast<unsigned long>(checks.SplashPauseMs));
    splash->close();
    splash.reset();
    QCoreApplication::processEvents();

    // 14. The main window.
    auto main = std::make_unique<TVELKMain>(files, availability);
    // The program ends with its main window, even while a tool window of its own is still up.
    QObject::connect(main.get(), &TVELKMain::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    main->show();
    main->raise();
    main->activateWindow();

    // 15. The event loop runs until the main window has closed.
    const int status = QApplication::exec();

    // Shutdown: the main window (its recent lists and placement), the options, the tools.
    main.reset();
    options.Save();
    if (ShellHooks().SaveExternalTools) RunGuarded(ShellHooks().SaveExternalTools);
    return status;
}

}  // namespace tavil
