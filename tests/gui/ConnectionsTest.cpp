// Connecting through the main window as a user does: SQLite files that must exist, the
// history of every text that connected, the connection dialog's cancel and kind, and the
// question when the kind box does not match the connection's driver.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/ConnectionText.h"
#include "app/Settings.h"
#include "app/ui/ConnectionDialog.h"
#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "tests/common/TestFiles.h"
#include "tests/integration/TestServer.h"

// Failures show the text, not its code units.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}

#include "tests/gui/WindowDriver.h"

namespace {

using testserver::MysqlConnection;
using namespace testing_support;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Acts on the next connection dialog from inside its modal loop; act must close it.
class TDialogAnswer {
public:
    explicit TDialogAnswer(std::function<void(TConnectionDialog&)> act) {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this, act] {
            auto* dialog = qobject_cast<TConnectionDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            FTimer.stop();
            FAnswered = true;
            act(*dialog);
        });
        FTimer.start();
    }
    bool Answered() const { return FAnswered; }

private:
    QTimer FTimer;
    bool FAnswered = false;
};

class ConnectionsTest : public testserver::TMariaDbTest {
protected:
    void SetUp() override {
        TMariaDbTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        Db->ExecuteCommand("CREATE TABLE items (id int PRIMARY KEY, name varchar(20))");
        Db->ExecuteCommand("INSERT INTO items VALUES (1, 'a'), (2, 'b')");
        Good = MysqlConnection(DatabaseName());
        SettingsPath = Folder.Path() + "config.ini";
        SqliteFile = Folder.Path() + "fruit.db";
        std::string create = "sqlite3 '" + SqliteFile +
                             "' \"CREATE TABLE fruit (id integer PRIMARY KEY, name text); "
                             "INSERT INTO fruit VALUES (1, 'apple');\"";
        ASSERT_EQ(std::system(create.c_str()), 0);
    }

    TmainForm& Form() {
        if (!FForm) {
            TMainFormSetup setup;
            setup.SettingsPath = SettingsPath;
            setup.StartUpgradeCheck = [] {};
            FForm = std::make_unique<TmainForm>(setup);
            FForm->Messages().SetResponder([this](const TMessageBoxRequest& box) {
                Boxes.push_back(box);
                if (box.Kind == TMessageBoxKind::Question) *box.Answer = AnswerYes;
            });
            FForm->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
        }
        return *FForm;
    }

    void Connect(const std::string& text) { windowdriver::Connect(Form(), text); }

    void OpenTable(const QString& name) { windowdriver::OpenTable(Form(), name); }

    std::vector<QString> DropDown() {
        std::vector<QString> items;
        for (int i = 0; i < Form().cbbConnectStr->count(); ++i)
            items.push_back(Form().cbbConnectStr->itemText(i));
        return items;
    }

    int CountBoxes(TMessageBoxKind kind) const {
        return static_cast<int>(std::count_if(
            Boxes.begin(), Boxes.end(), [kind](const auto& box) { return box.Kind == kind; }));
    }

    TempFolder Folder{"quorvel-connections"};
    std::string Good;
    std::string SettingsPath;
    std::string SqliteFile;
    std::vector<TMessageBoxRequest> Boxes;
    bool AnswerYes = false;
    std::unique_ptr<TmainForm> FForm;
};

