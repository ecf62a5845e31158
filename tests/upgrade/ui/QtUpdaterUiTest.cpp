// The updater's real windows offscreen, in English and in Simplified Chinese: texts, layout,
// states and what the user's clicks return.
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/CodePage.h"
#include "tests/upgrade/ui/ModalDriver.h"
#include "upgrade/Texts.h"
#include "upgrade/ui/QtUpdaterUi.h"

namespace {

std::string CodePage(const char* utf8) {
    return platform::Utf8ToCodePage(utf8, platform::TConversion::Strict);
}

// The program's name as the windows show it, with Chinese in it to follow the conversions.
const char* const kTitle = "Quorvel 导出";

class UpdaterUiTest : public ::testing::TestWithParam<TauUpdaterLanguage> {
protected:
    void SetUp() override { SetUpdaterLanguage(GetParam()); }
    void TearDown() override { SetUpdaterLanguage(TauUpdaterLanguage::wlEnglish); }

    bool Chinese() const { return GetParam() == TauUpdaterLanguage::wlChineseSimplified; }
    // The expected text in the language under test.
    QString L(const char* english, const char* chinese) const {
        return QString::fromUtf8(Chinese() ? chinese : english);
    }

    TQtUpdaterUi Ui{CodePage(kTitle)};
};

TEST_P(UpdaterUiTest, QuestionWindowOffersTheVersionAndReturnsTheAnswer) {
    int shortHeight = 0;
    QPointer<QWidget> shown;
    OnNextModal([&](QWidget* window) {
        shown = window;
        EXPECT_EQ(window->objectName(), QStringLiteral("TauUpdaterUpgradeMessageForm"));
        EXPECT_EQ(window->windowTitle(), L("Application update wizard", "软件升级"));
        EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(LabelText(window, "Label1"),
                  L("A newer version of Quorvel 导出 was released.\n\nVersion 2.1 exports "
                    "views.\n\nDo you want to update your version with the latest one?",
                    "  Quorvel 导出已经有新版本推出，\n\nVersion 2.1 exports views.\n\n您要升级到"
                    "新版本吗？"));
        EXPECT_EQ(ButtonText(window, "YesBtn"), L("&Yes", "是 (&Y)"));
        EXPECT_EQ(ButtonText(window, "LaterBtn"), L("&Later", "稍等一下(&L)"));
        auto* label = Child<QLabel>(window, "Label1");
        EXPECT_EQ(window->width(), 318);
        EXPECT_EQ(label->geometry(), QRect(45, 5, 318 - 45 - 11, label->height()));
        EXPECT_EQ(window->height(), 5 + label->height() + 45);
        EXPECT_EQ(Child<QWidget>(window, "BottomPanel")->geometry(),
                  QRect(0, window->height() - 45, 318, 45));
        shortHeight = window->height();
        Click(window, "YesBtn");
    });
    EXPECT_TRUE(Ui.AskUpgrade(CodePage("Version 2.1 exports views.")));
    EXPECT_TRUE(shown.isNull()) << "the question window is freed when it closes";

    OnNextModal([&](QWidget* window) {
        EXPECT_EQ(LabelText(window, "Label1"),
                  L("A newer version of Quorvel 导出 was released.\n\nDo you want to update "
                    "your version with the latest one?",
                    "  Quorvel 导出已经有新版本推出，\n\n您要升级到新版本吗？"));
        Click(window, "LaterBtn");
    });
    EXPECT_FALSE(Ui.AskUpgrade(""));

    std::string longMessage;
    for (int line = 0; line < 12; ++line)
        longMessage += "Faster exports of wide tables. ";
    OnNextModal([&](QWidget* window) {
        auto* label = Child<QLabel>(window, "Label1");
        EXPECT_GT(window->height(), shortHeight + 3 * label->fontMetrics().height());
        EXPECT_EQ(window->height(), 5 + label->height() + 45);
        EXPECT_EQ(Child<QWidget>(window, "BottomPanel")->y(), window->height() - 45);
        QTest::keyClick(window, Qt::Key_Escape);
    });
    EXPECT_FALSE(Ui.AskUpgrade(longMessage));

    // The program closes it (an upgrade cancelled meanwhile): the answer is no.
    OnNextModal([&](QWidget*) { Ui.CloseWindows(); });
    EXPECT_FALSE(Ui.AskUpgrade(""));
    EXPECT_EQ(Ui.QuestionWindow(), nullptr);
}

TEST_P(UpdaterUiTest, WizardShowsTheDownload) {
    int aborted = 0;
    Ui.OnWizardAborted = [&] { ++aborted; };
    ASSERT_FALSE(Ui.WizardShown());
    Ui.ShowWizard(TauUpdaterWizard{});
    ASSERT_TRUE(Ui.WizardShown());
    QWidget* wizard = Ui.Wizard();
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_FALSE(wizard->isModal());
    EXPECT_TRUE(wizard->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(wizard->size(), QSize(570, 346));
    EXPECT_EQ(wizard->windowTitle(), L("Application update wizard", "软件升级"));
    EXPECT_EQ(LabelText(wizard, "WizardTitle"), L("Downloading files...", "文档下载中"));
    EXPECT_EQ(Child<QGroupBox>(wizard, "LCurrentFile")->title(),
              L(" Current file ", " 当前的文档 "));
    EXPECT_EQ(Child<QGroupBox>(wizard, "LAllFiles")->title(), L(" All files ", " 全部的文档 "));
    EXPECT_EQ(LabelText(wizard, "LDownloadingFileFrom"), L("Downloading file from", "文档下载源"));
    EXPECT_EQ(LabelText(wizard, "EstimatedTimeLeftLab"), L("Preparing. . .", "准备中"));
    EXPECT_EQ(LabelText(wizard, "AfterNote"), QString());
    EXPECT_EQ(ButtonText(wizard, "FinishBtn"), L("&Next >", "下一个>(&N)"));
    EXPECT_FALSE(Child<QPushButton>(wizard, "FinishBtn")->isEnabled());
    EXPECT_EQ(ButtonText(wizard, "CancelBtn"), L("&Cancel", "取消(&C)"));
    EXPECT_TRUE(Child<QPushButton>(wizard, "CancelBtn")->isEnabled());
    // Engraved: the light copy one pixel down and right, under the dark one.
    auto* about = Child<QLabel>(wizard, "AboutLabel");
    auto* shadow = Child<QLabel>(wizard, "AboutShadow");
    EXPECT_EQ(about->text(), QStringLiteral(" Updater "));
    EXPECT_EQ(shadow->text(), QStringLiteral(" Updater "));
    EXPECT_EQ(shadow->pos(), about->pos() + QPoint(1, 1));
    EXPECT_EQ(about->palette().color(QPalette::WindowText),
              wizard->palette().color(QPalette::Dark));
    EXPECT_EQ(shadow->palette().color(QPalette::WindowText),
              wizard->palette().color(QPalette::Light));
    EXPECT_LT(wizard->children().indexOf(shadow), wizard->children().indexOf(about))
        << "the dark text is drawn last";
    EXPECT_EQ(Child<QLabel>(wizard, "Image1")->pixmap().size(), QSize(118, 218));

    Ui.WizardFile("http://updates.example.org/quorvel/quorvel.bin", 1, 2);
    EXPECT_EQ(Child<QLineEdit>(wizard, "FileURL")->text(),
              QStringLiteral("http://updates.example.org/quorvel/quorvel.bin"));
    auto* url = Child<QLineEdit>(wizard, "FileURL");
    QTest::keyClicks(url, QStringLiteral("x"));
    QTest::keyClick(url, Qt::Key_Backspace);
    EXPECT_EQ(url->text(), QStringLiteral("http://updates.example.org/quorvel/quorvel.bin"))
        << "the URL field takes no typing";
    EXPECT_EQ(LabelText(wizard, "AllDownloading"), L("Downloading 1 of 2", "当前正在下载:1 of 2"));
    Ui.WizardFileSize(1536);
    EXPECT_EQ(LabelText(wizard, "FileSizeLab"), L("File size: 1.5 Kb", "文档大小:1.5 Kb"));
    Ui.WizardProgress(40, 20, 12.5f, 3725);
    EXPECT_EQ(Child<QProgressBar>(wizard, "ProgressCurrentFile")->value(), 40);
    EXPECT_EQ(Child<QProgressBar>(wizard, "ProgressAllFiles")->value(), 20);
    EXPECT_EQ(LabelText(wizard, "TransferRateLab"),
              L("Transfer rate: 12.5 Kb/s", "传输速率:12.5 Kb/s"));
    EXPECT_EQ(LabelText(wizard, "EstimatedTimeLeftLab"),
              L("Estimated time left: 1:02:05", "估计剩余时间: 1:02:05"));
    Ui.WizardProgress(100, 100, 0.0f, 59);
    EXPECT_EQ(LabelText(wizard, "EstimatedTimeLeftLab"),
              L("Estimated time left: 0:00:59", "估计剩余时间: 0:00:59"));

    Ui.CloseWindows();
    EXPECT_FALSE(Ui.WizardShown());
    EXPECT_EQ(aborted, 0) << "closing from the program asks nothing";
}

TEST_P(UpdaterUiTest, FinishedWizardReturnsWhenFinishIsClicked) {
    int aborted = 0;
    Ui.OnWizardAborted = [&] { ++aborted; };
    QTemporaryDir folder;
    const QString pictureFile = folder.filePath(QStringLiteral("图片.png"));
    QPixmap picture(20, 30);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(pictureFile));
    TauUpdaterWizard options;
    options.StayOnTop = false;
    options.Pic118x218 = CodePage(pictureFile.toUtf8().constData());
    Ui.ShowWizard(options);
    QPointer<TauUpdaterWizardForm> wizard = Ui.Wizard();
    EXPECT_FALSE(wizard->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Child<QLabel>(wizard, "Image1")->pixmap().size(), QSize(20, 30));
    EXPECT_EQ(Child<QLabel>(wizard, "Image1")->size(), QSize(146, 269)) << "stretched";
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        inspected = true;
        EXPECT_EQ(LabelText(wizard, "WizardTitle"), L("Upgrade completed!", "升级完成！"));
        auto* note = Child<QLabel>(wizard, "AfterNote");
        EXPECT_EQ(note->text(), L("The update of Quorvel 导出 has been successfully "
                                  "completed.\n\nPress the OK button to restart program.",
                                  "Quorvel 导出 已经升级完成，\n\n请按[确定]键重新启动程序"));
        EXPECT_EQ(note->height(), note->heightForWidth(393));
        EXPECT_GE(note->height(), 3 * note->fontMetrics().lineSpacing());
        EXPECT_FALSE(Child<QGroupBox>(wizard, "LCurrentFile")->isVisible());
        EXPECT_FALSE(Child<QGroupBox>(wizard, "LAllFiles")->isVisible());
        EXPECT_FALSE(Child<QPushButton>(wizard, "CancelBtn")->isEnabled());
        auto* finish = Child<QPushButton>(wizard, "FinishBtn");
        EXPECT_TRUE(finish->isEnabled());
        EXPECT_EQ(finish->text(), L("&OK", "确定(&O)"));
        // Escape stands for the disabled Cancel button: nothing happens.
        QTest::keyClick(wizard, Qt::Key_Escape);
        QTest::qWait(20);
        ASSERT_TRUE(Ui.WizardShown());
        EXPECT_TRUE(wizard->isVisible());
        Click(wizard, "FinishBtn");
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the wizard stayed open";
        Ui.CloseWindows();
    });
    guard.start(5000);
    Ui.ShowFinished();
    EXPECT_TRUE(inspected);
    EXPECT_FALSE(Ui.WizardShown());
    EXPECT_EQ(aborted, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.isNull(); }, 2000)) << "freed when closed";
    Ui.ShowFinished(); // no wizard: returns at once
}

