#include "gui/splash_view.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

#include "forms/splash_window.h"
#include "gui/control_binding.h"
#include "gui/window_binding.h"
#include "gui/window_keys.h"

namespace gui {

namespace {

QPixmap Logo(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
    painter.drawRoundedRect(QRectF(0, 0, side, side), side / 6.0, side / 6.0);
    // Two stacked sheets: documents on their way to the archive.
    painter.setBrush(QColor(0xd6, 0xe4, 0xf5));
    painter.drawRect(QRectF(side * 0.30, side * 0.20, side * 0.42, side * 0.52));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(side * 0.22, side * 0.30, side * 0.42, side * 0.52));
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), side / 40.0));
    for (int i = 0; i < 4; ++i) {
        double y = side * (0.42 + i * 0.09);
        painter.drawLine(QPointF(side * 0.29, y), QPointF(side * 0.57, y));
    }
    return pixmap;
}

}  // namespace

// A frameless dialog rather than a splash-screen window: window managers may
// keep the keyboard from splash screens, and a key closes the About window.
SplashView::SplashView(forms::KestSplash& model, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint), model_(model) {
    setFocusPolicy(Qt::StrongFocus);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    // The frame fills the window; a mouse release over it closes an About.
    auto* frame = new QGroupBox;
    BindFrame(connections_, frame, model_.KestSplashFrame);
    frame->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin: 0; }"));
    outer->addWidget(frame);

    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(20, 20, 20, 16);
    row->setSpacing(20);
    auto* logo = new QLabel;
    logo->setPixmap(Logo(96));
    logo->setAlignment(Qt::AlignTop);
    row->addWidget(logo);

    auto* texts = new QVBoxLayout;
    auto* name = new QLabel;
    BindLabel(connections_, name, model_.ProductName);
    name->setTextFormat(Qt::PlainText);
    name->setWordWrap(true);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    nameFont.setBold(true);
    name->setFont(nameFont);
    texts->addWidget(name);

    auto* version = new QLabel;
    BindLabel(connections_, version, model_.KestVersion);
    version->setTextFormat(Qt::PlainText);
    texts->addWidget(version);
    texts->addStretch();

    auto* status = new QLabel;
    BindLabel(connections_, status, model_.LabelStatus);
    status->setTextFormat(Qt::PlainText);
    status->setWordWrap(true);
    texts->addWidget(status);
    row->addLayout(texts, 1);

    BindWindow(connections_, this, model_, Placement::CentreOnScreen);
    PreviewKeys(this, model_);
}

void SplashView::closeEvent(QCloseEvent* event) {
    event->ignore();
    model_.closeRequested.Emit();
}

}  // namespace gui
