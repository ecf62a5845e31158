#include "upgrade/ui/QtUpdaterUi.h"

#include <QApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <utility>

#include "base/Format.h"
#include "upgrade/ui/UiText.h"

namespace {

QString Text(TUpdaterText entry) {
    return UpdaterQString(UpdaterText(entry));
}

const char* Entry(TUpdaterText entry) {
    return UpdaterText(entry).c_str();
}

int ShowBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
            QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, caption, text, buttons, QApplication::activeWindow());
    return box.exec();
}

} // namespace

TQtUpdaterUi::TQtUpdaterUi(std::string applicationTitle)
    : FApplicationTitle(std::move(applicationTitle)) {}

TQtUpdaterUi::~TQtUpdaterUi() {
    if (FWizard) FWizard->disconnect();
    CloseWindows();
    if (FPassword) FPassword->reject();
}

bool TQtUpdaterUi::AskUpgrade(const std::string& message) {
    if (!FQuestion) {
        FQuestion = new TauUpdaterUpgradeMessageForm;
        FQuestion->setAttribute(Qt::WA_DeleteOnClose);
    }
    const std::string shownMessage = message.empty() ? message : "\n" + message + "\n";
    FQuestion->Prepare(
        Text(utCaption),
        UpdaterQString(Format(Entry(utQuestion), FApplicationTitle.c_str(), shownMessage.c_str())),
        Text(utYes), Text(utLater));
    // exec frees the window when it returns (WA_DeleteOnClose).
    return FQuestion->exec() == QDialog::Accepted;
}

void TQtUpdaterUi::ShowWizard(const TauUpdaterWizard& options) {
    if (!FWizard) {
        FWizard = new TauUpdaterWizardForm;
        QObject::connect(FWizard, &TauUpdaterWizardForm::Closed, FWizard,
                         [this] { WizardClosed(); });
        QObject::connect(FWizard, &TauUpdaterWizardForm::Aborted, FWizard,
                         [this] { WizardAborted(); });
    }
    TauUpdaterWizardForm& wizard = *FWizard;
    wizard.setWindowFlag(Qt::WindowStaysOnTopHint, options.StayOnTop);
    if (!options.Pic118x218.empty()) {
        QPixmap picture(UpdaterQString(options.Pic118x218));
        if (!picture.isNull()) wizard.SetPicture(picture);
    }
    wizard.SetTimeLeft(Text(utPreparing));
    wizard.setWindowTitle(Text(utCaption));
    wizard.SetTitle(Text(utDownloadingTitle));
    wizard.LCurrentFile->setTitle(QLatin1Char(' ') + Text(utCurrentFile) + QLatin1Char(' '));
    wizard.LAllFiles->setTitle(QLatin1Char(' ') + Text(utAllFiles) + QLatin1Char(' '));
    SetAutoSizedText(wizard.LDownloadingFileFrom, Text(utDownloadingFileFrom));
    wizard.FinishBtn->setText(Text(utNext));
    wizard.CancelBtn->setText(Text(utCancel));
    wizard.SetAbortQuestion(UpdaterQString(FApplicationTitle), Text(utAbortQuestion));
    wizard.show();
}

bool TQtUpdaterUi::WizardShown() const {
    return FWizard != nullptr;
}

void TQtUpdaterUi::WizardFile(const std::string& url, int number, int count) {
    if (!FWizard) return;
    FWizard->SetFile(UpdaterQString(url),
                     UpdaterQString(Format(Entry(utDownloadingNofM), number, count)));
}

void TQtUpdaterUi::WizardFileSize(int64_t contentLength) {
    if (!FWizard) return;
    FWizard->SetFileSize(
        UpdaterQString(Format(Entry(utFileSize), static_cast<double>(contentLength) / 1024)));
}

void TQtUpdaterUi::WizardProgress(int percentDone, int totalPercentsDone, float transferRate,
                                  int64_t estimatedTimeLeft) {
    if (!FWizard) return;
    const int hours = static_cast<int>(estimatedTimeLeft / 3600);
    const int minutes = static_cast<int>(estimatedTimeLeft / 60 % 60);
    const int seconds = static_cast<int>(estimatedTimeLeft % 60);
    FWizard->SetProgress(
        percentDone, totalPercentsDone,
        UpdaterQString(Format(Entry(utTransferRate), static_cast<double>(transferRate))),
        UpdaterQString(Format(Entry(utTimeLeft), hours, minutes, seconds)));
}

void TQtUpdaterUi::ShowFinished() {
    if (!FWizard || FFinishedLoop) return;
    FWizard->SetFinished(Text(utFinishedTitle),
                         UpdaterQString(Format(Entry(utFinishedNote), FApplicationTitle.c_str())),
                         Text(utOK));
    QEventLoop loop;
    FFinishedLoop = &loop;
    loop.exec();
    FFinishedLoop = nullptr;
}

void TQtUpdaterUi::WizardClosed() {
    FWizard = nullptr;
    if (FFinishedLoop) FFinishedLoop->quit();
}

void TQtUpdaterUi::WizardAborted() {
    if (OnWizardAborted) OnWizardAborted();
}

void TQtUpdaterUi::CloseWindows() {
    // exec frees the question window once it has returned.
    if (FQuestion) FQuestion->reject();
    if (FWizard) FWizard->Dismiss();
}

bool TQtUpdaterUi::AskPassword(const std::string& fileName, std::string& username,
                               std::string& password) {
    if (!FPassword) {
        FPassword = new TauUpdaterPasswordForm;
        FPassword->setAttribute(Qt::WA_DeleteOnClose);
    }
    FPassword->Prepare(
        Text(utPasswordCaption), UpdaterQString(Format(Entry(utPasswordText), fileName.c_str())),
        Text(utUserName), Text(utPassword), Text(utOK), Text(utCancel), username, password);
    return FPassword->exec() == QDialog::Accepted;
}

void TQtUpdaterUi::ErrorBox(const std::string& text) {
    ShowBox(QMessageBox::Critical, Text(utCaption), UpdaterQString(text), QMessageBox::Ok);
}

bool TQtUpdaterUi::AskYesNo(const std::string& text, const std::string& caption) {
    return ShowBox(QMessageBox::Warning, UpdaterQString(caption), UpdaterQString(text),
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TQtUpdaterUi::InformationBox(const std::string& text) {
    ShowBox(QMessageBox::Information, Text(utCaption), UpdaterQString(text), QMessageBox::Ok);
}
