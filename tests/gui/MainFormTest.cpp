// The main window driven like a user: connecting, opening a table, ticking, exporting,
// saving, copying and closing, against a real MariaDB server.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/Globals.h"
#include "app/Query.h"
#include "app/RowSelection.h"
#include "app/ScriptAssembly.h"
#include "app/Settings.h"
#include "app/WindowText.h"
#include "app/ui/AboutBox.h"
#include "app/ui/ConnectionDialog.h"
#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"
#include "tests/common/ExportGrid.h"
#include "tests/common/TestFiles.h"
#include "tests/e2e/Run.h"
#include "tests/integration/TestServer.h"

#include "tests/gui/WindowDriver.h"

namespace {

using testserver::MysqlConnection;
using namespace testing_support;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class MainWindowTest : public testserver::TMariaDbTest {
protected:
    void SetUp() override {
        TMariaDbTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        Db->ExecuteCommand(
            "CREATE TABLE items (id int PRIMARY KEY AUTO_INCREMENT, name varchar(40), "
            "price decimal(10,2), active bit(1), created_by varchar(20), note text)");
        Db->ExecuteCommand(
            CodePageText("INSERT INTO items VALUES (1, '苹果', 3.50, 1, 'admin', '新鲜'), "
                         "(2, 'O''Brien  \r\npear \t\nx', NULL, 0, NULL, 'tab\there'), (3, '梨', "
                         "12.00, NULL, 'ops', NULL), "
                         "(4, '桃', 0.99, 1, 'x', '')"));
        Good = MysqlConnection(DatabaseName());
        SettingsPath = Folder.Path() + "/config.ini";
    }

    // The window, created after the settings file is in place.
    TmainForm& Form() {
        if (!FForm) {
            TMainFormSetup setup;
            setup.SettingsPath = SettingsPath;
            setup.StartUpgradeCheck = [this] { ++UpgradeChecks; };
            FForm = std::make_unique<TmainForm>(setup);
            FForm->Messages().SetResponder(
                [this](const TMessageBoxRequest& box) { Boxes.push_back(box); });
            FForm->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
        }
        return *FForm;
    }

    void Connect(const std::string& text) { windowdriver::Connect(Form(), text); }

    void OpenTable(const QString& name) { windowdriver::OpenTable(Form(), name); }

    void ClickCell(int row, int column) { windowdriver::ClickCell(Form(), row, column); }

    bool Ticked(int row) {
        return IsRowTicked(Form().ResultSet().CellField(0, static_cast<size_t>(row)));
    }

    std::string CommandLineScript(const std::string& dialect, const std::string& encoding) {
        std::string out = Folder.Path() + "/cli-" + dialect + "-" + encoding + ".sql";
        e2e::TRunResult run = e2e::RunProgram(
            {QUORVEL_EXECUTABLE, "export", "--connect", Good, "--dbtype", dialect, "--table",
             "items", "--not-null", "created_by", "--encoding", encoding, "--output", out});
        EXPECT_EQ(run.Status, 0) << run.Err;
        return ReadBytes(out);
    }

    TempFolder Folder{"quorvel-gui"};
    std::string Good;
    std::string SettingsPath;
    std::vector<TMessageBoxRequest> Boxes;
    int UpgradeChecks = 0;
    std::unique_ptr<TmainForm> FForm;
};

TEST_F(MainWindowTest, ConnectingReportsEveryOutcomeAndRewritesTheHistory) {
    std::string upperGood = Good;
    for (char& c : upperGood)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    WriteBytes(SettingsPath, "[dbstr]\r\ndbstr=OLD-A\r\ndbstr0=" + upperGood + "\r\n");
    TmainForm& form = Form();
    EXPECT_EQ(UpgradeChecks, 1);
    EXPECT_EQ(form.pgcMain->currentIndex(), 0);
    EXPECT_EQ(form.cbbConnectStr->geometry().right() + 1, form.pnlTop->width() - 257);
    form.resize(1000, 700);
    EXPECT_EQ(form.cbbConnectStr->geometry().right() + 1, form.pnlTop->width() - 257);
    EXPECT_EQ(form.pnlButton->geometry().right() + 1, form.pnlTop->width());
    EXPECT_EQ(form.cbbConnectStr->count(), 2);
    EXPECT_EQ(form.cbbConnectStr->currentText(), Q("OLD-A"));
    EXPECT_EQ(form.statPanel0->text(), Q("未连接数据库"));

    Connect("   ");
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Kind, TMessageBoxKind::Message);
    EXPECT_EQ(Boxes[0].Caption, Q("Quorvel"));
    EXPECT_EQ(Boxes[0].Text, Q("连接字符串不能为空。"));
    EXPECT_EQ(form.statPanel0->text(), Q("未连接数据库"));

