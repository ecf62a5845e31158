#include "app/ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Connecting.h"
#include "app/ConnectionText.h"
#include "app/Query.h"
#include "app/RepaintThrottle.h"
#include "app/RowSelection.h"
#include "app/ScriptAssembly.h"
#include "app/ScriptFile.h"
#include "app/Settings.h"
#include "app/ValueRendering.h"
#include "app/WindowText.h"
#include "app/ui/AboutBox.h"
#include "app/ui/BusyCursor.h"
#include "app/ui/EditorFactory.h"
#include "app/ui/Icons.h"
#include "app/ui/QtText.h"
#include "app/ui/ResultGrid.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "platform/Clock.h"

namespace {

// A panel whose children sit at fixed places; it reports its resizes.
class TPanel : public QWidget {
public:
    explicit TPanel(QWidget* parent = nullptr) : QWidget(parent) {}
    std::function<void()> OnResize;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (OnResize) OnResize();
    }
};

// The table list box as a line list, for the connection to fill.
class TListWidgetStrings : public TStrings {
public:
    explicit TListWidgetStrings(QListWidget& list) : FList(list) {}
    int Count() const override { return FList.count(); }
    std::string Get(int index) const override { return FromQString(FList.item(index)->text()); }
    void Put(int index, const std::string& line) override {
        FList.item(index)->setText(ToQString(line));
    }
    void Insert(int index, const std::string& line) override {
        FList.insertItem(index, MakeItem(line));
    }
    void Delete(int index) override { delete FList.takeItem(index); }
    void Clear() override { FList.clear(); }
    int Add(const std::string& line) override {
        FList.addItem(MakeItem(line));
        return FList.count() - 1;
    }

private:
    QListWidgetItem* MakeItem(const std::string& line) const {
        auto* item = new QListWidgetItem(ToQString(line));
        // 12 pixels, as the list was designed, cut the descenders of g and p in a 12-pixel font.
        item->setSizeHint(QSize(0, std::max(12, FList.fontMetrics().height())));
        return item;
    }
    QListWidget& FList;
};

QPushButton* ImageButton(QWidget* parent, TGlyph glyph, const QString& caption, const QString& hint,
                         int left, int top, int width) {
    auto* button = new QPushButton(ButtonIcon(glyph), caption, parent);
    button->setGeometry(left, top, width, 25);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

QCheckBox* CheckBox(QWidget* parent, const QString& caption, int left, int top, int width) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(left, top, width, 17);
    return box;
}

QLineEdit* Edit(QWidget* parent, const QString& text, int left, int top, int width) {
    auto* edit = new QLineEdit(text, parent);
    edit->setGeometry(left, top, width, 20);
    return edit;
}

} // namespace

TmainForm::TmainForm(TMainFormSetup setup)
    : FMessages(this), FCreateDatabase(std::move(setup.CreateDatabase)),
      FStartUpgradeCheck(std::move(setup.StartUpgradeCheck)),
      FSettingsPath(std::move(setup.SettingsPath)) {
    if (!FCreateDatabase) FCreateDatabase = [] { return platform::CreateDatabase(); };
    FDatabase = FCreateDatabase();
    CreateControls();
    WireEvents();
    FMessages.Guard([this] { FormCreate(); });
}

TmainForm::~TmainForm() {
    // The grid's model listens to the result set, which goes before the child widgets do.
    delete dbgrdMain;
}

