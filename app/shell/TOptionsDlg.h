// The Preferences dialog: the user's options on three pages.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tavil {

class TSpinField;
class TVELKOptions;

class TOptionsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 500;

    // Copies the options into the controls. The dialog writes back into `options` on OK and
    // Apply only.
    explicit TOptionsDlg(TVELKOptions& options, QWidget* parent = nullptr);

    // OK and Apply without the buttons: validate, store, emit Applied, save. Raises EQMException
    // (severity 1) when a field is not valid; nothing is stored then.
    void Store();

    // The fonts the font list offers: the system's scalable fonts that cover Latin text and
    // are not symbol fonts.
    static QStringList EditorFonts();

    QTabWidget* Pages() const { return pages_; }
    QCheckBox* chkPreventMultiple = nullptr;
    QCheckBox* chkSaveWindow = nullptr;
    QCheckBox* chkPromptOnClose = nullptr;
    TSpinField* txtMaxMRU = nullptr;
    TSpinField* txtLoginTimeout = nullptr;
    TSpinField* txtQueryTimeout = nullptr;
    TSpinField* txtBlockingTimeout = nullptr;
    TSpinField* txtPacketSize = nullptr;
    QLineEdit* txtDefaultFolder = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLineEdit* txtExtension = nullptr;
    QComboBox* cbFontName = nullptr;
    QComboBox* cbFontSize = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

signals:
    // The options were stored; the main window applies them to its windows.
    void Applied();

private:
    void load();
    void browse();

    TVELKOptions& options_;
    QTabWidget* pages_ = nullptr;
};

}  // namespace tavil
