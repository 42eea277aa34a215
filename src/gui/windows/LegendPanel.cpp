#include "windows/LegendPanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "common/Dialogs.h"
#include "common/Errors.h"
#include "common/Kml_baseclass.h"
#include "common/Named.h"
#include "common/RunConversion.h"
#include "common/WaitCursor.h"
#include "conversions/ScanStatistics.h"
#include "windows/FrmColorCfg.h"
#include "windows/ThemeChart.h"

namespace orvane {

// The component names and texts of the panel in each window.
struct LegendPanelNames {
    const char* pageControl;
    const char* classSheet;
    const char* classGrid;
    const char* gradeSheet;
    const char* gradeGrid;
    const char* gradeHint;
    const char* settingsGroup;
    const char* spinEdit;
    const char* radioGroup;
    const char* ruleLabel;
    const char* initialRule;
    std::array<int, 3> gradeWidths;
};

namespace {

constexpr LegendPanelNames kDriveTestNames = {
    "PageControl2",
    "TabSheet5",
    "StringGrid0",
    "TabSheet6",
    "StringGrid1",
    "右键保存配置",
    "GroupBox5",
    "CSpinEdit1",
    "RadioGroup2",
    "Label12",
    "左值 <=\u3000X\u3000<  右值",
    {70, 75, 68},
};

// "右銉" is how this window's hint has always read.
constexpr LegendPanelNames kCqtNames = {
    "PageControl3",
    "TabSheet7",
    "StringGrid2",
    "TabSheet8",
    "StringGrid3",
    "右銉保存配置",
    "GroupBox7",
    "CSpinEdit2",
    "RadioGroup3",
    "Label21",
    "左值≤\u3000X\u3000＜右值",
    {72, 67, 68},
};

// Rule texts of the drive-test label by boundary code.
constexpr std::array<const char*, 3> kDriveTestRules = {
    "左值 <= X\u3000<  右值",
    "左值 <\u3000X <=  右值",
    "左值 <= X <=  右值",
};

constexpr int kWhite = 16777215;
constexpr int kClassCountColumn = 2;  // then the share
constexpr int kGradeCountColumn = 3;
constexpr int kCountWidth = 52;
constexpr int kShareWidth = 50;
// Bars of the histogram of a graded field, fewer for fewer distinct values.
constexpr size_t kHistogramBars = 40;
const QColor kOutsideColour(150, 150, 150);

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The editor of a grading cell: keystrokes pass the number key filter.
class NumberCellEditor : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QString text = event->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !KeyPasses(text)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

  private:
    static bool KeyPasses(const QString& text) {
        char32_t key = text.toUcs4().value(0);
        IsNumberKey(key);
        return key != 0;
    }
};

// Writes the cell check's correction into the editor, which the cell takes on commit.
class EditorCell : public NumberCellTable {
  public:
    explicit EditorCell(QLineEdit& editor) : editor_(editor) {}
    void SetCellText(int, int, const std::string& text) override {
        editor_.setText(QString::fromStdString(text));
    }

  private:
    QLineEdit& editor_;
};

// Draws colour cells as solid blocks; in the grading table also edits number cells.
class LegendCellDelegate : public QStyledItemDelegate {
  public:
    LegendCellDelegate(bool numberCells, QObject* parent)
        : QStyledItemDelegate(parent), numberCells_(numberCells) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->fillRect(option.rect, ColourOfCellText(index.data().toString()));
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!numberCells_) {
            return QStyledItemDelegate::createEditor(parent, option, index);
        }
        auto* editor = new NumberCellEditor(parent);
        editor->setFrame(false);
        const int column = index.column();
        const int row = index.row();
        QObject::connect(editor, &QLineEdit::textEdited, editor, [editor, column, row] {
            EditorCell cell(*editor);
            CheckNumberCell(cell, column, row, editor->text().toStdString());
        });
        return editor;
    }

  private:
    bool numberCells_;
};

QTableWidget* MakeTable(const char* name, const QStringList& titles, QWidget* parent) {
    auto* table = Named<QTableWidget>(name, 0, titles.size(), parent);
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    return table;
}

