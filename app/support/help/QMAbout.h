// The about box and the system-information program it starts.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tavil {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // The label before the version in the version line.
    static constexpr const char* kProductLabel = "Version";
    static constexpr int kSupportContext = 60000;

    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* imgBanner = nullptr;
    QLabel* imgIcon = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblRelease = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblCredits = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSystemInfo = nullptr;
    QPushButton* cmdSupport = nullptr;
};

// Shows the about box modally.
void ShowAbout(QWidget* owner = nullptr);

// Where the system-information program is named in the settings store.
inline constexpr const char* kSystemInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSystemInfoValue = "Path";

// Starts the program named by kSystemInfoValue of kSystemInfoKey (HKEY_LOCAL_MACHINE). Raises
// EQMException (severity 1) "Unable to run System Info at this time." with the cause as details
// when the value is empty or the program cannot be started.
void RunSystemInformation();

}  // namespace tavil
