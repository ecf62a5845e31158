// What the user sees: Chinese standard texts, controls whose texts fit at the smallest and a
// large window size, the grid's NULL, binary values and column widths, and a save dialog that
// remembers the last folder and encoding.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Query.h"
#include "app/ui/MainForm.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"
#include "platform/Database.h"
#include "tests/common/TestFiles.h"
#include "tests/integration/TestServer.h"

namespace {

using namespace testing_support;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::unique_ptr<TmainForm> ShownForm(const std::string& settingsPath,
                                     std::vector<TMessageBoxRequest>& boxes) {
    TMainFormSetup setup;
    setup.SettingsPath = settingsPath;
    setup.StartUpgradeCheck = [] {};
    auto form = std::make_unique<TmainForm>(setup);
    form->Messages().SetResponder(
        [&boxes](const TMessageBoxRequest& box) { boxes.push_back(box); });
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
}

// One line per control whose text does not fit: "<class> '<text>' needs N, has M". The room
// is what the style leaves for the text inside the control's frame, indicator or icon.
std::vector<std::string> ClippedTexts(QWidget& window) {
    std::vector<std::string> clipped;
    auto check = [&clipped](QWidget* control, const QString& text, int need, int have,
                            int needHeight, int haveHeight) {
        if (need <= have && needHeight <= haveHeight) return;
        clipped.push_back(std::string(control->metaObject()->className()) + " '" +
                          text.toStdString() + "' needs " + std::to_string(need) + "x" +
                          std::to_string(needHeight) + ", has " + std::to_string(have) + "x" +
                          std::to_string(haveHeight));
    };
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisible()) continue;
        QFontMetrics metrics = control->fontMetrics();
        QStyle* style = control->style();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            if (label->text().isEmpty()) continue;
            QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                        -label->margin(), -label->margin());
            check(label, label->text(), metrics.horizontalAdvance(label->text()), room.width(),
                  metrics.height(), room.height());
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            QStyleOptionButton option;
            option.initFrom(box);
            option.text = box->text();
            QRect room = style->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
            check(box, box->text(), metrics.horizontalAdvance(box->text()), room.width(),
                  metrics.height(), room.height());
        } else if (auto* button = qobject_cast<QPushButton*>(control)) {
            if (button->text().isEmpty()) continue;
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            option.icon = button->icon();
            option.iconSize = button->iconSize();
            QRect room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            check(button, button->text(), metrics.horizontalAdvance(button->text()) + icon,
                  room.width(), metrics.height(), room.height());
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            // The box of an editable drop-down scrolls a long connection text by design.
            if (qobject_cast<QComboBox*>(edit->parentWidget())) continue;
            QStyleOptionFrame option;
            option.initFrom(edit);
            option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
            QRect room = style->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                             .marginsRemoved(edit->textMargins());
            // QLineEdit keeps 2 pixels on either side of its text and 1 for the cursor.
            check(edit, edit->text(), metrics.horizontalAdvance(edit->text()) + 2 * 2 + 1,
                  room.width(), metrics.height(), room.height());
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            if (combo->isEditable()) continue;
            QStyleOptionComboBox option;
            option.initFrom(combo);
            QRect room = style->subControlRect(QStyle::CC_ComboBox, &option,
                                               QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i)
                check(combo, combo->itemText(i), metrics.horizontalAdvance(combo->itemText(i)),
                      room.width(), metrics.height(), room.height());
        }
    }
    return clipped;
}

