// TMessageBoxes: the application's message boxes and its default error display, with a
// seam that lets tests read and answer every box without a blocking dialog.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QMessageBox;
class QWidget;

// "Quorvel", the caption of every message box and of the main window.
QString ApplicationTitle();

enum class TMessageBoxKind { Error, Message, Question };

struct TMessageBoxRequest {
    TMessageBoxKind Kind;
    QString Caption;
    QString Text;
    // A question's answer: a responder sets it to true for Yes; it starts as No.
    bool* Answer = nullptr;
};

// The box a request shows: wide enough that a window manager's title bar shows the whole
// caption beside its buttons.
std::unique_ptr<QMessageBox> CreateMessageBox(const TMessageBoxRequest& request, QWidget* parent);

// The narrowest box that shows caption whole in a title bar.
int MessageBoxMinimumWidth(const QString& caption);

class TMessageBoxes {
public:
    // Called instead of showing a box; it returns when the box is answered.
    using TResponder = std::function<void(const TMessageBoxRequest& request)>;

    explicit TMessageBoxes(QWidget* parent = nullptr) : FParent(parent) {}
    void SetResponder(TResponder responder) { FResponder = std::move(responder); }

    // The default error display: modal, error icon, caption "Quorvel", the "." rule.
    void ShowError(const std::string& codePageMessage);
    void ShowException(const std::exception& error);
    // A plain message: modal, centred, caption "Quorvel", one OK button, no icon.
    void ShowMessage(const std::string& codePageText);
    // A question with Yes and No: modal, caption "Quorvel"; true for Yes.
    bool Ask(const std::string& codePageText);

    // Runs a handler; an error that escapes it goes to the error display, and the program
    // goes on (an error must never cross the event loop).
    void Guard(const std::function<void()>& handler);

private:
    void Show(const TMessageBoxRequest& request);
    QWidget* FParent;
    TResponder FResponder;
};
