#include "app/ui/ConnectionDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/WindowText.h"
#include "app/ui/BusyCursor.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/QtText.h"
#include "base/ConnectionSecrets.h"

TConnectionDialog::TConnectionDialog(const std::string& current, TMessageBoxes& messages,
                                     TDatabaseFactory createDatabase, QWidget* parent)
    : QDialog(parent), FMessages(messages), FCreateDatabase(std::move(createDatabase)) {
    setWindowTitle(QStringLiteral("新建连接"));
    cbbKind = new QComboBox(this);
    cbbKind->addItems(
        {QStringLiteral("SQL Server"), QStringLiteral("MySQL/MariaDB"), QStringLiteral("SQLite")});
    edtServer = new QLineEdit(this);
    edtPort = new QLineEdit(this);
    edtDatabase = new QLineEdit(this);
    edtUser = new QLineEdit(this);
    edtPassword = new QLineEdit(this);
    edtPassword->setEchoMode(QLineEdit::Password);
    btnBrowse = new QPushButton(QStringLiteral("..."), this);
    btnBrowse->setFixedWidth(30);
    btnTest = new QPushButton(QStringLiteral("测试连接"), this);
    btnOK = new QPushButton(QStringLiteral("确定"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("数据库类型："), cbbKind);
    form->addRow(QStringLiteral("服务器："), edtServer);
    form->addRow(QStringLiteral("端口："), edtPort);
    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(edtDatabase);
    databaseRow->addWidget(btnBrowse);
    FDatabaseLabel = new QLabel(QStringLiteral("数据库："), this);
    form->addRow(FDatabaseLabel, databaseRow);
    form->addRow(QStringLiteral("用户名："), edtUser);
    form->addRow(QStringLiteral("密码："), edtPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnTest);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    SetFields(ParseConnectionString(current));
    connect(cbbKind, &QComboBox::currentIndexChanged, this, [this] {
        edtPort->setText(
            ToQString(DefaultPort(static_cast<TConnectionKind>(cbbKind->currentIndex()))));
        KindChanged();
    });
    connect(btnTest, &QPushButton::clicked, this,
            [this] { FMessages.Guard([this] { btnTestClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnBrowse, &QPushButton::clicked, this, [this] {
        QString file = QFileDialog::getOpenFileName(this, QStringLiteral("选择 SQLite 数据库文件"),
                                                    edtDatabase->text());
        if (!file.isEmpty()) edtDatabase->setText(file);
    });
}

void TConnectionDialog::KindChanged() {
    bool file = cbbKind->currentIndex() == static_cast<int>(TConnectionKind::SQLite);
    for (QWidget* widget : {static_cast<QWidget*>(edtServer), static_cast<QWidget*>(edtPort),
                            static_cast<QWidget*>(edtUser), static_cast<QWidget*>(edtPassword)})
        widget->setEnabled(!file);
    btnBrowse->setVisible(file);
    FDatabaseLabel->setText(file ? QStringLiteral("文件：") : QStringLiteral("数据库："));
}

TConnectionFields TConnectionDialog::Fields() const {
    TConnectionFields fields;
    fields.Kind = static_cast<TConnectionKind>(std::max(0, cbbKind->currentIndex()));
    fields.Server = FromQString(edtServer->text().trimmed());
    fields.Port = FromQString(edtPort->text().trimmed());
    fields.Database = FromQString(edtDatabase->text());
    fields.User = FromQString(edtUser->text());
    fields.Password = FromQString(edtPassword->text());
    return fields;
}

void TConnectionDialog::SetFields(const TConnectionFields& fields) {
    QSignalBlocker block(cbbKind);
    cbbKind->setCurrentIndex(static_cast<int>(fields.Kind));
    edtServer->setText(ToQString(fields.Server.empty() && fields.Kind != TConnectionKind::SQLite
                                     ? std::string("127.0.0.1")
                                     : fields.Server));
    edtPort->setText(ToQString(fields.Port.empty() ? DefaultPort(fields.Kind) : fields.Port));
    edtDatabase->setText(ToQString(fields.Database));
    edtUser->setText(ToQString(fields.User));
    edtPassword->setText(ToQString(fields.Password));
    KindChanged();
}

std::string TConnectionDialog::ConnectionString() const {
    return ComposeConnectionString(Fields());
}

void TConnectionDialog::btnTestClick() {
    std::string text = ConnectionString();
    try {
        TBusyCursor busy;
        std::unique_ptr<platform::TDatabase> database = FCreateDatabase();
        database->SetConnectionString(text);
        database->Open();
        database->Close();
    } catch (const std::exception& error) {
        FMessages.ShowMessage(CodePageText("测试连接失败!原因:") +
                              MaskConnectionPasswords(error.what(), text));
        return;
    }
    FMessages.ShowMessage(CodePageText("测试连接成功。"));
}

std::optional<TConnectionFields> PromptConnection(QWidget* parent, const std::string& start,
                                                  TMessageBoxes& messages,
                                                  TDatabaseFactory createDatabase) {
    TConnectionDialog dialog(start, messages, std::move(createDatabase), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Fields();
}
