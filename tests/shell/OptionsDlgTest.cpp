// The Preferences dialog: loading with clamping, the numeric field rule, validation that stores
// nothing, and OK/Apply storing and applying.
#include "app/shell/TOptionsDlg.h"
#include "app/shell/TSpinField.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"
#include "tests/shell/Fakes.h"
#include "tests/shell/TempStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace tavil;

class OptionsDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempStore> store_;

    static void type(TSpinField* field, const QString& text)
    {
        field->Edit()->selectAll();
        field->Edit()->del();
        if (!text.isEmpty()) QTest::keyClicks(field, text);
    }

    // A valid set of options for the machine the test runs on.
    static TVELKOptions valid()
    {
        TVELKOptions o;
        o.EditorFontName = TOptionsDlg::EditorFonts().value(0);
        return o;
    }

private slots:
    void init() { store_ = std::make_unique<test::TempStore>(); }
    void cleanup() { store_.reset(); }

    void pagesAndCaptions()
    {
        TVELKOptions o = valid();
        TOptionsDlg dlg(o);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Preferences..."));
        QCOMPARE(dlg.Pages()->count(), 3);
        QCOMPARE(dlg.Pages()->tabText(0), QStringLiteral("  &General  "));
        QCOMPARE(dlg.Pages()->tabText(1), QStringLiteral("S&erver"));
        QCOMPARE(dlg.Pages()->tabText(2), QStringLiteral("&Scripts"));
        QCOMPARE(dlg.Pages()->currentIndex(), 0);
        QVERIFY(dlg.cmdOK->isDefault());
        QCOMPARE(dlg.txtExtension->maxLength(), 3);
        QStringList sizes;
        for (int i = 0; i < dlg.cbFontSize->count(); ++i) sizes << dlg.cbFontSize->itemText(i);
        QCOMPARE(sizes, (QStringList{"8", "10", "12", "14", "16", "18"}));
        QVERIFY(!dlg.cbFontSize->isEditable());
        QVERIFY(!dlg.cbFontName->isEditable());
        QVERIFY(!TOptionsDlg::EditorFonts().isEmpty());
    }

    void numericRule_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("result");
        QTest::newRow("above") << 1 << 20 << "30" << 20;
        QTest::newRow("empty") << 128 << 65535 << "" << 128;
        QTest::newRow("lone minus") << -1 << 1000 << "-" << -1;
        QTest::newRow("below") << 0 << 1000 << "-5" << 0;
        QTest::newRow("signs only") << 1 << 20 << "+-" << 1;
        QTest::newRow("in range") << -1 << 1000 << "250" << 250;
        QTest::newRow("huge") << 1 << 20 << "99999999999999999999" << 20;
        QTest::newRow("huge negative") << 1 << 20 << "-99999999999999999999" << 1;
    }

    void numericRule()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(QString, typed);
        QFETCH(int, result);
        QCOMPARE(TSpinField::Corrected(typed, min, max), result);
    }

    void typedValuesAreCorrectedWhenTheFieldLosesTheFocus()
    {
        TVELKOptions o = valid();
        TOptionsDlg dlg(o);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.activateWindow();
        dlg.txtMaxMRU->setFocus();
        QTRY_VERIFY(dlg.txtMaxMRU->hasFocus());
        type(dlg.txtMaxMRU, QStringLiteral("30"));
        // Letters are not taken as typed input.
        QTest::keyClicks(dlg.txtMaxMRU, QStringLiteral("x"));
        QCOMPARE(dlg.txtMaxMRU->Edit()->text(), QStringLiteral("30"));
        dlg.chkSaveWindow->setFocus();
        QTRY_COMPARE(dlg.txtMaxMRU->Edit()->text(), QStringLiteral("20"));
    }

    void storedValuesOutsideTheRangesAreClampedWhenShown()
    {
        TVELKOptions o = valid();
        o.MaxMRU = 50;
        o.NetPacketSize = 10;
        o.EditorFontSize = 9;
        TOptionsDlg dlg(o);
        QCOMPARE(dlg.txtMaxMRU->value(), 20);
        QCOMPARE(dlg.txtPacketSize->value(), 128);
        QCOMPARE(dlg.cbFontSize->currentIndex(), -1);
        QCOMPARE(o.MaxMRU, 50);  // the options themselves are untouched until OK
    }

    void validationFailsWithoutStoringAnything_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder") << 0 << "Folder '%1/none' not found.";
        QTest::newRow("extension") << 1 << "You did not define the script file extension.";
        QTest::newRow("font name") << 2 << "You did not define the script editor's font name";
        QTest::newRow("font size") << 3 << "You did not define the script editor's font size";
    }

    void validationFailsWithoutStoringAnything()
    {
        QFETCH(int, fault);
        QFETCH(QString, message);
        TVELKOptions o = valid();
        TVELKOptions before = o;
        TOptionsDlg dlg(o);
        QSignalSpy applied(&dlg, &TOptionsDlg::Applied);
        dlg.chkPreventMultiple->setChecked(true);
        type(dlg.txtPacketSize, QString());
        switch (fault) {
        case 0: dlg.txtDefaultFolder->setText(store_->path() + QStringLiteral("/none")); break;
        case 1: dlg.txtExtension->clear(); break;
        case 2: dlg.cbFontName->setCurrentIndex(-1); break;
        case 3: dlg.cbFontSize->setCurrentIndex(-1); break;
        }
        try {
            dlg.Store();
            QFAIL("no error");
        } catch (const EQMException& e) {
            QCOMPARE(e.Message, message.contains(u'%') ? message.arg(store_->path()) : message);
            QCOMPARE(e.Severity, EQMException::Warning);
            QVERIFY(e.Details.isEmpty());
        }
        QCOMPARE(o.PreventMultiple, before.PreventMultiple);
        QCOMPARE(o.NetPacketSize, before.NetPacketSize);
        QCOMPARE(applied.count(), 0);
        QVERIFY(!RegValueExists(QMApp().RegistryRoot, TVELKOptions::RegistryKey(), QStringLiteral("PreventMultiple")));
        // The fields corrected before the checks keep their corrected values.
        QCOMPARE(dlg.txtPacketSize->Edit()->text(), QStringLiteral("128"));
    }

    void okStoresAppliesSavesAndCloses()
    {
        TVELKOptions o = valid();
        TOptionsDlg dlg(o);
        QSignalSpy applied(&dlg, &TOptionsDlg::Applied);
        dlg.chkSaveWindow->setChecked(false);
        type(dlg.txtLoginTimeout, QStringLiteral("-"));
        type(dlg.txtPacketSize, QString());
        dlg.txtDefaultFolder->setText(store_->path());
        dlg.txtExtension->setText(QStringLiteral("tsq"));
        dlg.cbFontSize->setCurrentIndex(2);
        dlg.show();
        dlg.cmdOK->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(applied.count(), 1);
        QCOMPARE(o.SaveWindow, false);
        QCOMPARE(o.LoginTimeout, -1);
        QCOMPARE(o.NetPacketSize, 128);
        QCOMPARE(o.DefaultScriptsPath, store_->path());
        QCOMPARE(o.ScriptExtension, QStringLiteral("tsq"));
        QCOMPARE(o.EditorFontSize, 12);
        platform::SettingsStore::reopenAll();
        TVELKOptions stored;
        stored.Load();
        QCOMPARE(stored.NetPacketSize, 128);
        QCOMPARE(stored.SaveWindow, false);
        QCOMPARE(stored.ScriptExtension, QStringLiteral("tsq"));
    }

    void applyStaysOpenAndCancelKeepsWhatWasApplied()
    {
        TVELKOptions o = valid();
        TOptionsDlg dlg(o);
        dlg.show();
        dlg.chkPromptOnClose->setChecked(false);
        dlg.cmdApply->click();
        QVERIFY(dlg.isVisible());
        QCOMPARE(o.PromptOnClose, false);
        dlg.chkPreventMultiple->setChecked(true);
        dlg.cmdCancel->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(o.PromptOnClose, false);
        QCOMPARE(o.PreventMultiple, false);
    }

    void aFailedOkShowsTheWarningAndLeavesTheDialogOpen()
    {
        TVELKOptions o = valid();
        TOptionsDlg dlg(o);
        dlg.show();
        dlg.txtExtension->clear();
        test::ModalAnswerer answer;
        dlg.cmdOK->click();
        QCOMPARE(answer.shown.size(), 1);
        QCOMPARE(answer.shown[0].message, QStringLiteral("You did not define the script file extension."));
        QVERIFY(dlg.isVisible());
    }

    void anUninstalledFontSelectsTheFontShownInItsPlace()
    {
        TVELKOptions o = valid();
        o.EditorFontName = QStringLiteral("Courier New");
        TOptionsDlg dlg(o);
        const QString shown = QFontInfo(QFont(o.EditorFontName)).family();
        if (TOptionsDlg::EditorFonts().contains(o.EditorFontName, Qt::CaseInsensitive))
            QCOMPARE(dlg.cbFontName->currentText().toLower(), o.EditorFontName.toLower());
        else if (TOptionsDlg::EditorFonts().contains(shown))
            QCOMPARE(dlg.cbFontName->currentText(), shown);
        else
            QCOMPARE(dlg.cbFontName->currentIndex(), -1);
    }
};

QTEST_MAIN(OptionsDlgTest)
#include "OptionsDlgTest.moc"
