// The data grid: a table view over the in-memory result set (read in place, nothing copied),
// with check boxes for boolean columns, a per-cell drawing hook and a cell-click hook.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

#include "app/ResultSet.h"

class TMessageBoxes;

// Rows and columns of a TResultSet as the grid shows them, in display order. Values are read
// from the result set when a cell is painted; edits change only the in-memory result.
class TResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TResultModel(TResultSet& resultSet, TMessageBoxes& messages, QObject* parent = nullptr);
    ~TResultModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    TResultSet& ResultSet() const { return FResultSet; }
    // Per-column alignment the grid sets (by display position); none set: numbers right.
    void SetAlignment(int column, Qt::Alignment alignment);
    bool IsBooleanColumn(int column) const;

signals:
    // The result set's current row moved (0-based), or -1 when the result closed.
    void CurrentRowMoved(int row);

private:
    void ResultSetChanged(TResultSetChange change);
    TResultSet& FResultSet;
    TMessageBoxes& FMessages;
    std::vector<Qt::Alignment> FAlignment;
    int FRows = 0;
    int FColumns = 0;
};

class TResultGrid;

// Paints a boolean cell as a check box at the column's alignment, then calls the grid's
// drawing hook.
class TResultDelegate : public QStyledItemDelegate {
public:
    explicit TResultDelegate(TResultGrid& grid);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TResultGrid& FGrid;
};

class TResultGrid : public QTableView {
    Q_OBJECT
public:
    TResultGrid(TResultSet& resultSet, TMessageBoxes& messages, QWidget* parent = nullptr);

    TResultModel& Model() { return *FModel; }
    // Widths after a load: the header and the widest value of rows sampled over the whole
    // result, at most maxWidth.
    void FitColumnsToContents(int maxWidth = QWIDGETSIZE_MAX);
    int ColumnWidth(int column) const { return columnWidth(column); }
    void SetColumnWidth(int column, int width) { setColumnWidth(column, width); }
    void SetColumnAlignment(int column, Qt::Alignment alignment);
    // The cell's rectangle in viewport coordinates (for clicks in tests and scripts).
    QRect CellRect(int row, int column) const;

    // Called after the grid drew a cell: painter, cell rectangle, display column, row, and
    // whether the cell is selected.
    std::function<void(QPainter& painter, const QRect& rect, int column, int row, bool selected)>
        OnDrawColumnCell;
    // Called after a click in a cell made its row current (and toggled a boolean cell).
    std::function<void(int column)> OnCellClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CellClicked(const QModelIndex& index);
    TResultModel* FModel;
    TMessageBoxes& FMessages;
};