void TmainForm::CreateControls() {
    setWindowTitle(ApplicationTitle());
    setWindowIcon(ProgramIcon());
    QFont font = this->font();
    font.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    setFont(font);
    setGeometry(192, 130, 800, 600);

    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    setCentralWidget(central);

    auto* top = new TPanel(central);
    pnlTop = top;
    pnlTop->setFixedHeight(40);
    cbbConnectStr = new QComboBox(pnlTop);
    cbbConnectStr->setEditable(true);
    cbbConnectStr->setInsertPolicy(QComboBox::NoInsert);
    // Leaving the box would swap the typed text for an entry that differs only in case; the
    // text connects exactly as typed.
    QObject::disconnect(cbbConnectStr->lineEdit(), &QLineEdit::editingFinished, cbbConnectStr,
                        nullptr);
    // 20 pixels high, as designed, cut the descenders of a 12-pixel CJK font.
    cbbConnectStr->setGeometry(13, 9, 400, std::max(20, cbbConnectStr->sizeHint().height()));
    pnlButton = new QWidget(pnlTop);
    pnlButton->setGeometry(0, 0, 260, 40);
    cbbDbType = new QComboBox(pnlButton);
    cbbDbType->addItems({QStringLiteral("mssql"), QStringLiteral("mysql")});
    cbbDbType->setGeometry(9, 9, 69, std::max(20, cbbDbType->sizeHint().height()));
    btnDBCon = ImageButton(pnlButton, TGlyph::Connect, {}, QStringLiteral("连接数据库"), 83, 7, 30);
    btnNewConn = ImageButton(pnlButton, TGlyph::NewConnection, QStringLiteral("新连接"),
                             QStringLiteral("新建连接"), 117, 7, 68);
    btnAbout = ImageButton(pnlButton, TGlyph::About, {}, QStringLiteral("关于"), 191, 7, 30);
    btnClose = ImageButton(pnlButton, TGlyph::Close, {}, QStringLiteral("退出"), 224, 7, 30);
    top->OnResize = [this] { FormResize(); };
    centralLayout->addWidget(pnlTop);

    spl1 = new QSplitter(Qt::Horizontal, central);
    spl1->setChildrenCollapsible(false);
    lstTable = new QListWidget(spl1);
    lstTable->setUniformItemSizes(true);
    pgcMain = new QTabWidget(spl1);
    spl1->addWidget(lstTable);
    spl1->addWidget(pgcMain);
    spl1->setStretchFactor(1, 1);
    spl1->setSizes({137, 647});
    centralLayout->addWidget(spl1, 1);

    ts1 = new QWidget;
    auto* ts1Layout = new QVBoxLayout(ts1);
    ts1Layout->setContentsMargins(0, 0, 0, 0);
    spl2 = new QSplitter(Qt::Vertical, ts1);
    spl2->setHandleWidth(3);
    spl2->setChildrenCollapsible(false);
    ts1Layout->addWidget(spl2);
    grp2 = new QGroupBox(QStringLiteral("输入SQL语句"), spl2);
    auto* grpLayout = new QVBoxLayout(grp2);
    grpLayout->setContentsMargins(2, 2, 2, 0);
    grpLayout->setSpacing(0);
    FSqlEditor = CreateScriptEditor();
    redtSQL = FSqlEditor.get();
    redtSQL->Widget()->setMinimumSize(64, 64);
    grpLayout->addWidget(redtSQL->Widget(), 1);
    auto* optionRow = new TPanel(grp2);
    pnl3 = optionRow;
    pnl3->setFixedHeight(36);
    grpLayout->addWidget(pnl3);
    btnRun = ImageButton(pnl3, TGlyph::Run, QStringLiteral("执行"), {}, 9, 7, 60);
    btnExport = ImageButton(pnl3, TGlyph::Export, QStringLiteral("生成"),
                            QStringLiteral("将选中的记录生成为SQL语句"), 76, 7, 60);
    chkSelectAll = CheckBox(pnl3, QStringLiteral("全选"), 142, 12, 46);
    lbl1 = new QLabel(QStringLiteral("默认打开记录数："), pnl3);
    lbl1->move(196, 15);
    lbl1->adjustSize();
    edtTop = Edit(pnl3, ToQString(kDefaultRowLimit), 288, 9, 41);
    chkIncField = CheckBox(pnl3, QStringLiteral("有自增主键"), 335, 12, 79);
    chkRESEED = CheckBox(pnl3, QStringLiteral("导入前清空"), 416, 12, 79);
    edtNotNull = Edit(pnl3, ToQString(kDefaultNotNullFields), 505, 9, 205);
    edtNotNull->setToolTip(QStringLiteral("不允许为NULL的字段，逗号隔开"));
    optionRow->OnResize = [this] { LayOutOptionRow(); };
    LayOutOptionRow();
    dbgrdMain = new TResultGrid(FResultSet, FMessages, spl2);
    spl2->addWidget(grp2);
    spl2->addWidget(dbgrdMain);
    spl2->setStretchFactor(1, 1);
    spl2->setSizes({135, 400});
    pgcMain->addTab(ts1, QStringLiteral("表数据"));

    ts2 = new QWidget;
    auto* ts2Layout = new QVBoxLayout(ts2);
    ts2Layout->setContentsMargins(0, 0, 0, 0);
    ts2Layout->setSpacing(0);
    pnl1 = new QWidget(ts2);
    pnl1->setFixedHeight(40);
    ts2Layout->addWidget(pnl1);
    btnSave = ImageButton(pnl1, TGlyph::Save, QStringLiteral("保存为文件"), {}, 32, 7, 105);
    btnClear = ImageButton(pnl1, TGlyph::Clear, QStringLiteral("清除"), {}, 160, 7, 65);
    btnCopy = ImageButton(pnl1, TGlyph::Copy, QStringLiteral("复制"), {}, 248, 7, 75);
    FScriptEditor = CreateScriptEditor();
    mmoResult = FScriptEditor.get();
    mmoResult->Widget()->setMinimumSize(64, 64);
    ts2Layout->addWidget(mmoResult->Widget(), 1);
    pgcMain->addTab(ts2, QStringLiteral("数据sql语句"));

    statMain = statusBar();
    statPanel0 = new QLabel(QStringLiteral("未连接数据库"));
    statPanel0->setFixedWidth(100);
    statPanel1 = new QLabel;
    statPanel1->setMinimumWidth(150);
    statMain->addWidget(statPanel0);
    statMain->addWidget(statPanel1, 1);

    actExport = new QAction(QStringLiteral("导出"), this);
    actExport->setToolTip(QStringLiteral("导出选中的记录为SQL语句"));
    addAction(actExport);
}

