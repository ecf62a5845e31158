#include "app/ui/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include "app/WindowText.h"
#include "app/ui/QtText.h"

QString ApplicationTitle() { return QStringLiteral("Quorvel"); }

void TMessageBoxes::ShowError(const std::string& codePageMessage) {
    Show({TMessageBoxKind::Error, ApplicationTitle(),
          ToQString(ErrorDisplayText(codePageMessage))});
}

void TMessageBoxes::ShowException(const std::exception& error) { ShowError(error.what()); }

void TMessageBoxes::ShowMessage(const std::string& codePageText) {
    Show({TMessageBoxKind::Message, ApplicationTitle(), ToQString(codePageText)});
}

bool TMessageBoxes::Ask(const std::string& codePageText) {
    bool yes = false;
    Show({TMessageBoxKind::Question, ApplicationTitle(), ToQString(codePageText), &yes});
    return yes;
}

void TMessageBoxes::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TMessageBoxes::Show(const TMessageBoxRequest& request) {
    if (FResponder) {
        FResponder(request);
        return;
    }
    if (request.Kind == TMessageBoxKind::Question) {
        QMessageBox box(QMessageBox::Question, request.Caption, request.Text,
                        QMessageBox::Yes | QMessageBox::No, FParent);
        box.setDefaultButton(QMessageBox::Yes);
        *request.Answer = box.exec() == QMessageBox::Yes;
        return;
    }
    QMessageBox box(request.Kind == TMessageBoxKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    request.Caption, request.Text, QMessageBox::Ok,
                    request.Kind == TMessageBoxKind::Error ? FParent : nullptr);
    box.exec();
}
