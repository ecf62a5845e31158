// What the GUI tests do to the main window as a user would: connect with a typed text, open a
// table from the list, click a grid cell.
#pragma once

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "app/ui/MainForm.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"

namespace windowdriver {

inline void Connect(TmainForm& form, const std::string& text) {
    form.cbbConnectStr->setEditText(ToQString(text));
    QTest::mouseClick(form.btnDBCon, Qt::LeftButton);
}

// A click, then a double click on the list entry.
inline void OpenTable(TmainForm& form, const QString& name) {
    QListWidget& list = *form.lstTable;
    QList<QListWidgetItem*> found = list.findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    QRect rect = list.visualItemRect(found.first());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
}

inline void ClickCell(TmainForm& form, int row, int column) {
    TResultGrid& grid = *form.dbgrdMain;
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(row, column).center());
}

} // namespace windowdriver