void TmainForm::LayOutOptionRow() {
    // Each control keeps its designed place and width where its text fits; one that needs
    // more room grows, and the controls after it move right by as much. The not-null field
    // takes what is left of the row, up to its designed width, but keeps room for its text.
    const int gap = 4;
    int right = 0;
    auto place = [&](QWidget* control, int left, int width) {
        left = std::max(left, right + (right > 0 ? gap : 0));
        control->setGeometry(left, control->y(), width, control->height());
        right = left + width;
    };
    auto lineEditWidth = [](QLineEdit* edit, const QString& sample) {
        // Text, the edit's 2-pixel side margins and the cursor, inside the style's frame, and
        // a pixel to spare on either side.
        int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        return edit->fontMetrics().horizontalAdvance(sample) + 2 * 2 + 1 + 2 * frame + 2;
    };
    place(btnRun, 9, 60);
    place(btnExport, 76, 60);
    place(chkSelectAll, 142, std::max(46, chkSelectAll->sizeHint().width()));
    place(lbl1, 196, lbl1->sizeHint().width());
    place(edtTop, 288,
          std::max({41, lineEditWidth(edtTop, QStringLiteral("200000")),
                    lineEditWidth(edtTop, edtTop->text())}));
    place(chkIncField, 335, std::max(79, chkIncField->sizeHint().width()));
    place(chkRESEED, 416, std::max(79, chkRESEED->sizeHint().width()));
    int notNullLeft = std::max(505, right + gap);
    int notNullWidth = std::min(205, std::max(pnl3->width() - notNullLeft - gap,
                                              lineEditWidth(edtNotNull, edtNotNull->text())));
    place(edtNotNull, notNullLeft, notNullWidth);
}

