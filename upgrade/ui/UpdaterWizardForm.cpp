#include "upgrade/ui/UpdaterWizardForm.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "upgrade/Texts.h"

namespace {

QFont PixelFont(const QString& family, int pixelSize) {
    QFont font(family);
    font.setPixelSize(pixelSize);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
}

QProgressBar* MakeProgressBar(QWidget* parent, const char* name, int left, int top) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(left, top, 378, 27);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// A URL field that cannot be changed but whose text can still be selected and copied.
class TUrlEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll))
            QLineEdit::keyPressEvent(event);
        else
            event->accept();
    }
};

} // namespace

void SetAutoSizedText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

QPixmap BuiltInWizardPicture() {
    QPixmap picture(118, 218);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 218);
    sky.setColorAt(0, QColor(0x1C, 0x3F, 0x8C));
    sky.setColorAt(1, QColor(0x6E, 0xA8, 0xE6));
    painter.fillRect(picture.rect(), sky);
    // A box with an arrow coming down into it: files arriving.
    painter.setPen(QPen(Qt::white, 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(24, 130, 70, 50);
    QPainterPath arrow;
    arrow.moveTo(50, 40);
    arrow.lineTo(68, 40);
    arrow.lineTo(68, 92);
    arrow.lineTo(84, 92);
    arrow.lineTo(59, 122);
    arrow.lineTo(34, 92);
    arrow.lineTo(50, 92);
    arrow.closeSubpath();
    painter.setBrush(QColor(0xFF, 0xD4, 0x4A));
    painter.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
    painter.drawPath(arrow);
    painter.setPen(QPen(QColor(255, 255, 255, 160), 2));
    for (int line = 0; line < 3; ++line)
        painter.drawLine(36, 144 + 12 * line, 82, 144 + 12 * line);
    return picture;
}

TauUpdaterWizardForm::TauUpdaterWizardForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("TauUpdaterWizardForm"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 14));
    setFixedSize(570, 346);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(12, 12, 148, 271);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    Image1->setGeometry(Panel1->contentsRect());
    Image1->setPixmap(BuiltInWizardPicture());

    WizardTitle = MakeLabel(this, "WizardTitle", 167, 12);
    QFont titleFont = PixelFont(QStringLiteral("Times New Roman"), 23);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    WizardTitle->setFont(titleFont);

    AfterNote = MakeLabel(this, "AfterNote", 167, 54);
    AfterNote->setWordWrap(true);
    AfterNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    AfterNote->resize(393, 0);

    LCurrentFile = new QGroupBox(this);
    LCurrentFile->setObjectName(QStringLiteral("LCurrentFile"));
    LCurrentFile->setGeometry(167, 42, 393, 154);
    LDownloadingFileFrom = MakeLabel(LCurrentFile, "LDownloadingFileFrom", 7, 17);
    FileURL = new TUrlEdit(LCurrentFile);
    FileURL->setObjectName(QStringLiteral("FileURL"));
    FileURL->setGeometry(12, 34, 371, 16);
    FileURL->setFrame(false);
    FileURL->setFont(PixelFont(QStringLiteral("MS Sans Serif"), 15));
    QPalette urlPalette = FileURL->palette();
    urlPalette.setColor(QPalette::Base, urlPalette.color(QPalette::Button));
    urlPalette.setColor(QPalette::Text, urlPalette.color(QPalette::Highlight));
    FileURL->setPalette(urlPalette);
    FileSizeLab = MakeLabel(LCurrentFile, "FileSizeLab", 7, 54);
    TransferRateLab = MakeLabel(LCurrentFile, "TransferRateLab", 7, 74);
    EstimatedTimeLeftLab = MakeLabel(LCurrentFile, "EstimatedTimeLeftLab", 7, 94);
    ProgressCurrentFile = MakeProgressBar(LCurrentFile, "ProgressCurrentFile", 7, 118);

    LAllFiles = new QGroupBox(this);
    LAllFiles->setObjectName(QStringLiteral("LAllFiles"));
    LAllFiles->setGeometry(167, 199, 393, 83);
    AllDownloading = MakeLabel(LAllFiles, "AllDownloading", 7, 20);
    ProgressAllFiles = MakeProgressBar(LAllFiles, "ProgressAllFiles", 7, 47);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(12, 293, 550, 2);

    // Engraved text: a light copy one pixel down and right under the dark one.
    const QFont aboutFont = PixelFont(QStringLiteral("MS Sans Serif"), 15);
    const QString engraved =
        QLatin1Char(' ') +
        QString::fromLatin1(kUpdaterEngravedText.data(),
                            static_cast<qsizetype>(kUpdaterEngravedText.size())) +
        QLatin1Char(' ');
    AboutShadow = MakeLabel(this, "AboutShadow", 38, 288);
    AboutLabel = MakeLabel(this, "AboutLabel", 37, 287);
    for (QLabel* label : {AboutShadow, AboutLabel}) {
        label->setFont(aboutFont);
        label->setAttribute(Qt::WA_TranslucentBackground);
        QPalette labelPalette = label->palette();
        labelPalette.setColor(
            QPalette::WindowText,
            labelPalette.color(label == AboutLabel ? QPalette::Dark : QPalette::Light));
        label->setPalette(labelPalette);
        SetAutoSizedText(label, engraved);
    }
    AboutLabel->raise();

    FinishBtn = new QPushButton(this);
    FinishBtn->setObjectName(QStringLiteral("FinishBtn"));
    FinishBtn->setGeometry(364, 305, 93, 31);
    FinishBtn->setEnabled(false);
    CancelBtn = new QPushButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(468, 305, 92, 31);
    CancelBtn->setDefault(true);
    connect(FinishBtn, &QPushButton::clicked, this, &TauUpdaterWizardForm::Dismiss);
    // Like the title bar's close box, after the click has finished.
    connect(CancelBtn, &QPushButton::clicked, this,
            [this] { QTimer::singleShot(0, this, [this] { close(); }); });
}