// Controls of one row that overlap: a text running into its neighbour.
std::vector<std::string> Overlaps(QWidget& row) {
    std::vector<std::string> overlaps;
    QList<QWidget*> controls = row.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            if (controls[i]->geometry().intersects(controls[j]->geometry()))
                overlaps.push_back(controls[i]->metaObject()->className() + std::string(" ") +
                                   std::to_string(controls[i]->x()) + " and " +
                                   controls[j]->metaObject()->className() + " " +
                                   std::to_string(controls[j]->x()));
    return overlaps;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST(WindowLook, NoTextIsClippedAtTheSmallestAndALargeWindow) {
    TempFolder folder("quorvel-look");
    // A SQLite file with names that reach below the line: g, p, q, y.
    std::string database = folder.Path() + "/look.db";
    WriteBytes(database, "");
    {
        std::unique_ptr<platform::TDatabase> db = platform::CreateDatabase();
        db->SetConnectionString("Driver=SQLite3;Database=" + database);
        db->Open();
        db->ExecuteCommand("CREATE TABLE gypsy_quota (id integer)");
        db->ExecuteCommand("CREATE TABLE pig (id integer)");
    }
    std::vector<TMessageBoxRequest> boxes;
    std::unique_ptr<TmainForm> form = ShownForm(folder.Path() + "/config.ini", boxes);
    form->cbbConnectStr->setEditText(ToQString("Driver=SQLite3;Database=" + database));
    QTest::mouseClick(form->btnDBCon, Qt::LeftButton);
    ASSERT_TRUE(boxes.empty()) << boxes.front().Text.toStdString();
    ASSERT_EQ(form->lstTable->count(), 2);
    form->edtTop->setText(QStringLiteral("200000"));

    // 800 by 600 is the designed window; its client area is 784 by 562.
    for (QSize size : {QSize(784, 562), QSize(1600, 1000)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        form->showNormal();
        form->resize(size);
        QApplication::processEvents();
        for (int page : {0, 1}) {
            form->pgcMain->setCurrentIndex(page);
            QApplication::processEvents();
            EXPECT_EQ(Joined(ClippedTexts(*form)), "") << "page " << page;
        }
        EXPECT_EQ(Joined(Overlaps(*form->pnl3)), "");
        EXPECT_LE(form->edtNotNull->geometry().right(), form->pnl3->width() - 1);
        int lineHeight = form->lstTable->fontMetrics().height();
        for (int i = 0; i < form->lstTable->count(); ++i)
            EXPECT_GE(form->lstTable->visualItemRect(form->lstTable->item(i)).height(), lineHeight)
                << form->lstTable->item(i)->text().toStdString();
    }
    // Where the texts fit, the designed places stay.
    EXPECT_EQ(form->btnRun->geometry(), QRect(9, 7, 60, 25));
    EXPECT_EQ(form->chkSelectAll->x(), 142);
    EXPECT_EQ(form->lbl1->x(), 196);
}

TEST(WindowLook, StandardTextsAreChineseAndCaptionsArePlain) {
    // Nothing is appended to the captions the window system shows.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());

    for (const char* text : {"已复制到剪切板！", "数据库连接失败!原因: x"}) {
        std::unique_ptr<QMessageBox> box =
            CreateMessageBox({TMessageBoxKind::Message, ApplicationTitle(), Q(text)}, nullptr);
        box->show();
        QApplication::processEvents();
        EXPECT_EQ(box->windowTitle(), Q("Quorvel"));
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().first()->text(), Q("确定"));
        // A title bar in bold type at twice the size, with its buttons, still shows it whole.
        EXPECT_GE(box->width(), MessageBoxMinimumWidth(ApplicationTitle())) << text;
        box->close();
    }

    QLineEdit edit(QStringLiteral("x"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList actions;
    for (QAction* action : menu->actions())
        actions << action->text();
    EXPECT_TRUE(actions.join('|').contains(Q("复制"))) << actions.join('|').toStdString();
    EXPECT_TRUE(actions.join('|').contains(Q("粘贴"))) << actions.join('|').toStdString();
}

class GridLookTest : public testserver::TMariaDbTest {
protected:
    void SetUp() override {
        TMariaDbTest::SetUp();
        if (IsSkipped() || HasFailure()) return;
        SettingsPath = Folder.Path() + "/config.ini";
        Form = ShownForm(SettingsPath, Boxes);
        Form->cbbDbType->setCurrentIndex(static_cast<int>(TDialect::dMysql));
        Form->edtTop->setText(QStringLiteral("1000"));
        Form->cbbConnectStr->setEditText(ToQString(testserver::MysqlConnection(DatabaseName())));
        QTest::mouseClick(Form->btnDBCon, Qt::LeftButton);
    }

    void Open(const QString& table) {
        QListWidget& list = *Form->lstTable;
        QList<QListWidgetItem*> found = list.findItems(table, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QRect rect = list.visualItemRect(found.first());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
        ASSERT_TRUE(Boxes.empty()) << Boxes.front().Text.toStdString();
    }

    QVariant Cell(int row, int column, int role = Qt::DisplayRole) {
        TResultModel& model = Form->dbgrdMain->Model();
        return model.data(model.index(row, column), role);
    }

    // The darkest pixel the grid painted in a cell, away from its grid lines.
    QColor DarkestInCell(int row, int column) {
        TResultGrid& grid = *Form->dbgrdMain;
        QImage image = grid.viewport()->grab().toImage();
        QRect cell = grid.CellRect(row, column).adjusted(2, 2, -2, -2);
        QColor darkest(Qt::white);
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                QColor pixel = image.pixelColor(x, y);
                if (pixel.lightness() < darkest.lightness()) darkest = pixel;
            }
        return darkest;
    }

    TempFolder Folder{"quorvel-grid"};
    std::string SettingsPath;
    std::vector<TMessageBoxRequest> Boxes;
    std::unique_ptr<TmainForm> Form;
};

TEST_F(GridLookTest, NullIsGreyAndBinaryIsHexadecimal) {
    Db->ExecuteCommand("CREATE TABLE look (id int PRIMARY KEY, s varchar(20), vb varbinary(8), "
                       "bl blob)");
    Db->ExecuteCommand("INSERT INTO look VALUES (1, NULL, 0x00FF41, NULL), (2, '', NULL, "
                       "REPEAT(0xC3A9, 100)), (3, 'NULL', X'', 0x7A)");
    Form->lstTable->clear();
    QTest::mouseClick(Form->btnDBCon, Qt::LeftButton);
    Open(QStringLiteral("look"));
    ASSERT_EQ(Form->ResultSet().RecordCount(), 3);
    const int s = 2, vb = 3, bl = 4; // after the tick column and id

    EXPECT_EQ(Cell(0, s).toString(), Q("NULL"));
    EXPECT_EQ(Cell(0, s, Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
    EXPECT_FALSE(Cell(0, s, Qt::FontRole).isValid()); // the cell's own font
    EXPECT_EQ(Cell(1, s).toString(), Q(""));
    EXPECT_FALSE(Cell(1, s, Qt::ForegroundRole).isValid());
    // A text that reads NULL is text, in the text colour.
    EXPECT_EQ(Cell(2, s).toString(), Q("NULL"));
    EXPECT_FALSE(Cell(2, s, Qt::ForegroundRole).isValid());
    // Painted: grey letters for NULL, nothing for the empty text, dark letters for the text.
    QColor nullInk = DarkestInCell(0, s);
    EXPECT_LT(nullInk.lightness(), 200);
    EXPECT_GT(nullInk.lightness(), 80);
    EXPECT_GT(DarkestInCell(1, s).lightness(), 200);
    EXPECT_LT(DarkestInCell(2, s).lightness(), 80);

    EXPECT_EQ(Cell(0, vb).toString(), Q("0x00FF41"));
    EXPECT_EQ(Cell(1, vb).toString(), Q("NULL"));
    EXPECT_EQ(Cell(2, vb).toString(), Q("0x"));
    EXPECT_EQ(Cell(2, bl).toString(), Q("0x7A"));
    QString longBlob = Cell(1, bl).toString();
    EXPECT_TRUE(longBlob.startsWith(Q("0xC3A9C3A9"))) << longBlob.toStdString();
    EXPECT_TRUE(longBlob.endsWith(Q("..."))) << longBlob.toStdString();
    EXPECT_LE(Form->dbgrdMain->ColumnWidth(bl), 120);
    // Binary bytes are not edited as text; the others are.
    TResultModel& model = Form->dbgrdMain->Model();
    EXPECT_FALSE(model.flags(model.index(0, vb)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, s)) & Qt::ItemIsEditable);
}

TEST_F(GridLookTest, ColumnsFitTheWidestValueAnywhereInTheResult) {
    Db->ExecuteCommand("CREATE TABLE wide (id int PRIMARY KEY, w varchar(40), x varchar(200))");
    std::string values;
    for (int id = 1; id <= 600; ++id) {
        std::string w = id == 577 ? "WWWWWWWWWW" : "a";
        std::string x = id == 599 ? std::string(60, 'M') : "b";
        values +=
            (values.empty() ? "" : ",") + ("(" + std::to_string(id) + ",'" + w + "','" + x + "')");
    }
    Db->ExecuteCommand("INSERT INTO wide VALUES " + values);
    Form->lstTable->clear();
    QTest::mouseClick(Form->btnDBCon, Qt::LeftButton);
    Open(QStringLiteral("wide"));
    ASSERT_EQ(Form->ResultSet().RecordCount(), 600);
    int wide = Form->dbgrdMain->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWW"));
    ASSERT_LT(wide, 120);
    EXPECT_GE(Form->dbgrdMain->ColumnWidth(2), wide);
    EXPECT_EQ(Form->dbgrdMain->ColumnWidth(3), 120);
    EXPECT_EQ(Form->dbgrdMain->ColumnWidth(0), 28);
}

TEST_F(GridLookTest, TheSaveDialogStartsWhereTheLastSaveWent) {
    Db->ExecuteCommand("CREATE TABLE t (id int PRIMARY KEY)");
    Db->ExecuteCommand("INSERT INTO t VALUES (1)");
    Form->lstTable->clear();
    QTest::mouseClick(Form->btnDBCon, Qt::LeftButton);
    Open(QStringLiteral("t"));
    QTest::mouseClick(Form->chkSelectAll, Qt::LeftButton);
    QTest::mouseClick(Form->btnExport, Qt::LeftButton);
    ASSERT_FALSE(Form->mmoResult->Text().empty());

    std::filesystem::create_directory(Folder.Path() + "/脚本");
    std::vector<TSaveChoice> offered;
    TSaveChoice answer{Folder.Path() + "/脚本/a.sql", TScriptEncoding::Utf8};
    Form->OnChooseSaveFile = [&](TSaveChoice& choice) {
        offered.push_back(choice);
        choice = answer;
        return true;
    };
    QTest::mouseClick(Form->btnSave, Qt::LeftButton);
    QTest::mouseClick(Form->btnSave, Qt::LeftButton);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].FileName, "");
    EXPECT_EQ(offered[0].Encoding, TScriptEncoding::GB18030);
    EXPECT_EQ(offered[1].FileName, Folder.Path() + "/脚本/");
    EXPECT_EQ(offered[1].Encoding, TScriptEncoding::Utf8);
    // The options keep their keys and order.
    Form->close();
    std::string settings = ReadBytes(SettingsPath);
    EXPECT_NE(settings.find("[Option]\r\ntop=1000\r\ndbtype=1\r\nnotNullFields=created_by\r\n"),
              std::string::npos)
        << settings;

    // The real dialog opens there, in Chinese, with the encoding chosen last.
    Form = ShownForm(SettingsPath, Boxes);
    Form->mmoResult->SetText("x");
    QString directory, encoding, title;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        directory = dialog->directory().absolutePath();
        if (auto* box = dialog->findChild<QComboBox*>(QStringLiteral("encoding")))
            encoding = box->currentText();
        for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>())
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
        dialog->reject();
    });
    QTest::mouseClick(Form->btnSave, Qt::LeftButton);
    EXPECT_EQ(title, Q("保存为文件"));
    EXPECT_EQ(directory, QDir::cleanPath(QString::fromUtf8((Folder.Path() + "/脚本").c_str())));
    EXPECT_EQ(encoding, Q("UTF-8"));
    EXPECT_TRUE(buttons.join('|').contains(Q("保存"))) << buttons.join('|').toStdString();
    EXPECT_TRUE(buttons.join('|').contains(Q("取消"))) << buttons.join('|').toStdString();
}
