#include "gui/lib_setup_view.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "forms/lib_setup_window.h"
#include "gui/control_binding.h"
#include "gui/window_binding.h"
#include "gui/window_keys.h"

namespace gui {

namespace {

// A button in its own colour, its text dark enough to read on it.
QPushButton* MakeColouredButton(Connections& c, forms::Button& model, const char* colour) {
    auto* button = new QPushButton;
    BindButton(c, button, model);
    button->setMinimumWidth(130);
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black; border: 1px solid "
                                         "#7a7a7a; border-radius: 3px; padding: 5px 14px; }"
                                         "QPushButton:focus { border: 2px solid #1f4e8c; }"
                                         "QPushButton:disabled { background-color: #d8d8d8; color: #8a8a8a; }")
                              .arg(QLatin1String(colour)));
    return button;
}

}  // namespace

LibSetupView::LibSetupView(forms::DorvaneLibSetup& model, QWidget* parent)
    : QWidget(parent, Qt::Dialog), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildLibraries());
    layout->addWidget(BuildCriteria());
    layout->addWidget(BuildStorageType());
    layout->addWidget(BuildStatus());
    layout->addWidget(BuildButtons());
    for (int i = 1; i < focusChain_.size(); ++i) setTabOrder(focusChain_[i - 1], focusChain_[i]);

    BindWindow(connections_, this, model_, Placement::CentreOnScreen);
    PreviewKeys(this, model_);
    // The source list has the focus when the window opens.
    focusChain_.front()->setFocus();
}

QWidget* LibSetupView::BuildLibraries() {
    auto& m = model_;
    QGroupBox* frame = MakeFrame(connections_, m.FrameTop);
    auto* grid = new QGridLayout(frame);
    const std::pair<forms::Label*, forms::ComboBox*> rows[] = {{&m.SourceLibraryLabel, &m.SourceLibraryCombo},
                                                                {&m.TargetLibraryLabel, &m.TargetLibraryCombo}};
    int row = 0;
    for (const auto& [label, list] : rows) {
        QLabel* caption = MakeLabel(connections_, *label);
        auto* combo = new QComboBox;
        BindComboBox(connections_, combo, *list);
        caption->setBuddy(combo);
        grid->addWidget(caption, row, 0);
        grid->addWidget(combo, row, 1);
        focusChain_.append(combo);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QWidget* LibSetupView::BuildCriteria() {
    QGroupBox* frame = MakeFrame(connections_, model_.FrameItems);
    auto* grid = new QGridLayout(frame);
    int row = 0;
    for (auto& r : model_.Rows()) {
        QLabel* caption = MakeLabel(connections_, r.label);
        auto* edit = new QLineEdit;
        BindTextBox(connections_, edit, r.text);
        caption->setBuddy(edit);
        auto* lookup = new QPushButton;
        BindButton(connections_, lookup, r.lookup);
        lookup->setFixedWidth(lookup->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 18);
        auto* include = new QCheckBox;
        BindCheckBox(connections_, include, r.include);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(lookup, row, 2);
        grid->addWidget(include, row, 3);
        focusChain_.append({edit, lookup, include});
        ++row;
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QWidget* LibSetupView::BuildStorageType() {
    auto& m = model_;
    QGroupBox* frame = MakeFrame(connections_, m.FrameStorageType);
    auto* row = new QHBoxLayout(frame);
    QLabel* caption = MakeLabel(connections_, m.StorageTypeLabel);
    auto* combo = new QComboBox;
    BindComboBox(connections_, combo, m.StorageTypeCombo);
    caption->setBuddy(combo);
    auto* include = new QCheckBox;
    BindCheckBox(connections_, include, m.CheckIncST);
    row->addWidget(caption);
    row->addWidget(combo, 1);
    row->addWidget(include);
    focusChain_.append({combo, include});
    return frame;
}

QWidget* LibSetupView::BuildStatus() {
    QGroupBox* frame = MakeFrame(connections_, model_.FrameStatus);
    auto* row = new QHBoxLayout(frame);
    QLabel* status = MakeLabel(connections_, model_.LabelStatus);
    status->setTextFormat(Qt::PlainText);
    status->setWordWrap(true);
    status->setMinimumHeight(status->fontMetrics().lineSpacing() * 2);
    row->addWidget(status, 1);
    return frame;
}

QWidget* LibSetupView::BuildButtons() {
    auto& m = model_;
    QGroupBox* frame = MakeFrame(connections_, m.FrameButtons);
    auto* row = new QHBoxLayout(frame);
    QPushButton* build = MakeColouredButton(connections_, m.ButtonBuildLib, "#8fd18f");
    QPushButton* triggers = MakeColouredButton(connections_, m.ButtonBuildTriggers, "#fff4a8");
    QPushButton* close = MakeColouredButton(connections_, m.ButtonCancel, "#f08c8c");
    row->addWidget(build);
    row->addStretch();
    row->addWidget(triggers);
    row->addStretch();
    row->addWidget(close);
    focusChain_.append({build, triggers, close});
    return frame;
}

void LibSetupView::closeEvent(QCloseEvent* event) {
    event->ignore();
    model_.closeRequested.Emit();
}

}  // namespace gui