void TmainForm::Handle(void (TmainForm::*handler)()) {
    FMessages.Guard([this, handler] { (this->*handler)(); });
}

void TmainForm::WireEvents() {
    connect(btnDBCon, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnDBConClick); });
    connect(btnNewConn, &QPushButton::clicked, this,
            [this] { Handle(&TmainForm::btnNewConnClick); });
    connect(btnAbout, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnAboutClick); });
    connect(btnClose, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnCloseClick); });
    connect(lstTable, &QListWidget::itemDoubleClicked, this,
            [this] { Handle(&TmainForm::lstTableDblClick); });
    connect(btnRun, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnRunClick); });
    connect(cbbConnectStr->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { Handle(&TmainForm::btnDBConClick); });
    // Also when the program unticks the box after a load.
    connect(chkSelectAll, &QCheckBox::toggled, this,
            [this] { Handle(&TmainForm::chkSelectAllClick); });
    connect(btnExport, &QPushButton::clicked, actExport, &QAction::trigger);
    connect(actExport, &QAction::triggered, this, [this] { Handle(&TmainForm::actExportExecute); });
    connect(btnSave, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnSaveClick); });
    connect(btnClear, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnClearClick); });
    connect(btnCopy, &QPushButton::clicked, this, [this] { Handle(&TmainForm::btnCopyClick); });
    dbgrdMain->OnCellClick = [this](int column) { dbgrdMainCellClick(column); };
    dbgrdMain->OnDrawColumnCell = [this](QPainter& painter, const QRect& rect, int column, int row,
                                         bool selected) {
        dbgrdMainDrawColumnCell(painter, rect, column, row, selected);
    };
}

void TmainForm::FormCreate() {
    if (FStartUpgradeCheck) FStartUpgradeCheck();
    if (FSettingsPath.empty()) FSettingsPath = DefaultSettingsPath();
    TStringList history;
    int selected = LoadHistory(FSettingsPath, history);
    for (const std::string& entry : history.Items())
        cbbConnectStr->addItem(ToQString(entry));
    cbbConnectStr->setCurrentIndex(selected);
    TOptions options = LoadOptions(FSettingsPath);
    edtTop->setText(ToQString(options.Top));
    cbbDbType->setCurrentIndex(options.DbType == 0 || options.DbType == 1 ? options.DbType : -1);
    edtNotNull->setText(ToQString(options.NotNullFields));
    LayOutOptionRow();
    pgcMain->setCurrentIndex(0);
    FormResize();
}

void TmainForm::FormResize() {
    cbbConnectStr->resize(pnlTop->width() - 270, cbbConnectStr->height());
    pnlButton->move(pnlTop->width() - pnlButton->width(), 0);
}

bool TmainForm::FormCloseQuery() {
    FMessages.Guard([this] {
        SaveOptions(FSettingsPath, FromQString(edtTop->text()), cbbDbType->currentIndex(),
                    FromQString(edtNotNull->text()));
    });
    return true;
}

void TmainForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TmainForm::btnCloseClick() {
    close();
}

void TmainForm::btnAboutClick() {
    TAboutBox about(this);
    about.exec();
}

void TmainForm::btnDBConClick() {
    std::string text = FromQString(cbbConnectStr->currentText());
    if (!Trim(text).empty()) FResultSet.Close();
    TStringList history;
    for (int i = 0; i < cbbConnectStr->count(); ++i)
        history.Add(FromQString(cbbConnectStr->itemText(i)));
    TListWidgetStrings tables(*lstTable);
    std::unique_ptr<TBusyCursor> busy;
    FSwitchToDriverDialect.reset();
    TConnectOutcome outcome =
        ConnectAndRecordHistory(*FDatabase, text, tables, FSettingsPath, history, [&busy](bool on) {
            if (on)
                busy = std::make_unique<TBusyCursor>();
            else
                busy.reset();
        });
    if (!outcome.Status.empty()) statPanel0->setText(ToQString(outcome.Status));
    if (outcome.Connected) {
        // The list follows the stored history: the connected text on top, shown in the box.
        cbbConnectStr->clear();
        for (const std::string& entry : history.Items())
            cbbConnectStr->addItem(ToQString(entry));
        cbbConnectStr->setCurrentIndex(0);
        pgcMain->setCurrentIndex(0);
    }
    if (!outcome.Message.empty()) FMessages.ShowMessage(outcome.Message);
    if (!outcome.Error.empty()) FMessages.ShowError(outcome.Error);
}

