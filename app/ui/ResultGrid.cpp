#include "app/ui/ResultGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>

#include "app/ValueRendering.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/QtText.h"

namespace {

// Bytes of a binary cell put into its text: more than a widened column shows.
constexpr size_t kHexBytesShown = 64;
// Rows measured for the column widths, spread over the whole result.
constexpr int kWidthSampleRows = 2000;

bool IsNumeric(TValueStorage storage) {
    switch (storage) {
    case TValueStorage::Int64:
    case TValueStorage::UInt64:
    case TValueStorage::Double:
    case TValueStorage::Single:
    case TValueStorage::Decimal:
        return true;
    default:
        return false;
    }
}

} // namespace

TResultModel::TResultModel(TResultSet& resultSet, TMessageBoxes& messages, QObject* parent)
    : QAbstractTableModel(parent), FResultSet(resultSet), FMessages(messages) {
    FResultSet.OnChange = [this](TResultSetChange change) { ResultSetChanged(change); };
}

TResultModel::~TResultModel() { FResultSet.OnChange = nullptr; }

int TResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : FRows; }
int TResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FColumns;
}

bool TResultModel::IsBooleanColumn(int column) const {
    if (column < 0 || column >= FColumns) return false;
    return FResultSet.Fields(column).DataType() == TFieldType::ftBoolean;
}

void TResultModel::SetAlignment(int column, Qt::Alignment alignment) {
    if (column < 0) return;
    if (static_cast<size_t>(column) >= FAlignment.size()) FAlignment.resize(column + 1, {});
    FAlignment[column] = alignment;
    if (column < FColumns && FRows > 0) emit dataChanged(index(0, column), index(FRows - 1, column));
}

QVariant TResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FRows || index.column() >= FColumns) return {};
    TField field = FResultSet.CellField(index.column(), static_cast<size_t>(index.row()));
    bool boolean = field.DataType() == TFieldType::ftBoolean;
    switch (role) {
    case Qt::DisplayRole:
        if (boolean) return {};
        // NULL must not look like an empty text; the tick column has its own display.
        if (field.IsNull() && !field.IsSelection()) return QStringLiteral("NULL");
        if (IsBinaryKind(field.DataType()) && field.Storage() == TValueStorage::Bytes)
            return QString::fromLatin1(HexDisplayText(field.AsBytes(), kHexBytesShown));
        return ToQString(field.DisplayText());
    case Qt::ForegroundRole:
        if (!boolean && field.IsNull() && !field.IsSelection()) return QColor(Qt::gray);
        return {};
    case Qt::EditRole:
        return ToQString(field.Text());
    case Qt::CheckStateRole:
        if (!boolean) return {};
        return !field.IsNull() && field.AsBoolean() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole: {
        size_t column = static_cast<size_t>(index.column());
        if (column < FAlignment.size() && FAlignment[column] != Qt::Alignment())
            return QVariant::fromValue(FAlignment[column] | Qt::AlignVCenter);
        return QVariant::fromValue((IsNumeric(field.Storage()) ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant TResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= FColumns) return {};
    return ToQString(FResultSet.Fields(section).DisplayLabel());
}

Qt::ItemFlags TResultModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || index.column() >= FColumns) return flags;
    TField field = FResultSet.Fields(index.column());
    // Boolean cells toggle on a click anywhere in the cell, not through an editor. Binary
    // bytes cannot go through a text editor unchanged.
    if (!FResultSet.ReadOnly() && !field.ReadOnly() && field.DataType() != TFieldType::ftBoolean &&
        !IsBinaryKind(field.DataType()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TResultModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= FRows) return false;
    bool done = false;
    FMessages.Guard([&] {
        FResultSet.SetRecNo(index.row() + 1);
        FResultSet.Edit();
        FResultSet.Fields(index.column()).SetText(FromQString(value.toString()));
        FResultSet.Post();
        done = true;
    });
    return done;
}

void TResultModel::ResultSetChanged(TResultSetChange change) {
    switch (change) {
    case TResultSetChange::Opened:
    case TResultSetChange::Closed:
    case TResultSetChange::LayoutChanged:
        beginResetModel();
        FRows = FResultSet.Active() ? FResultSet.RecordCount() : 0;
        FColumns = FResultSet.Active() ? FResultSet.FieldCount() : 0;
        if (change != TResultSetChange::LayoutChanged) FAlignment.clear();
        endResetModel();
        emit CurrentRowMoved(FRows > 0 ? FResultSet.RecNo() - 1 : -1);
        break;
    case TResultSetChange::Scrolled:
        emit CurrentRowMoved(FResultSet.RecNo() - 1);
        break;
    case TResultSetChange::RecordChanged:
        if (FRows > 0 && FColumns > 0) {
            int row = FResultSet.RecNo() - 1;
            emit dataChanged(index(row, 0), index(row, FColumns - 1));
        }
        break;
    case TResultSetChange::Refresh:
        if (FRows > 0 && FColumns > 0) emit dataChanged(index(0, 0), index(FRows - 1, FColumns - 1));
        emit CurrentRowMoved(FRows > 0 ? FResultSet.RecNo() - 1 : -1);
        break;
    }
}

TResultDelegate::TResultDelegate(TResultGrid& grid) : QStyledItemDelegate(&grid), FGrid(grid) {}

void TResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QVariant check = index.data(Qt::CheckStateRole);
    if (check.isValid()) {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        QStyleOptionViewItem box = option;
        box.state &= ~QStyle::State_HasFocus;
        box.state |= check.toInt() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        QRect indicator = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &box, widget);
        Qt::Alignment alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        box.rect = QStyle::alignedRect(option.direction, (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
                                       indicator.size(), option.rect);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
    } else {
        QStyledItemDelegate::paint(painter, option, index);
    }
    if (FGrid.OnDrawColumnCell) {
        painter->save();
        FGrid.OnDrawColumnCell(*painter, option.rect, index.column(), index.row(),
                               option.state & QStyle::State_Selected);
        painter->restore();
    }
}

