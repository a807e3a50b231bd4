#include "gui/main_window_view.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "forms/main_window.h"
#include "gui/control_binding.h"
#include "gui/list_binding.h"
#include "gui/menu_binding.h"
#include "gui/window_binding.h"
#include "gui/window_keys.h"

namespace gui {

namespace {

// A label that shows values the program writes: its text is never markup.
QLabel* MakeValueLabel(Connections& c, forms::Label& model) {
    QLabel* label = MakeLabel(c, model);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QCheckBox* MakeCheckBox(Connections& c, forms::CheckBox& model) {
    auto* box = new QCheckBox;
    BindCheckBox(c, box, model);
    return box;
}

QLineEdit* MakeTextBox(Connections& c, forms::TextBox& model, int widthChars = 0) {
    auto* edit = new QLineEdit;
    BindTextBox(c, edit, model);
    if (widthChars > 0) {
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * widthChars + 16);
    }
    return edit;
}

QPushButton* MakeButton(Connections& c, forms::Button& model) {
    auto* button = new QPushButton;
    BindButton(c, button, model);
    return button;
}

QRadioButton* MakeOption(Connections& c, forms::OptionButton& model) {
    auto* button = new QRadioButton;
    BindOptionButton(c, button, model);
    return button;
}

// A caption label with its text box, in two cells of a grid row: the label's
// access key focuses the box.
void AddLabelledBox(Connections& c, QGridLayout* grid, int row, int column, forms::Label& label,
                    forms::TextBox& box, int widthChars) {
    QLabel* caption = MakeLabel(c, label);
    QLineEdit* edit = MakeTextBox(c, box, widthChars);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, column);
    grid->addWidget(edit, row, column + 1);
}

}  // namespace

MainWindowView::MainWindowView(forms::Dorvane& model, QWidget* parent)
    : QMainWindow(parent), model_(model) {
    BuildMenuBar(connections_, menuBar(), model_.Menus());

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(BuildInfo());
    layout->addWidget(BuildTabs(), 1);
    layout->addWidget(BuildStatusAndCounters());
    layout->addWidget(BuildButtons());
    setCentralWidget(central);

    BindWindow(connections_, this, model_, Placement::FollowModel);
    PreviewKeys(this, model_);
}

MainWindowView::~MainWindowView() = default;

QWidget* MainWindowView::BuildInfo() {
    QGroupBox* frame = MakeFrame(connections_, model_.FrameInfo);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(8, 4, 8, 4);
    const std::pair<const char*, forms::Label*> parts[] = {
        {"Library:", &model_.LabelLibraryName},
        {"Group:", &model_.LabelPrimaryGroup},
        {"User:", &model_.LabelUserName}};
    bool first = true;
    for (const auto& [caption, label] : parts) {
        if (!first) row->addSpacing(16);
        first = false;
        row->addWidget(new QLabel(tr(caption)));
        QLabel* value = MakeValueLabel(connections_, *label);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        row->addWidget(value);
    }
    row->addStretch();
    return frame;
}

QWidget* MainWindowView::BuildTabs() {
    auto* tabs = new QTabWidget;
    tabs->addTab(BuildGeneralTab(), QString());
    tabs->addTab(BuildOptionsTab(), QString());
    tabs->addTab(BuildTargetsTab(), QString());
    tabs->addTab(BuildPauseTab(), QString());
    BindTabStrip(connections_, tabs, model_.TabStrip);
    return tabs;
}

