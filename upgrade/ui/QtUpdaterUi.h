// TQtUpdaterUi: the updater's windows and message boxes in Qt.
#pragma once

#include <QPointer>
#include <string>

#include "upgrade/UpdaterUi.h"
#include "upgrade/ui/UpdaterPasswordForm.h"
#include "upgrade/ui/UpdaterUpgradeMessageForm.h"
#include "upgrade/ui/UpdaterWizardForm.h"

class QEventLoop;

class TQtUpdaterUi : public TUpdaterUi {
public:
    // applicationTitle (code page) names the program in the question, in the finished note
    // and on the abort question's box.
    explicit TQtUpdaterUi(std::string applicationTitle);
    ~TQtUpdaterUi() override;
    TQtUpdaterUi(const TQtUpdaterUi&) = delete;
    TQtUpdaterUi& operator=(const TQtUpdaterUi&) = delete;

    bool AskUpgrade(const std::string& message) override;
    void ShowWizard(const TauUpdaterWizard& options) override;
    bool WizardShown() const override;
    void WizardFile(const std::string& url, int number, int count) override;
    void WizardFileSize(int64_t contentLength) override;
    void WizardProgress(int percentDone, int totalPercentsDone, float transferRate,
                        int64_t estimatedTimeLeft) override;
    void ShowFinished() override;
    void CloseWindows() override;
    bool AskPassword(const std::string& fileName, std::string& username,
                     std::string& password) override;
    void ErrorBox(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void InformationBox(const std::string& text) override;

    // The windows while they exist (for the tests), else null.
    TauUpdaterUpgradeMessageForm* QuestionWindow() const { return FQuestion; }
    TauUpdaterWizardForm* Wizard() const { return FWizard; }
    TauUpdaterPasswordForm* PasswordWindow() const { return FPassword; }

private:
    void WizardClosed();
    void WizardAborted();

    std::string FApplicationTitle;
    QPointer<TauUpdaterUpgradeMessageForm> FQuestion;
    QPointer<TauUpdaterWizardForm> FWizard;
    QPointer<TauUpdaterPasswordForm> FPassword;
    // The loop ShowFinished waits in until the wizard closes.
    QEventLoop* FFinishedLoop = nullptr;
};
