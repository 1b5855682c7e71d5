#include "pages/FormProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "skin/SkinFont.h"

TFormProgress::TFormProgress(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowStaysOnTopHint) {
    setWindowTitle("Progress");
    setModal(false);
    setFixedSize(348, 152);
    // The hourglass over the dialog, the hand over Abort.
    setCursor(Qt::WaitCursor);

    LabelStatus = new QLabel(this);
    LabelStatus->setGeometry(24, 16, 305, 49);
    LabelStatus->setFont(SkinFontPoints("MS Sans Serif", 8, true));
    LabelStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setGeometry(24, 72, 300, 25);
    ProgressBar->setRange(0, 100);

    ButtonAbort = new QPushButton("Abort", this);
    ButtonAbort->setGeometry(136, 112, 75, 25);
    ButtonAbort->setCursor(Qt::PointingHandCursor);
    ButtonAbort->setAutoDefault(false);
    connect(ButtonAbort, &QPushButton::clicked, this, [this] { ButtonAbortClick(); });
}

void TFormProgress::Show() {
    FormShow();
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr)
        move(main->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
}

void TFormProgress::FormShow() {
    LabelStatus->clear();
    ProgressBar->setValue(0);
}

void TFormProgress::SetStatus(const std::string& text) {
    LabelStatus->setText(QString::fromStdString(text));
    // Shown at once, but only what changed: a whole-dialog repaint at every
    // step costs a noticeable share of a paced transfer.
    LabelStatus->repaint();
    ProgressBar->repaint();
}

void TFormProgress::SetProgress(int position) {
    ProgressBar->setValue(position);
}