QWidget* MainWindowView::BuildGeneralTab() {
    auto& m = model_;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    QGroupBox* source = MakeFrame(connections_, m.FrameSourceLibrary);
    auto* sourceRow = new QHBoxLayout(source);
    QLabel* sourceLabel = MakeLabel(connections_, m.SourceLibraryLabel);
    auto* combo = new QComboBox;
    BindComboBox(connections_, combo, m.SourceLibraryCombo);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(16);
    sourceLabel->setBuddy(combo);
    sourceRow->addWidget(sourceLabel);
    sourceRow->addWidget(combo, 1);
    layout->addWidget(source);

    QGroupBox* options = MakeFrame(connections_, m.FrameOptions);
    auto* grid = new QGridLayout(options);
    grid->setColumnStretch(0, 1);
    grid->setColumnMinimumWidth(1, 12);
    auto* logRow = new QHBoxLayout;
    logRow->addWidget(MakeCheckBox(connections_, m.CheckLogMethod));
    QPushButton* logDir = MakeButton(connections_, m.ButtonLogDir);
    logDir->setMaximumWidth(logDir->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    logRow->addWidget(logDir);
    logRow->addStretch();
    grid->addWidget(MakeCheckBox(connections_, m.CheckLoop), 0, 0);
    AddLabelledBox(connections_, grid, 0, 2, m.LabelLoopDelay, m.TextLoopDelay, 6);
    grid->addLayout(logRow, 1, 0);
    AddLabelledBox(connections_, grid, 1, 2, m.LabelRetryCount, m.TextRetryCount, 6);
    grid->addWidget(MakeCheckBox(connections_, m.CheckDisplayErrors), 2, 0);
    AddLabelledBox(connections_, grid, 2, 2, m.LabelBatchSize, m.TextBatchSize, 6);
    grid->addWidget(MakeCheckBox(connections_, m.CheckProcessOrder), 3, 0);
    grid->addWidget(MakeCheckBox(connections_, m.CheckLockComputer), 3, 2, 1, 2);
    layout->addWidget(options);

    QGroupBox* results = MakeFrame(connections_, m.FrameListResults);
    auto* resultsLayout = new QVBoxLayout(results);
    auto* list = new QTreeWidget;
    BindListView(connections_, list, m.ListResults);
    resultsLayout->addWidget(list);
    layout->addWidget(results, 1);
    return page;
}

QWidget* MainWindowView::BuildOptionsTab() {
    auto& m = model_;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* custom = MakeFrame(connections_, m.FrameCustomOptions);
    custom->setFlat(true);
    auto* customLayout = new QVBoxLayout(custom);
    customLayout->setContentsMargins(0, 0, 0, 0);

    auto* topRow = new QHBoxLayout;
    QGroupBox* what = MakeFrame(connections_, m.FrameDoWhat);
    auto* whatLayout = new QVBoxLayout(what);
    for (forms::OptionButton* option : {&m.OptionTransfer, &m.OptionCopy, &m.OptionMove}) {
        whatLayout->addWidget(MakeOption(connections_, *option));
    }
    topRow->addWidget(what, 1);

    QGroupBox* size = MakeFrame(connections_, m.FrameDoSize);
    auto* sizeLayout = new QGridLayout(size);
    sizeLayout->addWidget(MakeCheckBox(connections_, m.CheckActivityLog), 0, 0, 1, 3);
    sizeLayout->addWidget(MakeCheckBox(connections_, m.CheckAllAudits), 1, 0, 1, 3);
    AddLabelledBox(connections_, sizeLayout, 2, 0, m.LabelMaxActLogRows, m.TextMaxActLogRows, 6);
    sizeLayout->setColumnStretch(2, 1);
    topRow->addWidget(size, 2);
    customLayout->addLayout(topRow);

    QGroupBox* how = MakeFrame(connections_, m.FrameDoHow);
    auto* howLayout = new QVBoxLayout(how);
    for (forms::CheckBox* box :
         {&m.CheckMetaData, &m.CheckEncryption, &m.CheckOverwriteReadOnly, &m.CheckAppendLibName,
          &m.CheckMakeReadOnlySource, &m.CheckMakeReadOnlyTarget, &m.CheckForMissingColumns,
          &m.CheckRemoveDeletedDocs, &m.CheckFolders, &m.CheckRetainNumber,
          &m.CheckUseAlternateDateFormat}) {
        howLayout->addWidget(MakeCheckBox(connections_, *box));
    }
    customLayout->addWidget(how);

    customLayout->addStretch();

    layout->addWidget(custom);
    return page;
}

QWidget* MainWindowView::BuildTargetsTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* frame = MakeFrame(connections_, model_.FrameLibBox);
    auto* frameLayout = new QVBoxLayout(frame);
    auto* list = new QTreeWidget;
    BindListView(connections_, list, model_.LibBox);
    frameLayout->addWidget(list);
    layout->addWidget(frame);
    return page;
}

QWidget* MainWindowView::BuildPauseTab() {
    auto& m = model_;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QGroupBox* pause = MakeFrame(connections_, m.FramePause);
    auto* pauseLayout = new QVBoxLayout(pause);

    QGroupBox* time = MakeFrame(connections_, m.FramePauseTime);
    auto* timeRow = new QHBoxLayout(time);
    timeRow->addWidget(MakeCheckBox(connections_, m.CheckPauseTime));
    timeRow->addSpacing(12);
    timeRow->addWidget(MakeTextBox(connections_, m.TextPauseStart, 5));
    timeRow->addWidget(MakeLabel(connections_, m.LabelPause));
    timeRow->addWidget(MakeTextBox(connections_, m.TextPauseEnd, 5));
    timeRow->addStretch();
    pauseLayout->addWidget(time);

    auto* days = new QTreeWidget;
    BindTreeView(connections_, days, m.TVPause);
    pauseLayout->addWidget(days, 1);
    layout->addWidget(pause);
    return page;
}

QWidget* MainWindowView::BuildStatusAndCounters() {
    auto& m = model_;
    auto* strip = new QWidget;
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);

    QGroupBox* status = MakeFrame(connections_, m.FrameStatus);
    auto* statusLayout = new QVBoxLayout(status);
    QLabel* line = MakeValueLabel(connections_, m.LabelStatus);
    line->setWordWrap(true);
    line->setMinimumHeight(line->fontMetrics().height() * 2);
    statusLayout->addWidget(line);
    row->addWidget(status, 1);

    QGroupBox* counters = MakeFrame(connections_, m.FrameCounters);
    auto* grid = new QGridLayout(counters);
    grid->addWidget(MakeLabel(connections_, m.LabelCountText), 0, 0);
    grid->addWidget(MakeValueLabel(connections_, m.LabelTotal), 0, 1);
    grid->addWidget(MakeLabel(connections_, m.LabelErrorText), 1, 0);
    grid->addWidget(MakeValueLabel(connections_, m.LabelErrors), 1, 1);
    counters->setMinimumWidth(counters->fontMetrics().horizontalAdvance(QStringLiteral("Remaining: 0000000")) + 24);
    row->addWidget(counters);
    return strip;
}

QWidget* MainWindowView::BuildButtons() {
    auto& m = model_;
    QGroupBox* frame = MakeFrame(connections_, m.FrameButtons);
    auto* row = new QHBoxLayout(frame);
    row->addWidget(MakeButton(connections_, m.ButtonLock));
    QLabel* locked = MakeLabel(connections_, m.LabelLocked);
    QFont bold = locked->font();
    bold.setBold(true);
    locked->setFont(bold);
    row->addWidget(locked);
    row->addStretch();
    row->addWidget(MakeButton(connections_, m.Button_Go));
    row->addWidget(MakeButton(connections_, m.Button_Exit));
    return frame;
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    event->ignore();
    model_.closeRequested.Emit();
}

}  // namespace gui
