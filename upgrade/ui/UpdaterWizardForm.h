// The download wizard: progress of the current file and of all files, then the closing note.
#pragma once

#include <QDialog>
#include <QPixmap>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QProgressBar;
class QPushButton;

// A label that keeps its width to its one-line text.
void SetAutoSizedText(QLabel* label, const QString& text);

// The side picture drawn when no picture file is given, 118 x 218.
QPixmap BuiltInWizardPicture();

class TauUpdaterWizardForm : public QDialog {
    Q_OBJECT
public:
    explicit TauUpdaterWizardForm(QWidget* parent = nullptr);

    // The abort question's box: its title and text.
    void SetAbortQuestion(const QString& caption, const QString& question);
    void SetTitle(const QString& title);
    void SetTimeLeft(const QString& text);
    void SetPicture(const QPixmap& picture);
    void SetFile(const QString& url, const QString& allFilesText);
    void SetFileSize(const QString& text);
    void SetProgress(int percentDone, int totalPercentsDone, const QString& rateText,
                     const QString& timeLeftText);
    void SetFinished(const QString& title, const QString& note, const QString& finishText);

    // Closes and frees the window without asking.
    void Dismiss();
    bool Dismissed() const { return FDismissed; }

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* WizardTitle;
    QLabel* AfterNote;
    QGroupBox* LCurrentFile;
    QLabel* LDownloadingFileFrom;
    QLineEdit* FileURL;
    QLabel* FileSizeLab;
    QLabel* TransferRateLab;
    QLabel* EstimatedTimeLeftLab;
    QProgressBar* ProgressCurrentFile;
    QGroupBox* LAllFiles;
    QLabel* AllDownloading;
    QProgressBar* ProgressAllFiles;
    QFrame* Bevel1;
    QLabel* AboutShadow;
    QLabel* AboutLabel;
    QPushButton* FinishBtn;
    QPushButton* CancelBtn;

signals:
    // The window is hidden and about to be freed.
    void Closed();
    // The user confirmed the abort question; sent after Closed.
    void Aborted();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    bool AskAbort();

    QString FAbortCaption;
    QString FAbortQuestion;
    QMessageBox* FAbortBox = nullptr;
    bool FDismissed = false;
};