    Connect(MysqlConnection(DatabaseName(), "wrong password"));
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接失败"));
    EXPECT_TRUE(Boxes[1].Text.startsWith(Q("数据库连接失败!原因:"))) << Boxes[1].Text.toStdString();
    EXPECT_GT(Boxes[1].Text.size(), Q("数据库连接失败!原因:").size() + 5);
    EXPECT_EQ(form.lstTable->count(), 0);

    form.pgcMain->setCurrentIndex(1);
    Connect(Good);
    EXPECT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接成功!"));
    EXPECT_EQ(form.pgcMain->currentIndex(), 0);
    ASSERT_EQ(form.lstTable->count(), 1);
    EXPECT_EQ(form.lstTable->item(0)->text(), Q("items"));
    TStringList history;
    LoadHistory(SettingsPath, history);
    EXPECT_EQ(history.Items(), (std::vector<std::string>{Good, "OLD-A"}));
    EXPECT_NE(ReadBytes(SettingsPath).find("dbstr1=OLD-A"), std::string::npos);

    // A failed connect keeps the previous table list and adds nothing to the drop-down list.
    Connect(MysqlConnection(DatabaseName(), "wrong again"));
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接失败"));
    EXPECT_EQ(form.lstTable->count(), 1);
    EXPECT_EQ(form.cbbConnectStr->count(), 2);
}

TEST_F(MainWindowTest, AHistoryThatCannotBeWrittenLeavesTheConnectionOpen) {
    TmainForm& form = Form();
    std::filesystem::create_directory(SettingsPath); // a folder where the file should be
    Connect(Good);
    EXPECT_TRUE(form.Database().Connected());
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接成功!"));
    EXPECT_EQ(form.lstTable->count(), 1);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Kind, TMessageBoxKind::Error);
    EXPECT_EQ(Boxes[0].Caption, Q("Quorvel"));
    EXPECT_EQ(Boxes[0].Text, ToQString("Unable to write to " + SettingsPath + "."));
}

