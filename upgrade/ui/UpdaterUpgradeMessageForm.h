// The window that offers a newer version: its text, Yes and Later.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QWidget;

class TauUpdaterUpgradeMessageForm : public QDialog {
    Q_OBJECT
public:
    explicit TauUpdaterUpgradeMessageForm(QWidget* parent = nullptr);

    // Fills the texts and fits the height to the wrapped question.
    void Prepare(const QString& caption, const QString& question, const QString& yesText,
                 const QString& laterText);

    QLabel* Icon;
    QLabel* Label1;
    QWidget* BottomPanel;
    QPushButton* YesBtn;
    QPushButton* LaterBtn;
};