void TmainForm::btnNewConnClick() {
    std::string typed = FromQString(cbbConnectStr->currentText());
    std::string start = TryParseConnectionString(typed) ? typed : FDatabase->ConnectionString();
    std::optional<TConnectionFields> composed =
        OnPromptConnection ? OnPromptConnection(start)
                           : PromptConnection(this, start, FMessages, FCreateDatabase);
    if (!composed) return; // cancelled: the box keeps what the user typed
    cbbConnectStr->setEditText(ToQString(ComposeConnectionString(*composed)));
    cbbDbType->setCurrentIndex(static_cast<int>(DialectOfKind(composed->Kind)));
}

TDialect TmainForm::DialectForDriver(TDialect chosen) {
    std::optional<TConnectionKind> driver = NamedConnectionKind(FDatabase->ConnectionString());
    // SQLite is neither kind; which statements suit it is left to the user.
    if (!driver || *driver == TConnectionKind::SQLite) return chosen;
    TDialect spoken = DialectOfKind(*driver);
    if (spoken == chosen) return chosen;
    if (!FSwitchToDriverDialect) {
        auto name = [this](TDialect dialect) {
            return FromQString(cbbDbType->itemText(static_cast<int>(dialect)));
        };
        FSwitchToDriverDialect = FMessages.Ask(Format(
            CodePageText("当前连接的是 %s 数据库，数据库类型却是 %s。\n改为 %s 吗？").c_str(),
            ConnectionKindName(*driver).c_str(), name(chosen).c_str(), name(spoken).c_str()));
    }
    if (!*FSwitchToDriverDialect) return chosen;
    cbbDbType->setCurrentIndex(static_cast<int>(spoken));
    return spoken;
}

void TmainForm::LoadResult(TDataPacket packet, TDialect dialect) {
    FResultSet.LoadPacket(std::move(packet));
    FResultSet.SetReadOnly(false);
    TField sel = SelField(FResultSet);
    sel.SetDisplayLabel(CodePageText("选择"));
    if (dialect == TDialect::dMysql) sel.SetOnGetText(SelGetText);
    sel.SetIndex(0);
    AdjustGridColumns();
}

void TmainForm::lstTableDblClick() {
    QListWidgetItem* item = lstTable->currentItem();
    if (!item || !item->isSelected()) return;
    FTableName = FromQString(item->text());
    if (FTableName.empty()) return;
    std::optional<TDialect> kind = DialectOfIndex(cbbDbType->currentIndex());
    if (!kind) return;
    TDialect dialect = DialectForDriver(*kind);
    std::string rowLimit = Trim(FromQString(edtTop->text()));
    if (rowLimit.empty()) rowLimit = kDefaultRowLimit;
    std::string statement = TableSelectStatement(FTableName, dialect, rowLimit);
    {
        TBusyCursor busy;
        TDataPacket packet;
        try {
            packet = OpenSelectQuery(*FDatabase, statement, dialect);
        } catch (const EDatabaseError&) {
            // The server would quote our rewritten statement; the kind is what is wrong.
            std::optional<TConnectionKind> driver =
                NamedConnectionKind(FDatabase->ConnectionString());
            if (!driver || *driver == TConnectionKind::SQLite || DialectOfKind(*driver) == dialect)
                throw;
            throw EDatabaseError(
                Format(CodePageText("无法以 %s 打开表 %s：当前连接的是 %s 数据库!").c_str(),
                       FromQString(cbbDbType->itemText(static_cast<int>(dialect))).c_str(),
                       FTableName.c_str(), ConnectionKindName(*driver).c_str()));
        }
        LoadResult(std::move(packet), dialect);
    }
    statPanel1->setText(
        ToQString(Format(CodePageText("本次查询到%d条记录").c_str(), FResultSet.RecordCount())));
    size_t star = statement.find('*');
    if (star != std::string::npos) statement.replace(star, 1, BuildColumnList(FResultSet, dialect));
    FResultTable = {FTableName};
    redtSQL->Clear();
    redtSQL->SetText(statement);
    redtSQL->ClearUndo();
    chkSelectAll->setChecked(false);
    pgcMain->setCurrentIndex(0);
}