void SetCell(QTableWidget* table, int row, int column, const std::string& text) {
    QTableWidgetItem* item = table->item(row, column);
    if (item == nullptr) {
        table->setItem(row, column, new QTableWidgetItem(QString::fromStdString(text)));
    } else {
        item->setText(QString::fromStdString(text));
    }
}

// A figure the user reads but does not edit.
void SetFigure(QTableWidget* table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

void AddCountColumns(QTableWidget* table, int firstColumn) {
    table->setColumnCount(firstColumn + 2);
    table->setHorizontalHeaderItem(firstColumn, new QTableWidgetItem(Text("数量")));
    table->setHorizontalHeaderItem(firstColumn + 1, new QTableWidgetItem(Text("占比")));
    table->setColumnWidth(firstColumn, kCountWidth);
    table->setColumnWidth(firstColumn + 1, kShareWidth);
    // Every column in sight, the figures included.
    int width = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table->columnCount(); ++column) {
        width += table->columnWidth(column);
    }
    table->setMinimumWidth(width);
}

std::string CellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item == nullptr ? std::string() : item->text().toStdString();
}

}  // namespace

QColor ColourOfNumber(std::int32_t number) {
    return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

std::int32_t NumberOfColour(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QColor ColourOfCellText(const QString& text) {
    return ColourOfNumber(TryParseInteger(text.toStdString()).value_or(kWhite));
}

LegendPanel::LegendPanel(LegendWindow window, Dialogs& dialogs, TFrmColorCfg& colorCfg,
                         QWidget* parent)
    : QWidget(parent), window_(window), dialogs_(dialogs), colorCfg_(colorCfg) {
    const LegendPanelNames& names = window == LegendWindow::DriveTest ? kDriveTestNames : kCqtNames;
    setObjectName("LegendPanel");
    pageControl_ = Named<QTabWidget>(names.pageControl, this);
    BuildClassPage(names);
    BuildGradePage(names);
    pageControl_->setCurrentIndex(kGradePage);
    BuildSettings(names);
    // A field that allows no legend leaves both pages hidden; the user reads why instead.
    emptyHint_ = Named<QLabel>("EmptyLegendHint",
                               Text("该字段不能分级也不能分类，请选择其他专题字段"), this);
    emptyHint_->setWordWrap(true);
    emptyHint_->setAlignment(Qt::AlignCenter);
    emptyHint_->setFrameShape(QFrame::StyledPanel);
    emptyHint_->hide();

    countRow_ = new QWidget(this);
    outsideCount_ = Named<QLabel>("LegendOutsideCount", countRow_);
    outsideCount_->setStyleSheet(QStringLiteral("color: #b00000;"));
    chartButton_ = Named<QPushButton>("BtnThemeChart", Text("统计图"), countRow_);
    chartButton_->setAutoDefault(false);
    OnClick(chartButton_, this, dialogs_, &LegendPanel::BtnThemeChartClick);
    auto* countLayout = new QHBoxLayout(countRow_);
    countLayout->setContentsMargins(0, 0, 0, 0);
    countLayout->addWidget(outsideCount_, 1);
    countLayout->addWidget(chartButton_);
    countRow_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pageControl_, 1);
    layout->addWidget(emptyHint_, 1);
    layout->addWidget(countRow_);
    layout->addWidget(settingsGroup_);

    connect(pageControl_, &QTabWidget::currentChanged, this,
            Guarded(this, dialogs_, &LegendPanel::PageControlChange));
}

void LegendPanel::BuildClassPage(const LegendPanelNames& names) {
    classSheet_ = Named<QWidget>(names.classSheet, pageControl_);
    classGrid_ = MakeTable(names.classGrid, {Text("颜色"), Text("类别")}, classSheet_);
    classGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    classGrid_->setItemDelegate(new LegendCellDelegate(false, classGrid_));
    classGrid_->setColumnWidth(0, 104);
    classGrid_->setColumnWidth(1, 106);
    AddCountColumns(classGrid_, kClassCountColumn);
    connect(classGrid_, &QTableWidget::itemChanged, this, [this] { ScheduleOutsideCount(); });
    classGrid_->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(classSheet_);
    layout->addWidget(classGrid_);
    pageControl_->addTab(classSheet_, Text("分类方式"));
}

void LegendPanel::BuildGradePage(const LegendPanelNames& names) {
    gradeSheet_ = Named<QWidget>(names.gradeSheet, pageControl_);
    gradeGrid_ =
        MakeTable(names.gradeGrid, {Text("颜色"), Text("左值(小)"), Text("右值(大)")}, gradeSheet_);
    gradeGrid_->setToolTip(Text(names.gradeHint));
    gradeGrid_->setItemDelegate(new LegendCellDelegate(true, gradeGrid_));
    for (int column = 0; column < 3; ++column) {
        gradeGrid_->setColumnWidth(column, names.gradeWidths[static_cast<size_t>(column)]);
    }
    AddCountColumns(gradeGrid_, kGradeCountColumn);
    gradeGrid_->viewport()->installEventFilter(this);
    outsideHint_ = Named<QLabel>("OutsideRangeHint", gradeSheet_);
    outsideHint_->setWordWrap(true);
    outsideHint_->setStyleSheet(QStringLiteral("color: #b00000;"));
    outsideHint_->hide();
    connect(gradeGrid_, &QTableWidget::itemChanged, this, [this] { ScheduleOutsideCount(); });
    auto* layout = new QVBoxLayout(gradeSheet_);
    layout->addWidget(gradeGrid_);
    layout->addWidget(outsideHint_);
    pageControl_->addTab(gradeSheet_, Text("分级方式"));

    popupMenu_ = Named<QMenu>("PopupMenu1", this);
    QAction* load = Named(popupMenu_->addAction(Text("装入色彩配置文件")), "N1");
    QAction* save = Named(popupMenu_->addAction(Text("保存色彩配置文件")), "N2");
    OnClick(load, this, dialogs_, &LegendPanel::N1Click);
    OnClick(save, this, dialogs_, &LegendPanel::N2Click);
    gradeGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gradeGrid_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popupMenu_->popup(gradeGrid_->viewport()->mapToGlobal(at));
    });
}

