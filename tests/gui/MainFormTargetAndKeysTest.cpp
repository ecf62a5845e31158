// The main window's script follows the loaded result's table, commands report their row
// count, and the keys users expect: Ctrl+A in both editors, Ctrl+Z that stops at the text the
// window put in, Enter in the connection box, Space on a grid row.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/RowSelection.h"
#include "app/WindowText.h"
#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"
#include "tests/common/TestFiles.h"
#include "tests/integration/TestServer.h"

#include "tests/gui/WindowDriver.h"

namespace {

using testing_support::TempFolder;

class MainWindowTargetTest : public testserver::TMariaDbTest {
protected:
    void SetUp() override {
        TMariaDbTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        Db->ExecuteCommand("CREATE TABLE `order` (id int PRIMARY KEY, total int)");
        Db->ExecuteCommand("INSERT INTO `order` VALUES (1, 10), (2, 20)");
        Db->ExecuteCommand("CREATE TABLE people (id int PRIMARY KEY, name varchar(20))");
        Db->ExecuteCommand("INSERT INTO people VALUES (6, 'Ann'), (7, 'Bob'), (8, 'Cy')");
        Db->ExecuteCommand(CodePageText("CREATE TABLE `客户` (id int PRIMARY KEY)"));
        Db->ExecuteCommand(CodePageText("INSERT INTO `客户` VALUES (1)"));
        TMainFormSetup setup;
        setup.SettingsPath = Folder.Path() + "/config.ini";
        FForm = std::make_unique<TmainForm>(setup);
        FForm->Messages().SetResponder(
            [this](const TMessageBoxRequest& box) { Boxes.push_back(box); });
        FForm->cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
        FForm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
    }

    TmainForm& Form() { return *FForm; }

    void Connect() {
        Form().cbbConnectStr->setEditText(ToQString(testserver::MysqlConnection(DatabaseName())));
        QTest::mouseClick(Form().btnDBCon, Qt::LeftButton);
        ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text.toStdString();
    }

    void OpenTable(const QString& name) { windowdriver::OpenTable(Form(), name); }

    void Run(const std::string& statement) {
        Form().redtSQL->SetText(statement);
        QTest::mouseClick(Form().btnRun, Qt::LeftButton);
    }

    void ClickCell(int row, int column) { windowdriver::ClickCell(Form(), row, column); }

    bool Ticked(int row) {
        return IsRowTicked(Form().ResultSet().CellField(0, static_cast<size_t>(row)));
    }

    // Ticks the first row, exports, and returns the script's first INSERT line.
    std::string ExportedInsertLine() {
        ClickCell(0, 0);
        QTest::mouseClick(Form().btnExport, Qt::LeftButton);
        std::string script = Form().mmoResult->Text();
        size_t insert = script.find("INSERT INTO ");
        if (insert == std::string::npos) return script;
        return script.substr(insert, script.find('\r', insert) - insert);
    }

    QString Status() const { return FForm->statPanel1->text(); }

