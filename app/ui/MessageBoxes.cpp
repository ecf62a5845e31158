#include "app/ui/MessageBoxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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

int MessageBoxMinimumWidth(const QString& caption) {
    // Title bars use larger, often bold type than the dialog, and keep room for their icon
    // and three buttons; a box as narrow as a short message cut "Quorvel" down to "Q…".
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    return 2 * QFontMetrics(titleFont).horizontalAdvance(caption) + 160;
}

std::unique_ptr<QMessageBox> CreateMessageBox(const TMessageBoxRequest& request, QWidget* parent) {
    bool question = request.Kind == TMessageBoxKind::Question;
    auto box = std::make_unique<QMessageBox>(
        request.Kind == TMessageBoxKind::Error ? QMessageBox::Critical
        : question                             ? QMessageBox::Question
                                               : QMessageBox::NoIcon,
        request.Caption, request.Text,
        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    if (question) box->setDefaultButton(QMessageBox::Yes);
    // The box sizes itself to its layout's minimum when shown; a spacer across the last row
    // sets that minimum.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(request.Caption), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

void TMessageBoxes::Show(const TMessageBoxRequest& request) {
    if (FResponder) {
        FResponder(request);
        return;
    }
    std::unique_ptr<QMessageBox> box =
        CreateMessageBox(request, request.Kind == TMessageBoxKind::Message ? nullptr : FParent);
    if (request.Kind == TMessageBoxKind::Question) {
        *request.Answer = box->exec() == QMessageBox::Yes;
        return;
    }
    box->exec();
}
