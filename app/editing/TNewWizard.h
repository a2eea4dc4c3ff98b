// The new command-file wizard: ten steps that choose a server and database, the objects of the
// seven kinds from that database's catalogue and the script options; Finish builds a TCmdFile
// for the caller. The wizard keeps one catalogue connection from the moment the server is
// accepted until it is destroyed.
#pragma once

#include "app/model/TCmdFile.h"

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace tavil {

class TDMOServer;
class TObjectList;

class TNewWizard : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 605;
    static constexpr int kWidth = 503;
    static constexpr int kHeight = 391;
    static constexpr int kStepCount = 10;

    // The widgets of one object step (2 … 6).
    struct ObjectStep {
        QLabel* availableLabel = nullptr;
        TObjectList* available = nullptr;
        QLabel* chosenLabel = nullptr;
        TObjectList* chosen = nullptr;
        QPushButton* addAll = nullptr;
        QPushButton* add = nullptr;
        QPushButton* remove = nullptr;
        QPushButton* removeAll = nullptr;
        QString pattern;  // the available list's label with %1 for the database
        bool loaded = false;
    };

    explicit TNewWizard(QWidget* parent = nullptr);
    ~TNewWizard() override;

    // Moves to step i (0 … 9; other values are ignored). Going forward from step 1 connects
    // first when the server changed; preparing the step may ask the catalogue. Raises the
    // catalogue's EQMException; the wizard then stays where it was.
    void GoToStep(int i);
    // The buttons: Next (Finish on step 9) and Back, reporting errors through the application's
    // error handler.
    void Next();
    void Back();
    // Opens the catalogue connection with step 1's values and fills the database box. Raises
    // "Unable to open '%s' SQL Server." and the listing errors; no connection is kept then.
    void ConnectWizard();
    // Builds the command file and closes the wizard with it as the result.
    void Finish();
    // The close query: true when the wizard may close.
    bool CloseQuery();

    // The built command file (ownership passes), null unless Finish completed.
    std::unique_ptr<TCmdFile> TakeResult();

    int CurrentStep() const { return step_; }
    bool Finished() const { return finished_; }
    bool Finishing() const { return finishing_; }
    bool ConnectionStale() const { return connectionStale_; }
    bool Connected() const { return connection_ != nullptr; }
    bool StepLoaded(int step) const;
    QString DatabaseName() const { return databaseName_; }
    // Enables Back, Next, Cancel and the move buttons from the current state.
    void UpdateButtons();

    // Controls, for tests.
    QWidget* Header() const { return pHeader_; }
    QLabel* HeaderTitle() const { return lblHeaderTitle_; }
    QLabel* HeaderDescription() const { return lblHeaderDescription_; }
    QPushButton* BackButton() const { return cmdBack_; }
    QPushButton* NextButton() const { return cmdNext_; }
    QPushButton* CancelButton() const { return cmdCancel_; }
    QPushButton* RefreshButton() const { return cmdRefresh_; }
    QComboBox* ServerBox() const { return cbServer_; }
    QComboBox* DatabaseBox() const { return cbDatabase_; }
    QRadioButton* WindowsAuthentication() const { return radWindows_; }
    QRadioButton* SqlAuthentication() const { return radSql_; }
    QLineEdit* UsernameEdit() const { return txtUsername_; }
    QLineEdit* PasswordEdit() const { return txtPassword_; }
    QCheckBox* SchemaCheck() const { return chkSchema_; }
    QCheckBox* DataCheck() const { return chkData_; }
    // Check box i of steps 7 and 8 (0 … 13, in the order of the command file's fields).
    QCheckBox* OptionCheck(int i) const { return options_[static_cast<std::size_t>(i)]; }
    const ObjectStep& Step(int step) const { return objectSteps_[static_cast<std::size_t>(step - 2)]; }
    QWidget* StepPage(int step) const;

    // Moves between the lists of an object step, as its buttons do.
    void AddSelected(int step);
    void AddAll(int step);
    void RemoveSelected(int step);
    void RemoveAll(int step);

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildWelcome(bool last);
    QWidget* buildSource();
    QWidget* buildObjectStep(int step);
    QWidget* buildOptions(bool advanced);
    void prepareStep(int i);
    void prepareSource();
    void loadObjectStep(int step);
    void showStep(int i);
    void markObjectStepsNotLoaded();
    void checkClicked(QCheckBox* box);

    int step_ = 0;
    bool finished_ = false;
    bool finishing_ = false;
    bool connectionStale_ = true;
    bool sourcePrepared_ = false;
    bool filling_ = false;
    std::unique_ptr<TDMOServer> connection_;
    QString databaseName_;
    std::unique_ptr<TCmdFile> result_;

    QWidget* pHeader_ = nullptr;
    QWidget* lineHeader_ = nullptr;
    QLabel* lblHeaderTitle_ = nullptr;
    QLabel* lblHeaderDescription_ = nullptr;
    QStackedWidget* steps_ = nullptr;
    QPushButton* cmdBack_ = nullptr;
    QPushButton* cmdNext_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;

    QComboBox* cbServer_ = nullptr;
    QRadioButton* radWindows_ = nullptr;
    QRadioButton* radSql_ = nullptr;
    QLabel* lblUsername_ = nullptr;
    QLineEdit* txtUsername_ = nullptr;
    QLabel* lblPassword_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QComboBox* cbDatabase_ = nullptr;
    QPushButton* cmdRefresh_ = nullptr;
    std::array<ObjectStep, 5> objectSteps_{};
    QCheckBox* chkSchema_ = nullptr;
    QCheckBox* chkData_ = nullptr;
    std::array<QCheckBox*, 14> options_{};
};

// Shows the wizard modally over the owner; the built command file when Finish completed, null
// otherwise. The wizard and its connection are gone when this returns.
std::unique_ptr<TCmdFile> RunNewWizard(QWidget* owner = nullptr);

}  // namespace tavil