TEST_F(MainWindowTest, OpenTickExportSaveCopyAndClose) {
    TmainForm& form = Form();
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    Connect(Good);
    form.chkSelectAll->setChecked(true); // no result yet: nothing happens
    OpenTable(Q("items"));

    std::string editorText = form.redtSQL->Text();
    // The editor drops the blank that ended the statement's first line.
    EXPECT_NE(editorText.find("Select `id`, `name`, `price`, `active`, `created_by`, `note`\r\n"
                              "From `items` LIMIT 0 , 100"),
              std::string::npos)
        << editorText;
    EXPECT_EQ(form.TableName(), "items");
    EXPECT_FALSE(form.chkSelectAll->isChecked());
    EXPECT_EQ(form.statPanel1->text(), Q("本次查询到4条记录"));
    TResultModel& model = form.dbgrdMain->Model();
    ASSERT_EQ(model.columnCount(), 7);
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), Q("选择"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), Q("id"));
    EXPECT_EQ(form.dbgrdMain->ColumnWidth(0), 28);
    for (int column = 1; column < 7; ++column)
        EXPECT_LE(form.dbgrdMain->ColumnWidth(column), 120);
    EXPECT_EQ(model.index(0, 2).data().toString(), Q("苹果"));

    // Ticks by click: SEL toggles, other cells leave the ticks alone.
    ClickCell(0, 0);
    ClickCell(2, 0);
    EXPECT_TRUE(Ticked(0));
    EXPECT_FALSE(Ticked(1));
    EXPECT_TRUE(Ticked(2));
    EXPECT_EQ(model.index(0, 0).data().toString(), Q(" √"));
    EXPECT_EQ(model.index(1, 0).data().toString(), QString());
    // The tick is drawn in bold red over the cell; an unticked cell has no red.
    QImage cells = form.dbgrdMain->viewport()->grab().toImage();
    auto redPixels = [&cells](const QRect& rect) {
        int count = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) {
                QColor color = cells.pixelColor(x, y);
                count += color.red() > 150 && color.red() > color.green() + 80 &&
                         color.red() > color.blue() + 80;
            }
        return count;
    };
    EXPECT_GT(redPixels(form.dbgrdMain->CellRect(0, 0)), 5);
    EXPECT_EQ(redPixels(form.dbgrdMain->CellRect(1, 0)), 0);
    EXPECT_EQ(redPixels(form.dbgrdMain->CellRect(0, 2)), 0);

    ClickCell(2, 0);
    ClickCell(1, 1);
    EXPECT_FALSE(Ticked(2));
    EXPECT_FALSE(Ticked(1));

    // A boolean cell is a check box a click toggles, in memory only.
    EXPECT_EQ(model.index(1, 4).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    ClickCell(1, 4);
    EXPECT_EQ(model.index(1, 4).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    TDataPacket stored = Db->OpenQuery("select active from items where id = 2");
    EXPECT_FALSE(stored.Columns[0].Boolean(0));
    ClickCell(1, 4);
    EXPECT_EQ(model.index(1, 4).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    QTest::mouseClick(form.btnExport, Qt::LeftButton);
    EXPECT_EQ(form.pgcMain->currentIndex(), 1);
    EXPECT_TRUE(form.statPanel1->text().startsWith(Q("导出1条记录(耗时:")))
        << form.statPanel1->text().toStdString();
    std::string one = form.mmoResult->Text();
    EXPECT_NE(one.find("(1, "), std::string::npos);
    EXPECT_EQ(one.find("(3, "), std::string::npos);

    QTest::mouseClick(form.chkSelectAll, Qt::LeftButton);
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(Ticked(row)) << row;
    QTest::mouseClick(form.btnExport, Qt::LeftButton);
    EXPECT_TRUE(form.statPanel1->text().startsWith(Q("导出4条记录(耗时:")));
    std::string script = form.mmoResult->Text();
    // The command line's file declares its encoding; the view does not show that line.
    const std::string commandLineScript = CommandLineScript("mysql", "gb18030");
    EXPECT_EQ("/*!40101 SET NAMES gbk */;\r\n" + script, commandLineScript);
    // The view drops blanks before its own line breaks; a value's must survive as they are.
    EXPECT_NE(script.find("'O''Brien  \\r\\npear \t\\nx'"), std::string::npos) << script;
    EXPECT_EQ(form.ResultSet().RecNo(), 1);

    // Save: the name gets ".sql" only when it has no extension; the UTF-8 choice converts.
    int asked = 0;
    TSaveChoice answer{Folder.Path() + "/script", TScriptEncoding::GB18030};
    form.OnChooseSaveFile = [&](TSaveChoice& choice) {
        ++asked;
        choice = answer;
        return true;
    };
    QTest::mouseClick(form.btnSave, Qt::LeftButton);
    EXPECT_EQ(ReadBytes(Folder.Path() + "/script.sql"), commandLineScript);
    answer = TSaveChoice{Folder.Path() + "/utf8.txt", TScriptEncoding::Utf8};
    QTest::mouseClick(form.btnSave, Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(Folder.Path() + "/utf8.txt.sql"));
    EXPECT_EQ(ReadBytes(Folder.Path() + "/utf8.txt"), CommandLineScript("mysql", "utf-8"));
    answer = TSaveChoice{Folder.Path() + "/missing/x.sql", TScriptEncoding::GB18030};
    size_t boxesBefore = Boxes.size();
    QTest::mouseClick(form.btnSave, Qt::LeftButton);
    ASSERT_EQ(Boxes.size(), boxesBefore + 1);
    EXPECT_EQ(Boxes.back().Kind, TMessageBoxKind::Error);
    EXPECT_EQ(Boxes.back().Text, ToQString("Cannot create file \"" + Folder.Path() +
                                           "/missing/x.sql\". No such file or directory."));
    EXPECT_EQ(form.mmoResult->Text(), script);

    // Copy puts the whole script on the clipboard and says so.
    QApplication::clipboard()->clear();
    QTest::mouseClick(form.btnCopy, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text().remove(QChar(u'\r')),
              ToQString(script).remove(QChar(u'\r')));
    EXPECT_EQ(Boxes.back().Kind, TMessageBoxKind::Message);
    EXPECT_EQ(Boxes.back().Text, Q("已复制到剪切板！"));

    QTest::mouseClick(form.btnClear, Qt::LeftButton);
    EXPECT_EQ(form.mmoResult->Lines().Count(), 0);
    int askedBefore = asked;
    QTest::mouseClick(form.btnSave, Qt::LeftButton);
    EXPECT_EQ(asked, askedBefore);

    // The SQL Server dialect over the same ticked rows, with both options.
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMssql));
    form.chkIncField->setChecked(true);
    form.chkRESEED->setChecked(true);
    QTest::mouseClick(form.btnExport, Qt::LeftButton);
    std::string mssql = form.mmoResult->Text();
    EXPECT_EQ(
        mssql.rfind(
            "/*---------[items]-----------*/\r\n\r\nDELETE FROM [items]\r\nGO\r\n"
            "DBCC CHECKIDENT ('items', RESEED, 1)\r\nGO\r\nSET IDENTITY_INSERT [items] ON\r\n"
            "INSERT INTO [items] ([id], [name], [price], [active], [created_by], [note]) \r\n",
            0),
        0u)
        << mssql;
    EXPECT_TRUE(mssql.ends_with("\r\nSET IDENTITY_INSERT [items] OFF")) << mssql;
    TResultSet independent;
    independent.LoadPacket(OpenSelectQuery(
        *Db, TableSelectStatement("items", TDialect::dMysql, "100"), TDialect::dMysql));
    SelField(independent).SetIndex(0);
    SetAllSelected(independent, true);
    TStringList expected;
    TExportOptions options;
    options.Dialect = TDialect::dMssql;
    options.TableName = "items";
    options.Reseed = options.IdentityInsert = true;
    options.NotNullText = "created_by";
    GenerateInsertScript(independent, expected, options);
    EXPECT_EQ(mssql, expected.Text());
    // Saved, the SQL Server script gets no declaration, whatever the kind chosen since.
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    answer = TSaveChoice{Folder.Path() + "/mssql.sql", TScriptEncoding::GB18030};
    QTest::mouseClick(form.btnSave, Qt::LeftButton);
    EXPECT_EQ(ReadBytes(Folder.Path() + "/mssql.sql"), mssql);

    // Closing writes the options.
    form.edtTop->setText(Q(" 250 "));
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    form.edtNotNull->setText(Q(" a, b "));
    QTest::mouseClick(form.btnClose, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    TOptions saved = LoadOptions(SettingsPath);
    EXPECT_EQ(saved.Top, "250");
    EXPECT_EQ(saved.DbType, static_cast<int>(TDialect::dMysql));
    EXPECT_EQ(saved.NotNullFields, "a, b");
}

TEST_F(MainWindowTest, TypedStatementsRunAsQueriesOrCommands) {
    TmainForm& form = Form();
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    form.redtSQL->SetText("select id from items");
    QTest::mouseClick(form.btnRun, Qt::LeftButton); // not connected: nothing happens
    EXPECT_FALSE(form.ResultSet().Active());
    EXPECT_TRUE(Boxes.empty());

    Connect(Good);
    form.pgcMain->setCurrentIndex(1);
    form.redtSQL->SetText("  select id, name from items where id > 2\r\n");
    QTest::mouseClick(form.btnRun, Qt::LeftButton);
    EXPECT_EQ(form.statPanel1->text(), Q("本次查询到2条记录"));
    EXPECT_EQ(form.ResultSet().FieldCount(), 3);
    EXPECT_EQ(form.TableName(), "");
    EXPECT_EQ(form.pgcMain->currentIndex(), 1);

    form.statPanel1->clear();
    form.redtSQL->SetText("update items set note = 'x' where id = 99");
    QTest::mouseClick(form.btnRun, Qt::LeftButton);
    EXPECT_EQ(form.statPanel1->text(), Q("语句执行成功，影响0行"));
    form.redtSQL->SetText("update items set note = 'x' where id = 1");
    QTest::mouseClick(form.btnRun, Qt::LeftButton);
    EXPECT_EQ(form.statPanel1->text(), Q("语句执行成功，影响1行"));

    // A statement the server rejects reaches the error display; the result stays.
    form.redtSQL->SetText("select nothing_here from items");
    QTest::mouseClick(form.btnRun, Qt::LeftButton);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Kind, TMessageBoxKind::Error);
    EXPECT_TRUE(Boxes[0].Text.contains(Q("nothing_here"))) << Boxes[0].Text.toStdString();
    EXPECT_EQ(form.ResultSet().RecordCount(), 2);
}

