#include "upgrade/ui/UpdaterUpgradeMessageForm.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {
constexpr int kClientWidth = 318;
constexpr int kClientHeight = 119;
constexpr int kBottomPanelHeight = 45;
constexpr int kLabelLeft = 45;
constexpr int kLabelTop = 5;
constexpr int kLabelRightMargin = 11;
} // namespace

TauUpdaterUpgradeMessageForm::TauUpdaterUpgradeMessageForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TauUpdaterUpgradeMessageForm"));
    QFont windowFont(QStringLiteral("宋体"));
    windowFont.setPixelSize(12);
    setFont(windowFont);
    setFixedSize(kClientWidth, kClientHeight);

    Icon = new QLabel(this);
    Icon->setGeometry(7, 5, 32, 32);
    Icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->move(kLabelLeft, kLabelTop);

    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    YesBtn = new QPushButton(BottomPanel);
    YesBtn->setObjectName(QStringLiteral("YesBtn"));
    YesBtn->setGeometry(78, 13, 75, 23);
    YesBtn->setDefault(true);
    LaterBtn = new QPushButton(BottomPanel);
    LaterBtn->setObjectName(QStringLiteral("LaterBtn"));
    LaterBtn->setGeometry(167, 13, 75, 23);
    connect(YesBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(LaterBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TauUpdaterUpgradeMessageForm::Prepare(const QString& caption, const QString& question,
                                           const QString& yesText, const QString& laterText) {
    setWindowTitle(caption);
    YesBtn->setText(yesText);
    LaterBtn->setText(laterText);
    const int labelWidth = width() - kLabelLeft - kLabelRightMargin;
    Label1->setText(question);
    Label1->resize(labelWidth, Label1->heightForWidth(labelWidth));
    // The window grows with the wrapped question and keeps its buttons below it.
    const int clientHeight = kLabelTop + Label1->height() + kBottomPanelHeight;
    setFixedSize(width(), clientHeight);
    BottomPanel->setGeometry(0, clientHeight - kBottomPanelHeight, width(), kBottomPanelHeight);
    YesBtn->setFocus();
}