TResultGrid::TResultGrid(TResultSet& resultSet, TMessageBoxes& messages, QWidget* parent)
    : QTableView(parent), FModel(new TResultModel(resultSet, messages, this)), FMessages(messages) {
    setModel(FModel);
    setItemDelegate(new TResultDelegate(*this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Fixed row heights: the view never measures rows, so a million rows scroll as fast as ten.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setResizeContentsPrecision(100);
    connect(this, &QTableView::clicked, this, &TResultGrid::CellClicked);
    connect(FModel, &TResultModel::CurrentRowMoved, this, [this](int row) {
        if (row < 0 || currentIndex().row() == row) return;
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        setCurrentIndex(FModel->index(row, column));
    });
}

void TResultGrid::FitColumnsToContents(int maxWidth) {
    int rows = FModel->rowCount();
    // Every row of a small result; an even spread with the last row of a large one, so a wide
    // value far down is seen too.
    std::vector<int> sample;
    if (rows <= kWidthSampleRows) {
        for (int row = 0; row < rows; ++row)
            sample.push_back(row);
    } else {
        for (int i = 0; i < kWidthSampleRows; ++i)
            sample.push_back(
                static_cast<int>(static_cast<int64_t>(rows - 1) * i / (kWidthSampleRows - 1)));
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (int column = 0; column < FModel->columnCount(); ++column) {
        int width = horizontalHeader()->sectionSizeHint(column);
        for (int row : sample) {
            if (width >= maxWidth) break;
            width = std::max(width,
                             itemDelegate()->sizeHint(option, FModel->index(row, column)).width());
        }
        setColumnWidth(column, std::min(width, maxWidth));
    }
}

void TResultGrid::SetColumnAlignment(int column, Qt::Alignment alignment) {
    FModel->SetAlignment(column, alignment);
}

QRect TResultGrid::CellRect(int row, int column) const { return visualRect(FModel->index(row, column)); }

void TResultGrid::keyPressEvent(QKeyEvent* event) {
    // Space ticks the current row as a click on its tick cell does.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
        state() != EditingState && currentIndex().isValid()) {
        TResultSet& resultSet = FModel->ResultSet();
        for (int column = 0; column < FModel->columnCount(); ++column) {
            if (!resultSet.Fields(column).IsSelection()) continue;
            CellClicked(FModel->index(currentIndex().row(), column));
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void TResultGrid::CellClicked(const QModelIndex& index) {
    if (!index.isValid()) return;
    FMessages.Guard([&] {
        TResultSet& resultSet = FModel->ResultSet();
        resultSet.SetRecNo(index.row() + 1);
        TField field = resultSet.Fields(index.column());
        if (field.DataType() == TFieldType::ftBoolean && !resultSet.ReadOnly() && !field.ReadOnly()) {
            resultSet.Edit();
            field.SetAsBoolean(!(!field.IsNull() && field.AsBoolean()));
            resultSet.Post();
        }
        if (OnCellClick) OnCellClick(index.column());
    });
}