// The window and the command line write the same bytes for the export grid: every kind of
// column, NULL patterns, more rows than one fetch block.
TEST_F(MainWindowTest, TheWindowWritesTheCommandLinesScriptForEveryKindOfColumn) {
    CreateGrid(*Db);
    TmainForm& form = Form();
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    form.edtTop->setText(Q("100000"));
    form.edtNotNull->clear();
    Connect(Good);
    for (const char* table : {"grid", "grid_block"}) {
        SCOPED_TRACE(table);
        OpenTable(Q(table));
        ASSERT_EQ(form.ResultSet().RecordCount(), kGridRows);
        form.chkSelectAll->setChecked(true);
        QTest::mouseClick(form.btnExport, Qt::LeftButton);
        std::string out = Folder.Path() + "/" + table + ".sql";
        e2e::TRunResult run =
            e2e::RunProgram({QUORVEL_EXECUTABLE, "export", "--connect", Good, "--dbtype", "mysql",
                             "--table", table, "--output", out});
        ASSERT_EQ(run.Status, 0) << run.Err;
        std::string script = form.mmoResult->Text();
        EXPECT_EQ("/*!40101 SET NAMES gbk */;\r\n" + script, ReadBytes(out));
        // Saved by the window: the command line's bytes.
        std::string saved = Folder.Path() + "/" + table + "-saved.sql";
        form.OnChooseSaveFile = [&](TSaveChoice& choice) {
            choice = TSaveChoice{saved, TScriptEncoding::GB18030};
            return true;
        };
        QTest::mouseClick(form.btnSave, Qt::LeftButton);
        EXPECT_EQ(ReadBytes(saved), ReadBytes(out));
        EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 2 + 3 * kGridRows - 1);
    }
}