void LegendPanel::BuildSettings(const LegendPanelNames& names) {
    settingsGroup_ = Named<QGroupBox>(names.settingsGroup, Text("分级方式设置"), this);

    auto* countLabel = new QLabel(Text("分级数："), settingsGroup_);
    gradeCount_ = Named<QSpinBox>(names.spinEdit, settingsGroup_);
    gradeCount_->setRange(MinGradeCount, MaxGradeCount);
    gradeCount_->setValue(DefaultGradeCount);
    defaultButton_ = Named<QPushButton>("Button2", Text("缺省计算"), settingsGroup_);

    boundaryGroup_ = Named<QGroupBox>(names.radioGroup, Text("分界阈值包含方式"), settingsGroup_);
    boundaryButtons_ = new QButtonGroup(boundaryGroup_);
    auto* boundaryLayout = new QHBoxLayout(boundaryGroup_);
    const std::array<const char*, 3> items = {"左值", "右值", "左右值"};
    for (int code = 0; code < 3; ++code) {
        auto* button = new QRadioButton(Text(items[static_cast<size_t>(code)]), boundaryGroup_);
        boundaryButtons_->addButton(button, code);
        boundaryLayout->addWidget(button);
    }
    boundaryButtons_->button(0)->setChecked(true);

    ruleLabel_ = Named<QLabel>(names.ruleLabel, Text(names.initialRule), settingsGroup_);

    auto* layout = new QGridLayout(settingsGroup_);
    layout->addWidget(countLabel, 0, 0);
    layout->addWidget(gradeCount_, 0, 1);
    layout->addWidget(defaultButton_, 0, 2);
    layout->addWidget(boundaryGroup_, 1, 0, 1, 3);
    layout->addWidget(ruleLabel_, 2, 0, 1, 3);

    connect(gradeCount_, qOverload<int>(&QSpinBox::valueChanged), this,
            Guarded(this, dialogs_, &LegendPanel::SpinEditChange));
    OnClick(defaultButton_, this, dialogs_, &LegendPanel::Button2Click);
    connect(boundaryButtons_, &QButtonGroup::idClicked, this, [this] { ScheduleOutsideCount(); });
    // The CQT window's label keeps its text whatever the mode.
    if (window_ == LegendWindow::DriveTest) {
        connect(boundaryButtons_, &QButtonGroup::idClicked, this,
                Guarded(this, dialogs_, &LegendPanel::RadioGroupClick));
    }
}