TEST_P(UpdaterUiTest, ClosingTheWizardAsksWhetherToAbort) {
    int aborted = 0;
    bool shownWhenAborted = true;
    Ui.OnWizardAborted = [&] {
        ++aborted;
        shownWhenAborted = Ui.WizardShown();
        Ui.CloseWindows();
    };
    auto answer = [&](QMessageBox::StandardButton button) {
        OnNextModal([&, button](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            EXPECT_EQ(box->windowTitle(), QString::fromUtf8(kTitle));
            EXPECT_EQ(box->text(), L("The update is not completed.\nWould you like to abort "
                                     "upgrading?",
                                     "升级操作尚未完成，\n您确定要放弃升级吗？"));
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        });
    };

    Ui.ShowWizard(TauUpdaterWizard{});
    QPointer<TauUpdaterWizardForm> wizard = Ui.Wizard();
    answer(QMessageBox::No); // the title bar's close box
    wizard->close();
    ASSERT_FALSE(wizard.isNull());
    EXPECT_TRUE(Ui.WizardShown());
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(aborted, 0);

    answer(QMessageBox::Yes);
    Click(wizard, "CancelBtn");
    EXPECT_TRUE(QTest::qWaitFor([&] { return aborted == 1; }, 5000));
    EXPECT_FALSE(Ui.WizardShown());
    EXPECT_FALSE(shownWhenAborted) << "the wizard is closed before the abort";
    EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.isNull(); }, 2000));

    // In the finished state too; ShowFinished returns and the loop sees the abort.
    Ui.ShowWizard(TauUpdaterWizard{});
    wizard = Ui.Wizard();
    QTimer::singleShot(0, [&] {
        answer(QMessageBox::Yes);
        wizard->close();
    });
    Ui.ShowFinished();
    EXPECT_EQ(aborted, 2);
    EXPECT_FALSE(Ui.WizardShown());

    // The program closes the wizard while the question is open: no abort, the wizard is freed.
    Ui.ShowWizard(TauUpdaterWizard{});
    wizard = Ui.Wizard();
    OnNextModal([&](QWidget*) { Ui.CloseWindows(); });
    wizard->close();
    EXPECT_FALSE(Ui.WizardShown());
    EXPECT_EQ(aborted, 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return wizard.isNull(); }, 2000));
}

