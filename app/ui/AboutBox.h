// TAboutBox: the program's name, version, notice and links, shown modally.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

// The addresses the about box offers (placeholders of the program's own).
inline constexpr const char* kWebsiteUrl = "https://quorvel.example.org/";
inline constexpr const char* kHelpUrl = "https://quorvel.example.org/help/";
inline constexpr const char* kContactAddress = "quorvel@example.org";

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // openUrl opens an address in the user's browser; the default asks the desktop.
    explicit TAboutBox(QWidget* parent = nullptr, std::function<void(const QString&)> openUrl = {});

    void FormCreate();
    void lblWebsiteClick();
    void btnHelpClick();

    QLabel* imgProgramIcon;
    QLabel* lblProductName;
    QLabel* lblVersion;
    QLabel* lblNotice;
    QLabel* lblWebsite;
    QLabel* lblThanks;
    QLabel* lblEmail;
    QPushButton* btnHelp;
    QPushButton* OKButton;

private:
    std::function<void(const QString&)> FOpenUrl;
};