void TauUpdaterWizardForm::SetAbortQuestion(const QString& caption, const QString& question) {
    FAbortCaption = caption;
    FAbortQuestion = question;
}

void TauUpdaterWizardForm::SetTitle(const QString& title) {
    SetAutoSizedText(WizardTitle, title);
}

void TauUpdaterWizardForm::SetTimeLeft(const QString& text) {
    SetAutoSizedText(EstimatedTimeLeftLab, text);
}

void TauUpdaterWizardForm::SetPicture(const QPixmap& picture) {
    Image1->setPixmap(picture);
}

void TauUpdaterWizardForm::SetFile(const QString& url, const QString& allFilesText) {
    FileURL->setText(url);
    FileURL->setCursorPosition(0);
    SetAutoSizedText(AllDownloading, allFilesText);
}

void TauUpdaterWizardForm::SetFileSize(const QString& text) {
    SetAutoSizedText(FileSizeLab, text);
}

void TauUpdaterWizardForm::SetProgress(int percentDone, int totalPercentsDone,
                                       const QString& rateText, const QString& timeLeftText) {
    ProgressCurrentFile->setValue(percentDone);
    ProgressAllFiles->setValue(totalPercentsDone);
    SetAutoSizedText(TransferRateLab, rateText);
    SetTimeLeft(timeLeftText);
}

void TauUpdaterWizardForm::SetFinished(const QString& title, const QString& note,
                                       const QString& finishText) {
    SetTitle(title);
    AfterNote->setText(note);
    AfterNote->resize(AfterNote->width(), AfterNote->heightForWidth(AfterNote->width()));
    LCurrentFile->hide();
    LAllFiles->hide();
    CancelBtn->setEnabled(false);
    FinishBtn->setText(finishText);
    FinishBtn->setEnabled(true);
    FinishBtn->setDefault(true);
    FinishBtn->setFocus();
}

void TauUpdaterWizardForm::Dismiss() {
    if (FDismissed) return;
    FDismissed = true;
    hide();
    emit Closed();
    // A pending abort question is answered No; closeEvent frees the window when it returns.
    if (FAbortBox)
        FAbortBox->done(QMessageBox::No);
    else
        deleteLater();
}

bool TauUpdaterWizardForm::AskAbort() {
    QMessageBox box(QMessageBox::Question, FAbortCaption, FAbortQuestion,
                    QMessageBox::Yes | QMessageBox::No, this);
    FAbortBox = &box;
    const int answer = box.exec();
    FAbortBox = nullptr;
    return answer == QMessageBox::Yes;
}

void TauUpdaterWizardForm::closeEvent(QCloseEvent* event) {
    // The window closes only through Dismiss, which hides and frees it itself.
    event->ignore();
    if (FDismissed || FAbortBox) return;
    const bool abort = AskAbort();
    if (FDismissed) {
        deleteLater();
        return;
    }
    if (!abort) return;
    Dismiss();
    emit Aborted();
}

void TauUpdaterWizardForm::reject() {
    // Escape acts as the Cancel button, and not at all while that button is disabled.
    if (CancelBtn->isEnabled()) CancelBtn->click();
}