TEST_F(ConnectionsTest, AMissingSqliteFileFailsToConnectAndIsNotCreated) {
    TmainForm& form = Form();
    const std::string typo = Folder.Path() + "tpyo.db";
    Connect("Driver=SQLite3;Database=" + typo);
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接失败"));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(
        Boxes[0].Text.startsWith(Q("数据库连接失败!原因:数据库文件不存在：") + ToQString(typo)))
        << Boxes[0].Text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(typo));
    EXPECT_FALSE(form.Database().Connected());
    EXPECT_TRUE(DropDown().empty());

    // The file that is there connects; the user's own NoCreat=0 still creates.
    Connect("Driver=SQLite3;Database=" + SqliteFile);
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接成功!"));
    ASSERT_EQ(form.lstTable->count(), 1);
    EXPECT_EQ(form.lstTable->item(0)->text(), Q("fruit"));
    Connect("Driver=SQLite3;Database=" + typo + ";NoCreat=0");
    EXPECT_EQ(form.statPanel0->text(), Q("数据库连接成功!"));
    EXPECT_TRUE(std::filesystem::exists(typo));
    std::filesystem::remove(typo);

    // 测试连接 in the dialog says the same.
    TConnectionDialog dialog(Good, form.Messages(), [] { return platform::CreateDatabase(); });
    dialog.cbbKind->setCurrentIndex(static_cast<int>(TConnectionKind::SQLite));
    dialog.edtDatabase->setText(ToQString(typo));
    Boxes.clear();
    QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.startsWith(Q("测试连接失败!原因:数据库文件不存在：")))
        << Boxes[0].Text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(typo));
    dialog.edtDatabase->setText(ToQString(SqliteFile));
    QTest::mouseClick(dialog.btnTest, Qt::LeftButton);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Text, Q("测试连接成功。"));
}

TEST_F(ConnectionsTest, EveryTextThatConnectedIsKeptNewestFirst) {
    std::string upperGood = Good;
    for (char& c : upperGood)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    WriteBytes(SettingsPath, "[dbstr]\r\ndbstr=OLD-A\r\ndbstr0=" + upperGood + "\r\n");
    TmainForm& form = Form();
    const std::string sqlite = "Driver=SQLite3;Database=" + SqliteFile;

    Connect(Good);
    EXPECT_EQ(DropDown(), (std::vector<QString>{ToQString(Good), Q("OLD-A")}));
    Connect(sqlite);
    Connect("Driver=SQLite3;Database=" + Folder.Path() + "missing.db"); // fails: not kept
    EXPECT_EQ(DropDown(), (std::vector<QString>{ToQString(sqlite), ToQString(Good), Q("OLD-A")}));
    EXPECT_EQ(form.cbbConnectStr->currentText(),
              ToQString("Driver=SQLite3;Database=" + Folder.Path() + "missing.db"));
    QTest::mouseClick(form.btnClose, Qt::LeftButton);

    TStringList history;
    LoadHistory(SettingsPath, history);
    EXPECT_EQ(history.Items(), (std::vector<std::string>{sqlite, Good, "OLD-A"}))
        << ReadBytes(SettingsPath);

    // The next start shows the newest first and connects it again without a repeat.
    FForm.reset();
    EXPECT_EQ(Form().cbbConnectStr->currentText(), ToQString(sqlite));
    QTest::mouseClick(Form().btnDBCon, Qt::LeftButton);
    EXPECT_EQ(DropDown(), (std::vector<QString>{ToQString(sqlite), ToQString(Good), Q("OLD-A")}));
}