TEST_P(UpdaterUiTest, PasswordWindowStoresWhatWasEnteredOnOK) {
    std::string username = "alice";
    std::string password = "old";
    OnNextModal([&](QWidget* window) {
        EXPECT_EQ(window->objectName(), QStringLiteral("TauUpdaterPasswordForm"));
        EXPECT_EQ(window->windowTitle(), L("Enter password", "请输入密码"));
        EXPECT_EQ(LabelText(window, "Label1"),
                  L("Access to remote file \"quorvel.bin\" is password protected.\n\nPlease "
                    "enter your username and password (received after registration) to continue "
                    "software upgrade.",
                    "远端的文档\"quorvel.bin\"被密码保护，\n\n请输入您的帐号及密码[注册用户]来继续"
                    "进行升级操作。"));
        EXPECT_EQ(LabelText(window, "UsernameLab"), L("User Name", "帐号"));
        EXPECT_EQ(LabelText(window, "PasswordLab"), L("Password", "密码"));
        EXPECT_EQ(ButtonText(window, "OKBtn"), L("&OK", "确定(&O)"));
        EXPECT_EQ(ButtonText(window, "CancelBtn"), L("&Cancel", "取消(&C)"));
        auto* label = Child<QLabel>(window, "Label1");
        EXPECT_EQ(window->height(), 5 + label->height() + 98);
        EXPECT_GT(label->height(), 2 * label->fontMetrics().height()) << "wraps";
        auto* user = Child<QLineEdit>(window, "UsernameEdit");
        auto* pass = Child<QLineEdit>(window, "PasswordEdit");
        EXPECT_EQ(user->text(), QStringLiteral("alice"));
        EXPECT_EQ(pass->text(), QString());
        EXPECT_EQ(pass->echoMode(), QLineEdit::Password);
        EXPECT_EQ(pass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, pass),
                  '*');
        user->setText(QStringLiteral("王五"));
        QTest::keyClicks(pass, QStringLiteral("s3cret"));
        Click(window, "OKBtn");
    });
    EXPECT_TRUE(Ui.AskPassword("quorvel.bin", username, password));
    EXPECT_EQ(username, CodePage("王五"));
    EXPECT_EQ(password, "s3cret");

    OnNextModal([&](QWidget* window) {
        EXPECT_EQ(Child<QLineEdit>(window, "UsernameEdit")->text(), QStringLiteral("王五"));
        EXPECT_EQ(Child<QLineEdit>(window, "PasswordEdit")->text(), QString());
        Child<QLineEdit>(window, "UsernameEdit")->setText(QStringLiteral("mallory"));
        QTest::keyClicks(Child<QLineEdit>(window, "PasswordEdit"), QStringLiteral("guess"));
        Click(window, "CancelBtn");
    });
    EXPECT_FALSE(Ui.AskPassword("quorvel.bin", username, password));
    EXPECT_EQ(username, CodePage("王五"));
    EXPECT_EQ(password, "s3cret");
}

TEST_P(UpdaterUiTest, MessageBoxes) {
    OnNextModal([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->windowTitle(), L("Application update wizard", "软件升级"));
        EXPECT_EQ(box->text(), QStringLiteral("Host 例子 unreachable.\n\nTry later."));
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    Ui.ErrorBox(CodePage("Host 例子 unreachable.\r\rTry later."));

    for (QMessageBox::StandardButton button : {QMessageBox::Yes, QMessageBox::No}) {
        OnNextModal([&, button](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Error quorvel.bin"));
            EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        });
        EXPECT_EQ(Ui.AskYesNo("Skip quorvel.bin?", "Error quorvel.bin"),
                  button == QMessageBox::Yes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, UpdaterUiTest,
    ::testing::Values(TauUpdaterLanguage::wlEnglish, TauUpdaterLanguage::wlChineseSimplified),
    [](const ::testing::TestParamInfo<TauUpdaterLanguage>& info) {
        return std::string(info.param == TauUpdaterLanguage::wlEnglish ? "English" : "Chinese");
    });

} // namespace