void TmainForm::btnRunClick() {
    if (!FDatabase->Connected()) return;
    std::string text = Trim(redtSQL->Text());
    if (text.empty()) return;
    std::optional<TDialect> dialect = DialectOfIndex(cbbDbType->currentIndex());
    if (dialect && IsQueryText(text, *dialect)) {
        {
            TBusyCursor busy;
            LoadResult(OpenSelectQuery(*FDatabase, text, *dialect), *dialect);
        }
        // The rows go back into the table they came from; when the query names no single
        // table, into the one last opened from the list.
        FResultTable = QueryTableName(text, *dialect);
        if (FResultTable.empty()) FResultTable = {FTableName};
        chkSelectAll->setChecked(false);
        statPanel1->setText(ToQString(
            Format(CodePageText("本次查询到%d条记录").c_str(), FResultSet.RecordCount())));
    } else {
        int64_t affected = ExecStatement(*FDatabase, text);
        statPanel1->setText(ToQString(Format(CodePageText("语句执行成功，影响%lld行").c_str(),
                                             static_cast<long long>(affected))));
    }
}

void TmainForm::AdjustGridColumns() {
    dbgrdMain->FitColumnsToContents(120);
    if (FResultSet.FieldCount() == 0) return;
    dbgrdMain->SetColumnAlignment(0, Qt::AlignHCenter);
    dbgrdMain->SetColumnWidth(0, 28);
}

void TmainForm::chkSelectAllClick() {
    SetAllSelected(FResultSet, chkSelectAll->isChecked());
}

void TmainForm::dbgrdMainCellClick(int column) {
    TField field = FResultSet.Fields(column);
    if (field.DataType() == TFieldType::ftBoolean || !field.IsSelection()) return;
    FResultSet.Edit();
    field.SetAsInteger(field.AsInteger() == 0 ? 1 : 0);
}

