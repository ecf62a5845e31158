// What the updater shows the user: its question, wizard and password windows and its message
// boxes. upgrade/ui implements it with Qt; the UI-free updater only calls it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "upgrade/Texts.h"

struct TauUpdaterWizard {
    bool Enabled = true;
    bool StayOnTop = true;
    TauUpdaterLanguage Language = TauUpdaterLanguage::wlAuto;
    // A picture file (code page path) shown instead of the built-in side picture; empty for
    // the built-in one.
    std::string Pic118x218;
};

// Every text passed in and out is in the program code page.
class TUpdaterUi {
public:
    virtual ~TUpdaterUi() = default;

    // The question window: entry utQuestion with the application title and the message (a
    // line feed put before and after a message that is not empty). True when the user chose
    // Yes. Modal.
    virtual bool AskUpgrade(const std::string& message) = 0;

    // The wizard in its downloading state, shown without blocking.
    virtual void ShowWizard(const TauUpdaterWizard& options) = 0;
    virtual bool WizardShown() const = 0;
    // Per file: the URL field and entry utDownloadingNofM (number counts from 1).
    virtual void WizardFile(const std::string& url, int number, int count) = 0;
    // On the headers: entry utFileSize with contentLength / 1024.
    virtual void WizardFileSize(int64_t contentLength) = 0;
    // On each progress step: both bars, the rate (KB/s) and the time left (seconds).
    virtual void WizardProgress(int percentDone, int totalPercentsDone, float transferRate,
                                int64_t estimatedTimeLeft) = 0;
    // Switches the wizard to its finished state and returns once the user has closed it,
    // processing events meanwhile. Returns at once when no wizard is shown.
    virtual void ShowFinished() = 0;
    // Closes and frees the question window and the wizard where they exist, without asking.
    virtual void CloseWindows() = 0;
    // Fired when the user closed the wizard (in either state) and answered Yes to the abort
    // question; the wizard is already closed then.
    std::function<void()> OnWizardAborted;

    // The password window: entry utPasswordText with fileName; the user name edit starts with
    // username. True when the user pressed OK; the two edits are then stored into username and
    // password. Modal.
    virtual bool AskPassword(const std::string& fileName, std::string& username,
                             std::string& password) = 0;

    // Error box: the text, caption entry utCaption, an OK button, the error icon.
    virtual void ErrorBox(const std::string& text) = 0;
    // Yes/No box with the exclamation icon; true on Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // Information box: the text, caption entry utCaption, an OK button.
    virtual void InformationBox(const std::string& text) = 0;
};
