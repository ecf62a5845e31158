#include "upgrade/ui/UpdaterPasswordForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>

#include "upgrade/ui/UiText.h"

namespace {

constexpr int kClientWidth = 297;
constexpr int kClientHeight = 141;
constexpr int kBottomPanelHeight = 98;
constexpr int kLabelTop = 5;

// The password edit shows a "*" for every character typed.
class TStarEchoStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int top) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(122, top, 157, 21);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left) {
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 68, 75, 23);
    return button;
}

} // namespace

TauUpdaterPasswordForm::TauUpdaterPasswordForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("TauUpdaterPasswordForm"));
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    setFixedSize(kClientWidth, kClientHeight);

    Label1 = MakeLabel(this, "Label1", 45, kLabelTop);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->resize(246, 0);
    Icon = new QLabel(this);
    Icon->setGeometry(7, 5, 32, 32);
    Icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));

    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    UsernameLab = MakeLabel(BottomPanel, "UsernameLab", 45, 14);
    PasswordLab = MakeLabel(BottomPanel, "PasswordLab", 45, 38);
    UsernameEdit = MakeEdit(BottomPanel, "UsernameEdit", 10);
    PasswordEdit = MakeEdit(BottomPanel, "PasswordEdit", 34);
    PasswordEdit->setEchoMode(QLineEdit::Password);
    auto* starStyle = new TStarEchoStyle;
    starStyle->setParent(PasswordEdit);
    PasswordEdit->setStyle(starStyle);
    OKBtn = MakeButton(BottomPanel, "OKBtn", 114);
    OKBtn->setDefault(true);
    CancelBtn = MakeButton(BottomPanel, "CancelBtn", 204);
    connect(OKBtn, &QPushButton::clicked, this, &TauUpdaterPasswordForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TauUpdaterPasswordForm::Prepare(const QString& caption, const QString& text,
                                     const QString& userNameLabel, const QString& passwordLabel,
                                     const QString& okText, const QString& cancelText,
                                     std::string& username, std::string& password) {
    FUsername = &username;
    FPassword = &password;
    setWindowTitle(caption);
    Label1->setText(text);
    Label1->resize(Label1->width(), Label1->heightForWidth(Label1->width()));
    UsernameLab->setText(userNameLabel);
    UsernameLab->adjustSize();
    PasswordLab->setText(passwordLabel);
    PasswordLab->adjustSize();
    UsernameEdit->setText(UpdaterQString(username));
    PasswordEdit->clear();
    OKBtn->setText(okText);
    CancelBtn->setText(cancelText);
    const int clientHeight = kLabelTop + Label1->height() + kBottomPanelHeight;
    setFixedSize(width(), clientHeight);
    BottomPanel->setGeometry(0, clientHeight - kBottomPanelHeight, width(), kBottomPanelHeight);
    UsernameEdit->setFocus();
}

void TauUpdaterPasswordForm::OKBtnClick() {
    if (FUsername) *FUsername = UpdaterCodePage(UsernameEdit->text());
    if (FPassword) *FPassword = UpdaterCodePage(PasswordEdit->text());
    accept();
}
