// TmainForm: the main window. It wires the controls to the workflow in app/ and shows the
// outcome; the work itself is done there.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/ResultSet.h"
#include "app/ui/ConnectionDialog.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/ScriptEditor.h"
#include "platform/Database.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class TResultGrid;

// What the window is built with. Empty members take the program's defaults.
struct TMainFormSetup {
    std::string SettingsPath;        // default: config.ini beside the executable
    TDatabaseFactory CreateDatabase; // default: the ODBC connection
    // Starts the update check while the window is created; it runs on its own.
    std::function<void()> StartUpgradeCheck;
};

// The answer of the save dialog: a file-system name and the encoding of the file. The dialog
// is handed the last save's folder (with a final "/", empty before the first save) in FileName
// and the encoding chosen then.
struct TSaveChoice {
    std::string FileName;
    TScriptEncoding Encoding = TScriptEncoding::GB18030;
};

class TmainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TmainForm(TMainFormSetup setup = {});
    ~TmainForm() override;

    // Handlers, named after their control and event.
    void FormCreate();
    void FormResize();
    bool FormCloseQuery();
    void btnCloseClick();
    void btnAboutClick();
    void btnDBConClick();
    void btnNewConnClick();
    void lstTableDblClick();
    void btnRunClick();
    void chkSelectAllClick();
    void dbgrdMainCellClick(int column);
    void dbgrdMainDrawColumnCell(QPainter& painter, const QRect& rect, int column, int row,
                                 bool selected);
    void actExportExecute();
    void btnSaveClick();
    void btnCopyClick();
    void btnClearClick();
    // Column widths after a load: at most 120 pixels, SEL centred and 28 wide.
    void AdjustGridColumns();

    TMessageBoxes& Messages() { return FMessages; }
    TResultSet& ResultSet() { return FResultSet; }
    platform::TDatabase& Database() { return *FDatabase; }
    const std::string& TableName() const { return FTableName; }
    // The table the loaded result's script is written for, as name parts (db, schema, table).
    const std::vector<std::string>& ResultTable() const { return FResultTable; }
    const std::string& SettingsPath() const { return FSettingsPath; }
    // Paints the last export let through to the screen.
    int LastExportPaints() const { return FLastExportPaints; }

    // Seams: each has a working default; tests answer them without a modal dialog.
    // Composes a connection from start, the typed text or the connection's own (btnNewConn);
    // nothing when the user cancels.
    std::function<std::optional<TConnectionFields>(const std::string& start)> OnPromptConnection;
    // Asks where to save the script, starting from the choice's folder and encoding; false
    // when cancelled.
    std::function<bool(TSaveChoice& choice)> OnChooseSaveFile;

    // Controls.
    QWidget* pnlTop;
    QComboBox* cbbConnectStr;
    QWidget* pnlButton;
    QComboBox* cbbDbType;
    QPushButton* btnDBCon;
    QPushButton* btnNewConn;
    QPushButton* btnAbout;
    QPushButton* btnClose;
    QListWidget* lstTable;
    QSplitter* spl1;
    QTabWidget* pgcMain;
    QWidget* ts1;
    QWidget* ts2;
    QGroupBox* grp2;
    TScriptEditor* redtSQL;
    QWidget* pnl3;
    QPushButton* btnRun;
    QPushButton* btnExport;
    QCheckBox* chkSelectAll;
    QLabel* lbl1;
    QLineEdit* edtTop;
    QCheckBox* chkIncField;
    QCheckBox* chkRESEED;
    QLineEdit* edtNotNull;
    QSplitter* spl2;
    TResultGrid* dbgrdMain;
    QWidget* pnl1;
    QPushButton* btnSave;
    QPushButton* btnClear;
    QPushButton* btnCopy;
    TScriptEditor* mmoResult;
    QStatusBar* statMain;
    QLabel* statPanel0;
    QLabel* statPanel1;
    QAction* actExport;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    // Places the controls of the row under the SQL editor for the texts they show.
    void LayOutOptionRow();
    void WireEvents();
    void LoadResult(TDataPacket packet, TDialect dialect);
    // The kind to open a table with: the kind box, or the kind the connection's driver speaks
    // when the user agrees to switch (asked once per connection).
    TDialect DialectForDriver(TDialect chosen);
    bool ChooseSaveFileByDialog(TSaveChoice& choice);
    // Runs a handler under the default error display.
    void Handle(void (TmainForm::*handler)());

    TMessageBoxes FMessages;
    TDatabaseFactory FCreateDatabase;
    std::function<void()> FStartUpgradeCheck;
    std::unique_ptr<platform::TDatabase> FDatabase;
    TResultSet FResultSet;
    std::unique_ptr<TScriptEditor> FSqlEditor;
    std::unique_ptr<TScriptEditor> FScriptEditor;
    std::string FSettingsPath;
    std::string FTableName;
    std::vector<std::string> FResultTable;
    // The dialect of the script in the view: a saved mysql file declares its encoding.
    TDialect FScriptDialect = TDialect::dMssql;
    int FLastExportPaints = 0;
    // Whether to switch the kind box to the driver's, as answered for this connection.
    std::optional<bool> FSwitchToDriverDialect;
};