TEST_F(ConnectionsTest, TheDialogStartsFromTheTypedTextAndItsCancelKeepsIt) {
    TmainForm& form = Form();
    Connect(Good);
    ASSERT_EQ(form.statPanel0->text(), Q("数据库连接成功!"));

    // A typed text that reads as a connection fills the dialog; cancel leaves it typed.
    const QString typed = Q("Driver={MariaDB Unicode};Server=db.example;Database=typed_db;UID=u");
    form.cbbConnectStr->setEditText(typed);
    TDialogAnswer cancel([](TConnectionDialog& dialog) {
        EXPECT_EQ(dialog.cbbKind->currentIndex(), static_cast<int>(TConnectionKind::MySql));
        EXPECT_EQ(dialog.edtServer->text(), Q("db.example"));
        EXPECT_EQ(dialog.edtDatabase->text(), Q("typed_db"));
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(form.btnNewConn, Qt::LeftButton);
    EXPECT_TRUE(cancel.Answered());
    EXPECT_EQ(form.cbbConnectStr->currentText(), typed);

    // Text that is no connection text: the dialog shows the connection's own.
    form.cbbConnectStr->setEditText(Q("typed, not connected"));
    TDialogAnswer fromConnection([this](TConnectionDialog& dialog) {
        EXPECT_EQ(dialog.edtDatabase->text(), ToQString(DatabaseName()));
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(form.btnNewConn, Qt::LeftButton);
    EXPECT_TRUE(fromConnection.Answered());
    EXPECT_EQ(form.cbbConnectStr->currentText(), Q("typed, not connected"));

    // Confirming puts the composed text in the box and the matching kind in the kind box.
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMssql));
    std::string composed;
    TDialogAnswer pickMysql([&composed](TConnectionDialog& dialog) {
        dialog.cbbKind->setCurrentIndex(static_cast<int>(TConnectionKind::MySql));
        composed = dialog.ConnectionString();
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(form.btnNewConn, Qt::LeftButton);
    EXPECT_TRUE(pickMysql.Answered());
    EXPECT_EQ(form.cbbConnectStr->currentText(), ToQString(composed));
    EXPECT_EQ(form.cbbDbType->currentIndex(), static_cast<int>(TDialect::dMysql));

    TDialogAnswer pickSqlServer([](TConnectionDialog& dialog) {
        EXPECT_EQ(dialog.cbbKind->currentIndex(), static_cast<int>(TConnectionKind::MySql));
        dialog.cbbKind->setCurrentIndex(static_cast<int>(TConnectionKind::SqlServer));
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(form.btnNewConn, Qt::LeftButton);
    EXPECT_TRUE(pickSqlServer.Answered());
    EXPECT_TRUE(form.cbbConnectStr->currentText().startsWith(Q("Driver={FreeTDS}")));
    EXPECT_EQ(form.cbbDbType->currentIndex(), static_cast<int>(TDialect::dMssql));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(ConnectionsTest, OpeningATableUnderTheOtherKindAsksOncePerConnection) {
    TmainForm& form = Form();
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMssql));
    Connect(Good);

    // Declined: the table is tried as mssql, and the failure names the kind, not our rewrite.
    AnswerYes = false;
    OpenTable(Q("items"));
    ASSERT_EQ(CountBoxes(TMessageBoxKind::Question), 1);
    EXPECT_EQ(Boxes[0].Text,
              Q("当前连接的是 MySQL/MariaDB 数据库，数据库类型却是 mssql。\n改为 mysql 吗？"));
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Kind, TMessageBoxKind::Error);
    EXPECT_EQ(Boxes[1].Text, Q("无法以 mssql 打开表 items：当前连接的是 MySQL/MariaDB 数据库!"));
    EXPECT_FALSE(form.ResultSet().Active());
    EXPECT_EQ(form.cbbDbType->currentIndex(), static_cast<int>(TDialect::dMssql));
    OpenTable(Q("items"));
    EXPECT_EQ(CountBoxes(TMessageBoxKind::Question), 1);
    EXPECT_EQ(CountBoxes(TMessageBoxKind::Error), 2);

    // A new connection asks again; agreed, the kind box switches and the table opens.
    Connect(Good);
    AnswerYes = true;
    OpenTable(Q("items"));
    EXPECT_EQ(CountBoxes(TMessageBoxKind::Question), 2);
    EXPECT_EQ(form.cbbDbType->currentIndex(), static_cast<int>(TDialect::dMysql));
    ASSERT_TRUE(form.ResultSet().Active());
    EXPECT_EQ(form.ResultSet().RecordCount(), 2);
    EXPECT_EQ(CountBoxes(TMessageBoxKind::Error), 2);
    // The answer holds for this connection: set back to mssql, the kind switches unasked.
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMssql));
    OpenTable(Q("items"));
    EXPECT_EQ(CountBoxes(TMessageBoxKind::Question), 2);
    EXPECT_EQ(form.cbbDbType->currentIndex(), static_cast<int>(TDialect::dMysql));

    // SQLite is neither kind: no question.
    form.cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
    Connect("Driver=SQLite3;Database=" + SqliteFile);
    OpenTable(Q("fruit"));
    EXPECT_EQ(CountBoxes(TMessageBoxKind::Question), 2);
    EXPECT_EQ(form.ResultSet().RecordCount(), 1);
}

} // namespace