void TmainForm::dbgrdMainDrawColumnCell(QPainter& painter, const QRect& rect, int column, int row,
                                        bool selected) {
    if (!FResultSet.Active() || column >= FResultSet.FieldCount()) return;
    TField field = FResultSet.CellField(column, static_cast<size_t>(row));
    if (field.DataType() == TFieldType::ftBoolean || !field.IsSelection()) return;
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setClipRect(rect);
    painter.fillRect(rect, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(rect.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     ToQString(field.DisplayText()));
}

void TmainForm::actExportExecute() {
    if (!FResultSet.Active() || FResultSet.RecordCount() < 1) return;
    std::optional<TDialect> dialect = DialectOfIndex(cbbDbType->currentIndex());
    if (!dialect) {
        // Another kind index writes no script, as before; the script page still comes up.
        pgcMain->setCurrentIndex(1);
        return;
    }
    TExportOptions options;
    options.Dialect = *dialect;
    std::vector<std::string> table = FResultTable.empty() ? std::vector{FTableName} : FResultTable;
    options.TableName = table.back();
    options.TableQualifiers.assign(table.begin(), table.end() - 1);
    options.Reseed = chkRESEED->isChecked();
    options.IdentityInsert = chkIncField->isChecked();
    options.NotNullText = FromQString(edtNotNull->text());

    // Every row asks for a repaint; at most one per 30 ms reaches the screen, and the status
    // text it shows is the newest.
    std::string status;
    bool statusShown = true;
    auto showStatus = [&] {
        if (statusShown) return;
        statPanel1->setText(ToQString(status));
        statusShown = true;
    };
    TRepaintThrottle throttle(&platform::GetTickCount, 30);
    options.OnStatus = [&](const std::string& text) {
        status = text;
        statusShown = false;
    };
    options.OnRow = [&](int, int) {
        if (!throttle.Due()) return;
        showStatus();
        QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
    };
    struct TStatusGuard {
        std::function<void()> Show;
        ~TStatusGuard() { Show(); }
    } statusGuard{showStatus};
    {
        TBusyCursor busy;
        FScriptDialect = *dialect;
        GenerateInsertScript(FResultSet, mmoResult->Lines(), options);
        mmoResult->ClearUndo();
        // A typed query may have named another table than the list's: say which one it is.
        status += Format(CodePageText("，目标表：%s").c_str(),
                         QuoteQualifiedName(table, *dialect).c_str());
        statusShown = false;
    }
    FLastExportPaints = throttle.PaintsLetThrough();
    pgcMain->setCurrentIndex(1);
}

bool TmainForm::ChooseSaveFileByDialog(TSaveChoice& choice) {
    QFileDialog dialog(this, QStringLiteral("保存为文件"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("SQL 文件(*.sql)"), QStringLiteral("所有文件(*)"),
                           QStringLiteral("文本文件(*.txt)")});
    dialog.setDefaultSuffix(QStringLiteral("sql"));
    if (!choice.FileName.empty()) dialog.setDirectory(QFile::decodeName(choice.FileName.c_str()));
    auto* encoding = new QComboBox(&dialog);
    encoding->setObjectName(QStringLiteral("encoding"));
    encoding->addItems({QStringLiteral("GB18030"), QStringLiteral("UTF-8")});
    encoding->setCurrentIndex(choice.Encoding == TScriptEncoding::Utf8 ? 1 : 0);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        int row = grid->rowCount();
        grid->addWidget(new QLabel(QStringLiteral("编码："), &dialog), row, 0);
        grid->addWidget(encoding, row, 1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    choice.FileName = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    choice.Encoding =
        encoding->currentIndex() == 1 ? TScriptEncoding::Utf8 : TScriptEncoding::GB18030;
    return true;
}

void TmainForm::btnSaveClick() {
    if (mmoResult->Lines().Count() == 0) return;
    TSaveDefaults last = LoadSaveDefaults(FSettingsPath);
    TSaveChoice choice;
    if (!last.Folder.empty()) choice.FileName = last.Folder == "/" ? "/" : last.Folder + "/";
    choice.Encoding = last.Encoding;
    bool chosen = OnChooseSaveFile ? OnChooseSaveFile(choice) : ChooseSaveFileByDialog(choice);
    if (!chosen) return;
    SaveScriptText(ScriptTargetName(choice.FileName, "sql"), mmoResult->Text(), FScriptDialect,
                   choice.Encoding);
    std::string folder = last.Folder;
    if (size_t slash = choice.FileName.rfind('/'); slash != std::string::npos)
        folder = slash == 0 ? "/" : choice.FileName.substr(0, slash);
    try {
        StoreSaveDefaults(FSettingsPath, {folder, choice.Encoding});
    } catch (const std::exception&) {
        // The script is saved; a settings file that cannot be written only loses the folder.
    }
}

void TmainForm::btnCopyClick() {
    mmoResult->SelectAll();
    mmoResult->CopyToClipboard();
    FMessages.ShowMessage(CodePageText("已复制到剪切板！"));
}

void TmainForm::btnClearClick() {
    mmoResult->Clear();
}
