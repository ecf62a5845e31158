// The user name and password window of a protected download.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class TauUpdaterPasswordForm : public QDialog {
    Q_OBJECT
public:
    explicit TauUpdaterPasswordForm(QWidget* parent = nullptr);

    // Fills the texts and fits the height to the wrapped text. OK stores the two edits into
    // username and password, which must outlive the window.
    void Prepare(const QString& caption, const QString& text, const QString& userNameLabel,
                 const QString& passwordLabel, const QString& okText, const QString& cancelText,
                 std::string& username, std::string& password);

    void OKBtnClick();

    QLabel* Icon;
    QLabel* Label1;
    QWidget* BottomPanel;
    QLabel* UsernameLab;
    QLabel* PasswordLab;
    QLineEdit* UsernameEdit;
    QLineEdit* PasswordEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    std::string* FUsername = nullptr;
    std::string* FPassword = nullptr;
};
