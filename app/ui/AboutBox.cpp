#include "app/ui/AboutBox.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "app/Globals.h"
#include "app/ui/Icons.h"
#include "app/ui/QtText.h"

namespace {

// A label that reports a left click: the two link lines.
class TLinkLabel : public QLabel {
public:
    TLinkLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), FOnClick(std::move(onClick)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (FOnClick) FOnClick();
    }

private:
    std::function<void()> FOnClick;
};

QLabel* Place(QLabel* label, int left, int top) {
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent, std::function<void(const QString&)> openUrl)
    : QDialog(parent), FOpenUrl(std::move(openUrl)) {
    if (!FOpenUrl) FOpenUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    setWindowTitle(QStringLiteral("关于"));
    QFont font = this->font();
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(298, 245);

    imgProgramIcon = new QLabel(this);
    imgProgramIcon->setGeometry(24, 16, 32, 32);
    imgProgramIcon->setPixmap(ProgramIcon().pixmap(32, 32));
    imgProgramIcon->setScaledContents(true);
    imgProgramIcon->setToolTip(QString::fromUtf8(kWebsiteUrl));

    lblProductName = new QLabel(QStringLiteral("Quorvel"), this);
    QFont bold = font;
    bold.setBold(true);
    bold.setPixelSize(16);
    lblProductName->setFont(bold);
    Place(lblProductName, 66, 16);
    lblVersion = Place(new QLabel(this), 108, 42);
    lblNotice = Place(new QLabel(QStringLiteral("版权所有 (C) Quorvel 的开发者。\n本软件按原样提供，不附带任何担保。"), this), 62, 62);

    QFont link = font;
    link.setUnderline(true);
    lblWebsite = new TLinkLabel(QString::fromUtf8(kWebsiteUrl), this, [this] { lblWebsiteClick(); });
    lblWebsite->setFont(link);
    lblWebsite->setStyleSheet(QStringLiteral("color: navy"));
    lblWebsite->setCursor(Qt::PointingHandCursor);
    Place(lblWebsite, 75, 100);
    lblThanks = Place(new QLabel(QStringLiteral("感谢您支持本软件。"), this), 64, 140);
    lblEmail = new TLinkLabel(QStringLiteral("联系我们：") + QString::fromUtf8(kContactAddress), this,
                              [this] { FOpenUrl(QStringLiteral("mailto:") + QString::fromUtf8(kContactAddress)); });
    lblEmail->setFont(link);
    lblEmail->setStyleSheet(QStringLiteral("color: navy"));
    lblEmail->setCursor(Qt::PointingHandCursor);
    Place(lblEmail, 66, 177);

    btnHelp = new QPushButton(ButtonIcon(TGlyph::Help), QStringLiteral("帮助"), this);
    btnHelp->setGeometry(96, 209, 72, 25);
    OKButton = new QPushButton(ButtonIcon(TGlyph::OK), QStringLiteral("确定"), this);
    OKButton->setGeometry(200, 209, 72, 25);
    OKButton->setDefault(true);
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::FormCreate() {
    lblVersion->setText(ToQString(GetVersionText()));
    lblVersion->adjustSize();
}

void TAboutBox::lblWebsiteClick() { FOpenUrl(QString::fromUtf8(kWebsiteUrl)); }
void TAboutBox::btnHelpClick() { FOpenUrl(QString::fromUtf8(kHelpUrl)); }