void LegendPanel::AttachWindowControls(QAbstractButton* generateButton, QComboBox* themeSelector) {
    generateButton_ = generateButton;
    themeSelector_ = themeSelector;
}

void LegendPanel::SetGenerateEnabled(bool enabled) {
    if (generateButton_) {
        generateButton_->setEnabled(enabled);
    }
}

void LegendPanel::ChooseThemeField(const std::function<ThemeFieldScan()>& scan) {
    SetGenerateEnabled(false);
    ThemeFieldScan result;
    {
        const WaitCursor wait;
        result = scan();
    }
    ShowScan(std::move(result));
}

void LegendPanel::ShowScan(ThemeFieldScan scan) {
    KeepEditedGrading();
    themeField_ = themeSelector_ ? themeSelector_->currentText() : QString();
    scan_ = std::move(scan);
    scanNumbers_.clear();
    if (scan_.canGrade) {
        scanNumbers_.reserve(scan_.distinctValues.size());
        for (const std::string& value : scan_.distinctValues) {
            scanNumbers_.push_back(ParseNumber(value));
        }
    }
    const int pageBefore = activePage_;
    const QSignalBlocker quiet(pageControl_);
    if (scan_.canClassify) {
        SetGenerateEnabled(true);
        SetPageShown(kClassPage, true);
        FillClassTable(FillClassification(scan_));
    } else {
        SetPageShown(kClassPage, false);
    }
    if (scan_.canGrade) {
        SetGenerateEnabled(true);
        SetPageShown(kGradePage, true);
        SetGradeRows(GradingOfThemeField());
        settingsGroup_->setVisible(true);
    } else {
        SetPageShown(kGradePage, false);
        settingsGroup_->setVisible(false);
    }
    const bool noLegend = !scan_.canClassify && !scan_.canGrade;
    pageControl_->setVisible(!noLegend);
    emptyHint_->setVisible(noLegend);
    countRow_->setVisible(!noLegend);
    KeepAShownPageActive(pageBefore);
    ScheduleOutsideCount();
}

void LegendPanel::KeepEditedGrading() {
    if (themeField_.isEmpty() || !scan_.canGrade) {
        return;
    }
    const std::vector<LegendEntry> rows = GradeRows();
    if (rows == ComputeDefaultGrading(scan_, gradeCount_->value())) {
        editedGradings_.erase(themeField_);
    } else {
        editedGradings_[themeField_] = rows;
    }
}

std::vector<LegendEntry> LegendPanel::GradingOfThemeField() {
    const auto kept = editedGradings_.find(themeField_);
    if (kept == editedGradings_.end()) {
        return ComputeDefaultGrading(scan_, gradeCount_->value());
    }
    const QSignalBlocker quiet(gradeCount_);
    gradeCount_->setValue(static_cast<int>(kept->second.size()));
    return kept->second;
}

void LegendPanel::ScheduleOutsideCount() {
    if (outsideCountPending_) {
        return;
    }
    outsideCountPending_ = true;
    QTimer::singleShot(0, this, [this] { CountValuesOutside(); });
}

void LegendPanel::CountValuesOutside() {
    outsideCountPending_ = false;
    size_t outside = 0;
    if (scan_.canGrade) {
        ThematicLegend grading;
        grading.gradeEntries = GradeRows();
        std::vector<GradeRange> ranges;
        try {
            ranges = LegendRanges(grading);
        } catch (const Error&) {
            outsideHint_->hide();  // a bound still being typed is no number yet
            ShowEntryCounts();
            return;
        }
        const auto mode = static_cast<BoundaryMode>(boundaryButtons_->checkedId());
        outside = static_cast<size_t>(std::count_if(
            scanNumbers_.begin(), scanNumbers_.end(),
            [&](double value) { return FindGradeEntry(ranges, mode, value) == NoEntry; }));
    }
    outsideHint_->setText(QStringLiteral("%1个值不在任何分级范围内").arg(outside));
    outsideHint_->setVisible(outside > 0);
    ShowEntryCounts();
}

