// The update component with its real windows (offscreen, Chinese), a local web server and the
// window's dispatcher: what the user sees at each decision, and what each answer does.
#include <QMessageBox>
#include <QProgressBar>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/Format.h"
#include "platform/CodePage.h"
#include "platform/Crypto.h"
#include "platform/qt/QtDispatcher.h"
#include "tests/upgrade/LocalWebServer.h"
#include "tests/upgrade/TestKeys.h"
#include "tests/upgrade/ui/ModalDriver.h"
#include "upgrade/Updater.h"
#include "upgrade/ui/QtUpdaterUi.h"

namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& bytes) {
    return LowerCase(BytesToHex(platform::Sha256(bytes)));
}

class UpdaterWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetUpdaterLanguage(TauUpdaterLanguage::wlChineseSimplified);
        Folder = fs::temp_directory_path() /
                 ("quorvel-updater-windows-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder / "app");
        ServeFiles(Server, Files, Requests);
        ServeShortBody(Server);
        Server.Start();
        Updater.SetPublicKey(Keys.PublicBase64);
        Updater.SetProgramPath((Folder / "app" / "quorvel").string());
        Updater.SetVersionControl(TauUpdaterVersionControl::byNumber);
        Updater.SetVersionNumber("2");
        Updater.SetWizard({true, false, TauUpdaterLanguage::wlChineseSimplified, ""});
        Updater.StartReplacement = [this] {
            Outcome = "replaced " + std::to_string(Updater.DownloadedFiles().size());
            return std::string();
        };
        Updater.CloseApplication = [this] { Outcome += ", closed"; };
        Updater.OnLaterUpgrade = [this](TauUpdater*) { Outcome = "later"; };
        Updater.OnAborted = [this](TauUpdater*) { Outcome = "aborted"; };
        Updater.OnConnLost = [this](TauUpdater*) { Outcome = "connection lost"; };
    }
    void TearDown() override {
        Server.Stop();
        fs::remove_all(Folder);
        SetUpdaterLanguage(TauUpdaterLanguage::wlEnglish);
    }

    void Check(const std::string& body) {
        std::ofstream(Folder / "update.inf", std::ios::binary) << Keys.Sign(body);
        Updater.SetInfoFileURL("file://" + (Folder / "update.inf").string());
        Outcome.clear();
        Updater.CheckUpdate();
    }
    std::string Serve(const std::string& name, const std::string& bytes) {
        Files[name] = bytes;
        return Server.Url("/files/" + name);
    }
    static QString Utf8(const char* text) { return QString::fromUtf8(text); }

    fs::path Folder;
    TKeyPair Keys;
    TLocalWebServer Server;
    std::map<std::string, std::string> Files;
    std::atomic<int> Requests{0};
    platform::TQtDispatcher Dispatcher;
    TQtUpdaterUi Ui{"Quorvel"};
    TauUpdater Updater{Dispatcher, &Ui};
    std::string Outcome;
};

TEST_F(UpdaterWindowsTest, AnOfferIsAskedThenDownloadedWithTheWizardAndLostFilesAreAsked) {
    const std::string body = "#version=2.1\n#message={" +
                             platform::Utf8ToCodePage("更快的导出", platform::TConversion::Strict) +
                             "}\n#url=" + Server.Url("/files/missing.dat") +
                             "\n#url0=" + Serve("quorvel", "new program") +
                             "\n#sha2560=" + Hex("new program") + "\n";
    // Later: nothing is fetched.
    OnNextModal([](QWidget* window) {
        EXPECT_EQ(LabelText(window, "Label1"),
                  Utf8("  Quorvel已经有新版本推出，\n\n更快的导出\n\n您要升级到新版本吗？"));
        Click(window, "LaterBtn");
    });
    Check(body);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Outcome.empty(); }, 10000));
    EXPECT_EQ(Outcome, "later");
    EXPECT_EQ(Requests, 0);

    // Yes: the wizard shows the download; the missing file is asked about and left out.
    OnNextModal([this](QWidget* window) {
        Click(window, "YesBtn");
        OnNextModal([this](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            EXPECT_EQ(message->windowTitle(), Utf8("错误 #404"));
            EXPECT_EQ(
                message->text(),
                Utf8(
                    "文档missing.dat找不到或者发生错误，\n\n您要忽略这个文档并且继续升级操作吗？"));
            ASSERT_NE(Ui.Wizard(), nullptr);
            EXPECT_EQ(Ui.Wizard()->findChild<QLabel*>("AllDownloading")->text(),
                      Utf8("当前正在下载:1 of 2"));
            message->button(QMessageBox::Yes)->click();
        });
    });
    // The finished wizard holds the upgrade in its own event loop until the user closes it.
    bool finishedSeen = false;
    QTimer finisher;
    QObject::connect(&finisher, &QTimer::timeout, [&] {
        TauUpdaterWizardForm* wizard = Ui.Wizard();
        if (!wizard || !wizard->findChild<QPushButton*>("FinishBtn")->isEnabled()) return;
        finisher.stop();
        finishedSeen = true;
        EXPECT_EQ(wizard->findChild<QLabel*>("WizardTitle")->text(), Utf8("升级完成！"));
        EXPECT_EQ(wizard->findChild<QProgressBar*>("ProgressAllFiles")->value(), 100);
        EXPECT_TRUE(Outcome.empty()) << "nothing restarts before the wizard is closed";
        Click(wizard, "FinishBtn");
    });
    finisher.start(10);
    Check(body);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Outcome.empty(); }, 10000));
    EXPECT_TRUE(finishedSeen);
    EXPECT_EQ(Outcome, "replaced 1, closed");
    EXPECT_TRUE(fs::exists(Folder / "app" / "quorvel.uTMP"));
}

TEST_F(UpdaterWindowsTest, ABrokenDownloadIsReportedAndClosesTheWizard) {
    OnNextModal([this](QWidget* window) {
        Click(window, "YesBtn");
        OnNextModal([](QWidget* box) {
            auto* message = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(message, nullptr);
            EXPECT_EQ(message->windowTitle(), Utf8("软件升级"));
            EXPECT_EQ(message->text(),
                      Utf8("与远端服务器的连接中断，\n\n请重新连接后再进行升级操作。"));
            EXPECT_EQ(message->icon(), QMessageBox::Critical);
            message->button(QMessageBox::Ok)->click();
        });
    });
    Check("#version=3\n#url=" + Server.Url("/short") + "\n#sha256=" + Hex(std::string(1000, 'x')) +
          "\n");
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Outcome.empty() && !Ui.Wizard(); }, 10000));
    EXPECT_EQ(Outcome, "connection lost");
    EXPECT_FALSE(fs::exists(Folder / "app" / "short.uTMP"));

    // A lost file answered No aborts the upgrade.
    OnNextModal([](QWidget* window) {
        Click(window, "YesBtn");
        OnNextModal([](QWidget* box) {
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
        });
    });
    Check("#version=3\n#url=" + Server.Url("/files/none") + "\n");
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Outcome.empty() && !Ui.Wizard(); }, 10000));
    EXPECT_EQ(Outcome, "aborted");
}

} // namespace