// A user column called sel is the user's, whatever its case: clicks on it tick nothing and its
// values reach the script. WITH and UNION queries load with the tick column in every branch.
TEST_F(MainWindowTest, UserColumnsCalledSelAndCompoundQueries) {
    Db->ExecuteCommand("CREATE TABLE seltab (id int PRIMARY KEY, sel int, note varchar(20))");
    Db->ExecuteCommand("INSERT INTO seltab VALUES (1, 0, 'zero'), (2, 1, 'one'), (3, 5, 'five'), "
                       "(4, NULL, 'null')");
    TmainForm& form = Form();
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    Connect(Good);
    OpenTable(Q("seltab"));
    ASSERT_EQ(form.ResultSet().FieldCount(), 4);
    EXPECT_EQ(form.ResultSet().Fields(0).DisplayLabel(), CodePageText("选择"));
    EXPECT_EQ(form.ResultSet().Fields(2).FieldName(), "sel");
    ClickCell(2, 2); // the user's sel
    EXPECT_FALSE(Ticked(2));
    ClickCell(2, 0);
    EXPECT_TRUE(Ticked(2));
    QTest::mouseClick(form.chkSelectAll, Qt::LeftButton);
    QTest::mouseClick(form.btnExport, Qt::LeftButton);
    const std::string rows =
        "INSERT INTO `seltab` (`id`, `sel`, `note`) VALUES \r\n(1, 0, 'zero');\r\n\r\n"
        "INSERT INTO `seltab` (`id`, `sel`, `note`) VALUES \r\n(2, 1, 'one');\r\n\r\n"
        "INSERT INTO `seltab` (`id`, `sel`, `note`) VALUES \r\n(3, 5, 'five');\r\n\r\n"
        "INSERT INTO `seltab` (`id`, `sel`, `note`) VALUES \r\n(4, NULL, 'null');\r\n";
    EXPECT_EQ(form.mmoResult->Text(), CodePageText("-- 导出表中的数据 `seltab`\r\n\r\n") + rows);

    const char* const queries[] = {
        "with c as (select id, SEL, note from seltab) select * from c where id < 3 union all "
        "select id, sel, note from seltab where id >= 3 order by id",
        "(select * from seltab where id = 1) union (select * from seltab where id > 1) order by 1",
        "with recursive n (k) as (select 1 union all select k + 1 from n where k < 4) "
        "select s.* from n join seltab s on s.id = n.k order by n.k",
    };
    for (const char* query : queries) {
        SCOPED_TRACE(query);
        form.redtSQL->SetText(query);
        QTest::mouseClick(form.btnRun, Qt::LeftButton);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text.toStdString();
        EXPECT_EQ(form.statPanel1->text(), Q("本次查询到4条记录"));
        ASSERT_EQ(form.ResultSet().FieldCount(), 4);
        QTest::mouseClick(form.chkSelectAll, Qt::LeftButton);
        QTest::mouseClick(form.btnExport, Qt::LeftButton);
        std::string script = form.mmoResult->Text();
        EXPECT_NE(script.find("(3, 5, 'five');"), std::string::npos) << script;
        EXPECT_EQ(script.find("SEL_1"), std::string::npos) << script;
        EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 13) << script;
    }
}