void LegendPanel::ShowEntryCounts() {
    const ThematicLegend legend = Legend();
    LegendStatistics statistics;
    try {
        statistics = CountScannedValues(
            legend, window_ == LegendWindow::DriveTest ? DtNumberTest : CqtNumberTest);
    } catch (const Error&) {
        statistics = {};  // a bound still being typed: no figures until it is a number
    }
    const bool classes = legend.kind == LegendKind::Classification;
    WriteCounts(classGrid_, kClassCountColumn, classes ? statistics : LegendStatistics{});
    WriteCounts(gradeGrid_, kGradeCountColumn, classes ? LegendStatistics{} : statistics);
    const bool someOutside = !statistics.rows.empty() && statistics.rows.back().count > 0;
    outsideCount_->setText(
        someOutside ? QString::fromStdString(LegendRowSummary(statistics, statistics.rows.back()))
                    : QString());
    if (chartDialog_ && chartDialog_->isVisible()) {
        chartDialog_->Show(ChartData());
    }
}

void LegendPanel::WriteCounts(QTableWidget* table, int firstColumn,
                              const LegendStatistics& statistics) {
    const QSignalBlocker quiet(table);
    for (int row = 0; row < table->rowCount(); ++row) {
        QString count;
        QString share;
        if (static_cast<size_t>(row) + 1 < statistics.rows.size()) {
            const LegendStatisticsRow& figures = statistics.rows[static_cast<size_t>(row)];
            count = QString::number(figures.count);
            share = QString::number(statistics.Share(figures), 'f', 1) + '%';
        }
        SetFigure(table, row, firstColumn, count);
        SetFigure(table, row, firstColumn + 1, share);
    }
    table->viewport()->update();
}

ThemeChartData LegendPanel::ChartData() const {
    const ThematicLegend legend = Legend();
    ThemeChartData data;
    data.title = themeField_;
    std::vector<HistogramBar> bars;
    try {
        bars = ScannedHistogram(
            legend, static_cast<int>(std::min(kHistogramBars, legend.scan.distinctValues.size())));
    } catch (const Error&) {
        return data;  // a bound that is no number yet
    }
    const std::vector<std::string> colours = LegendColors(legend);
    for (const HistogramBar& bar : bars) {
        ThemeChartBar chartBar;
        chartBar.label = QString::fromStdString(bar.label);
        for (size_t row = 0; row < bar.rowCounts.size(); ++row) {
            if (bar.rowCounts[row] == 0) {
                continue;
            }
            const QColor colour = row < colours.size()
                                      ? ColourOfCellText(QString::fromStdString(colours[row]))
                                      : kOutsideColour;
            chartBar.parts.emplace_back(colour, bar.rowCounts[row]);
        }
        data.bars.push_back(std::move(chartBar));
    }
    if (legend.kind == LegendKind::Grading && !bars.empty()) {
        data.endLabel = QString::fromStdString(FormatNumber(RoundToHundredths(bars.back().right)));
    }
    return data;
}

void LegendPanel::BtnThemeChartClick() {
    if (!chartDialog_) {
        chartDialog_ = new ThemeChartDialog(dialogs_, window());
    }
    chartDialog_->Show(ChartData());
}

void LegendPanel::SetPageShown(int page, bool shown) {
    pageControl_->setTabVisible(page, shown);
}

// A hidden active page gives way to the other page when that one is shown; a page shown
// again does not become active by itself.
void LegendPanel::KeepAShownPageActive(int pageBefore) {
    const int other = pageBefore == kClassPage ? kGradePage : kClassPage;
    if (!pageControl_->isTabVisible(pageBefore) && pageControl_->isTabVisible(other)) {
        activePage_ = other;
    } else {
        activePage_ = pageBefore;
    }
    if (pageControl_->isTabVisible(activePage_)) {
        pageControl_->setCurrentIndex(activePage_);
    }
}

void LegendPanel::FillClassTable(const std::vector<LegendEntry>& entries) {
    classGrid_->setRowCount(static_cast<int>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        SetCell(classGrid_, static_cast<int>(i), 0, entries[i].color);
        SetCell(classGrid_, static_cast<int>(i), 1, entries[i].value);
    }
}

