// A window with one editor, to try typing, selecting, dragging, scrolling and undo by hand.
#include <QApplication>

#include "editor/MemoComponent.h"
#include "platform/qt/EditorHost.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    platform::qt::EditorHost host;
    host.setWindowTitle("Quorvel editor");
    host.resize(800, 500);
    TMemoComponent memo(&host);
    memo.SetBitmapped(argc < 2 || std::string(argv[1]) != "--direct");
    memo.SetDragDropEditing(true);
    memo.SetTabSize(4);
    std::string text =
        "-- \xD6\xD0\xCE\xC4 text: type, select, drag (Ctrl copies), Esc, Ctrl+Z\r\n";
    for (int row = 1; row <= 200; ++row)
        text += "INSERT INTO [t] ([id], [name]) VALUES (" + std::to_string(row) +
                ", N'\xD5\xC5\xC8\xFD\t" + std::to_string(row * 7) + "');\r\n";
    memo.SetText(text);
    memo.ClearUndo();
    host.show();
    memo.WindowCreated();
    host.SetWindowCursor(platform::TCursor::crIBeam);
    host.SetFocus();
    return application.exec();
}
