// TConnectionDialog: composes a connection text for SQL Server, MySQL/MariaDB or SQLite,
// with a test of the connection.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ConnectionText.h"
#include "platform/Database.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QLabel;
class TMessageBoxes;

using TDatabaseFactory = std::function<std::unique_ptr<platform::TDatabase>()>;

class TConnectionDialog : public QDialog {
    Q_OBJECT
public:
    // The fields start from current, a connection text as the user gave it.
    TConnectionDialog(const std::string& current, TMessageBoxes& messages,
                      TDatabaseFactory createDatabase, QWidget* parent = nullptr);

    // The composed text (code page).
    std::string ConnectionString() const;
    TConnectionFields Fields() const;
    void SetFields(const TConnectionFields& fields);

    // Opens a connection with the composed text and closes it again; says how it went.
    void btnTestClick();

    QComboBox* cbbKind;
    QLineEdit* edtServer;
    QLineEdit* edtPort;
    QLineEdit* edtDatabase;
    QLineEdit* edtUser;
    QLineEdit* edtPassword;
    QPushButton* btnBrowse;
    QPushButton* btnTest;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void KindChanged();
    QLabel* FDatabaseLabel;
    TMessageBoxes& FMessages;
    TDatabaseFactory FCreateDatabase;
};

// Shows the dialog modally, its fields read from start: the confirmed fields (their text is
// ComposeConnectionString), nothing when the user cancels.
std::optional<TConnectionFields> PromptConnection(QWidget* parent, const std::string& start,
                                                  TMessageBoxes& messages,
                                                  TDatabaseFactory createDatabase);