void LegendPanel::ResizeGradeTable(int rows) {
    const int before = gradeGrid_->rowCount();
    gradeGrid_->setRowCount(rows);
    for (int row = before; row < rows; ++row) {
        for (int column = 0; column < 3; ++column) {
            SetCell(gradeGrid_, row, column, {});
        }
    }
}

std::vector<LegendEntry> LegendPanel::GradeRows() const {
    std::vector<LegendEntry> rows(static_cast<size_t>(gradeGrid_->rowCount()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        rows[i].color = CellText(gradeGrid_, row, 0);
        rows[i].left = CellText(gradeGrid_, row, 1);
        rows[i].right = CellText(gradeGrid_, row, 2);
    }
    return rows;
}

void LegendPanel::SetGradeRows(const std::vector<LegendEntry>& rows) {
    ResizeGradeTable(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        SetCell(gradeGrid_, row, 0, rows[i].color);
        SetCell(gradeGrid_, row, 1, rows[i].left);
        SetCell(gradeGrid_, row, 2, rows[i].right);
    }
}

LegendKind LegendPanel::ActiveKind() const {
    return activePage_ == kClassPage ? LegendKind::Classification : LegendKind::Grading;
}

ThematicLegend LegendPanel::Legend() const {
    ThematicLegend legend;
    legend.kind = ActiveKind();
    for (int row = 0; row < classGrid_->rowCount(); ++row) {
        LegendEntry entry;
        entry.color = CellText(classGrid_, row, 0);
        entry.value = CellText(classGrid_, row, 1);
        legend.classEntries.push_back(std::move(entry));
    }
    legend.gradeEntries = GradeRows();
    legend.gradeCount = gradeCount_->value();
    legend.boundaryMode = static_cast<BoundaryMode>(boundaryButtons_->checkedId());
    legend.scan = scan_;
    return legend;
}

void LegendPanel::SpinEditChange(int gradeCount) {
    ResizeGradeTable(gradeCount);
}

void LegendPanel::Button2Click() {
    SetGradeRows(ComputeDefaultGrading(scan_, gradeCount_->value()));
}

void LegendPanel::RadioGroupClick(int code) {
    if (code >= 0 && code < static_cast<int>(kDriveTestRules.size())) {
        ruleLabel_->setText(Text(kDriveTestRules[static_cast<size_t>(code)]));
    }
}

void LegendPanel::PageControlChange(int page) {
    activePage_ = page;
    ScheduleOutsideCount();
    // Only the drive-test window lets the settings follow the page.
    if (window_ == LegendWindow::DriveTest) {
        settingsGroup_->setVisible(page == kGradePage);
    }
}

void LegendPanel::N1Click() {
    std::vector<LegendEntry> rows = GradeRows();
    if (!colorCfg_.N1Click(window(), rows)) {
        return;
    }
    gradeCount_->setValue(static_cast<int>(rows.size()));
    SetGradeRows(rows);
}

void LegendPanel::N2Click() {
    const QString themeName = themeSelector_ ? themeSelector_->currentText() : QString();
    const SchemeLayout layout =
        window_ == LegendWindow::DriveTest ? SchemeLayout::Indented : SchemeLayout::Compact;
    colorCfg_.N2Click(window(), themeName, GradeRows(), layout);
}

bool LegendPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (QTableWidget* table : {classGrid_, gradeGrid_}) {
            if (watched == table->viewport()) {
                return StringGridMouseDown(table, static_cast<QMouseEvent*>(event)->pos());
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool LegendPanel::StringGridMouseDown(QTableWidget* table, const QPoint& position) {
    const QModelIndex index = table->indexAt(position);
    if (!index.isValid() || index.column() != 0) {
        return false;
    }
    // Moving the current cell away commits and closes an open editor.
    table->setCurrentIndex(QModelIndex());
    table->setCurrentIndex(index);
    const QTableWidgetItem* item = table->item(index.row(), 0);
    const QString text = item == nullptr ? QString() : item->text();
    const QColor initial = ColourOfNumber(TryParseInteger(text.toStdString()).value_or(0));
    if (const std::optional<QColor> chosen = dialogs_.Colour(window(), initial)) {
        SetCell(table, index.row(), 0, std::to_string(NumberOfColour(*chosen)));
    }
    return true;
}

}  // namespace orvane