// The SQL editor is the colouring editor: typed keys reach its text, Enter indents like the
// line above, and what it paints carries the keyword and number colours.
TEST_F(MainWindowTest, TheSqlEditorTakesTypingAndPaintsInColour) {
    TmainForm& form = Form();
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    Connect(Good);
    QWidget* editor = form.redtSQL->Widget();
    editor->activateWindow();
    editor->setFocus();
    QTest::keyClicks(editor, "  select id, name");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "from items where id < 3");
    EXPECT_EQ(form.redtSQL->Text(), "  select id, name\r\n  from items where id < 3");
    QTest::mouseClick(form.btnRun, Qt::LeftButton);
    EXPECT_TRUE(Boxes.empty()) << (Boxes.empty() ? "" : Boxes[0].Text.toStdString());
    EXPECT_EQ(form.statPanel1->text(), Q("本次查询到2条记录"));

    QImage image = editor->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int blue = 0, red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QColor pixel = image.pixelColor(x, y);
            if (pixel.blue() > 200 && pixel.red() < 80 && pixel.green() < 80) ++blue;
            if (pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80) ++red;
        }
    EXPECT_GT(blue, 20); // select, from, where
    EXPECT_GT(red, 3);   // the 3
}

TEST_F(MainWindowTest, ConnectionDialogComposesAndTestsAConnection) {
    TMessageBoxes messages;
    std::vector<TMessageBoxRequest> boxes;
    messages.SetResponder([&boxes](const TMessageBoxRequest& box) { boxes.push_back(box); });
    TConnectionDialog dialog(Good, messages, [] { return platform::CreateDatabase(); });
    EXPECT_EQ(dialog.cbbKind->currentIndex(), static_cast<int>(TConnectionKind::MySql));
    EXPECT_EQ(dialog.edtPort->text().toStdString(), testserver::Env("QUORVEL_TEST_DB_PORT"));
    EXPECT_EQ(dialog.edtDatabase->text().toStdString(), DatabaseName());
    QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, Q("测试连接成功。"));

    dialog.edtPassword->setText(Q("not it"));
    QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].Text.startsWith(Q("测试连接失败!原因:")));

    dialog.edtPassword->setText(ToQString(testserver::Env("QUORVEL_TEST_DB_PASSWORD")));
    auto database = platform::CreateDatabase();
    database->SetConnectionString(dialog.ConnectionString());
    database->Open();
    TStringList tables;
    database->GetTableNames(tables);
    EXPECT_EQ(tables.Items(), (std::vector<std::string>{"items"}));

    // The about box: version text and the two links through the browser service.
    std::vector<QString> opened;
    TAboutBox about(nullptr, [&opened](const QString& url) { opened.push_back(url); });
    EXPECT_EQ(about.lblVersion->text(), ToQString(GetVersionText()));
    EXPECT_EQ(about.size(), QSize(298, 245));
    QTest::mouseClick(about.lblWebsite, Qt::LeftButton);
    QTest::mouseClick(about.btnHelp, Qt::LeftButton);
    EXPECT_EQ(opened, (std::vector<QString>{Q(kWebsiteUrl), Q(kHelpUrl)}));
}

} // namespace