    TempFolder Folder{"quorvel-gui-target"};
    std::vector<TMessageBoxRequest> Boxes;
    std::unique_ptr<TmainForm> FForm;
};

TEST_F(MainWindowTargetTest, TheScriptGoesIntoTheTableTheRowsCameFrom) {
    Connect();
    OpenTable(QStringLiteral("order"));
    EXPECT_EQ(ExportedInsertLine(), "INSERT INTO `order` (`id`, `total`) VALUES ");
    EXPECT_TRUE(Status().endsWith(QStringLiteral("，目标表：`order`"))) << Status().toStdString();

    Run("select id, name from people where id = 7");
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text.toStdString();
    EXPECT_EQ(Form().TableName(), "order"); // the list's table stays the opened one
    EXPECT_EQ(ExportedInsertLine(), "INSERT INTO `people` (`id`, `name`) VALUES ");
    EXPECT_NE(Form().mmoResult->Text().find("(7, 'Bob');"), std::string::npos);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("导出1条记录")));
    EXPECT_TRUE(Status().endsWith(QStringLiteral("，目标表：`people`"))) << Status().toStdString();

    // Qualified by the database: each part quoted.
    Run("SELECT name FROM " + DatabaseName() + ".people WHERE id = 8");
    EXPECT_EQ(ExportedInsertLine(),
              "INSERT INTO `" + DatabaseName() + "`.`people` (`name`) VALUES ");
    Run(CodePageText("select * from 客户 where id = 1"));
    EXPECT_EQ(ExportedInsertLine(), CodePageText("INSERT INTO `客户` (`id`) VALUES "));

    // A join names no single table: the table opened from the list.
    Run("select p.id, o.total from people p join `order` o on o.id = p.id - 5");
    EXPECT_EQ(ExportedInsertLine(), "INSERT INTO `order` (`id`, `total`) VALUES ");
    EXPECT_TRUE(Status().endsWith(QStringLiteral("，目标表：`order`"))) << Status().toStdString();
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWindowTargetTest, CommandsReportTheRowsTheyAffectedEvenNone) {
    Connect();
    Run("update people set name = 'x' where id > 6");
    EXPECT_EQ(Status(), QStringLiteral("语句执行成功，影响2行"));
    Run("update people set name = 'y' where id = 7");
    EXPECT_EQ(Status(), QStringLiteral("语句执行成功，影响1行"));
    Run("update people set name = 'x' where id = 99");
    EXPECT_EQ(Status(), QStringLiteral("语句执行成功，影响0行"));
    Run("create table extra (id int)");
    EXPECT_EQ(Status(), QStringLiteral("语句执行成功，影响0行"));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWindowTargetTest, CtrlASelectsAllInBothEditors) {
    Connect();
    QWidget* sql = Form().redtSQL->Widget();
    sql->activateWindow();
    sql->setFocus();
    QTest::keyClicks(sql, "select 1");
    QTest::keyClick(sql, Qt::Key_Return);
    QTest::keyClicks(sql, "from people");
    QTest::keyClick(sql, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(sql, "x");
    EXPECT_EQ(Form().redtSQL->Text(), "x");

    OpenTable(QStringLiteral("people"));
    ClickCell(1, 0);
    QTest::mouseClick(Form().btnExport, Qt::LeftButton);
    QWidget* script = Form().mmoResult->Widget();
    script->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(script, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(script, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().remove(QChar(u'\r')),
              ToQString(Form().mmoResult->Text()).remove(QChar(u'\r')));
    EXPECT_NE(Form().mmoResult->Text().find("(7, 'Bob');"), std::string::npos);
}

TEST_F(MainWindowTargetTest, UndoStopsAtTheTextTheWindowPutIn) {
    Connect();
    OpenTable(QStringLiteral("people"));
    const std::string statement = Form().redtSQL->Text();
    ASSERT_EQ(statement, "Select `id`, `name`\r\nFrom `people` LIMIT 0 , 100");
    ClickCell(0, 0);
    QTest::mouseClick(Form().btnExport, Qt::LeftButton);
    const std::string script = Form().mmoResult->Text();
    ASSERT_NE(script.find("(6, 'Ann');"), std::string::npos);

    for (TScriptEditor* editor : {Form().redtSQL, Form().mmoResult}) {
        QWidget* widget = editor->Widget();
        widget->activateWindow();
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(widget, " -- mine");
        ASSERT_TRUE(editor->Text().ends_with(" -- mine"));
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(widget, Qt::Key_Z, Qt::ControlModifier);
    }
    EXPECT_EQ(Form().redtSQL->Text(), statement);
    EXPECT_EQ(Form().mmoResult->Text(), script);
}

TEST_F(MainWindowTargetTest, EnterConnectsAndSpaceTicksTheCurrentRow) {
    QLineEdit* box = Form().cbbConnectStr->lineEdit();
    box->setText(ToQString(testserver::MysqlConnection(DatabaseName())));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(Boxes.empty()) << Boxes[0].Text.toStdString();
    EXPECT_EQ(Form().lstTable->count(), 3);

    OpenTable(QStringLiteral("people"));
    TResultGrid& grid = *Form().dbgrdMain;
    ClickCell(1, 2); // the name cell: the row becomes current, nothing is ticked
    EXPECT_FALSE(Ticked(1));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_TRUE(Ticked(1));
    EXPECT_FALSE(Ticked(0));
    QTest::keyClick(&grid, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_TRUE(Ticked(1));
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_TRUE(Ticked(2));
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_FALSE(Ticked(1));
    QTest::mouseClick(Form().btnExport, Qt::LeftButton);
    std::string script = Form().mmoResult->Text();
    EXPECT_EQ(script.find("(7, 'Bob');"), std::string::npos) << script;
    EXPECT_NE(script.find("(8, 'Cy');"), std::string::npos) << script;
}

} // namespace
