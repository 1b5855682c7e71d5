#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

// How far a long memory operation has come, with an Abort button. Modeless:
// the caller runs its loop on the user-interface thread, lets the toolkit
// process messages between its exchanges and reads IsAborted().
class TFormProgress : public QDialog {
    Q_OBJECT
  public:
    // `owner` is the memory page; the dialog is centred on the owner's window.
    explicit TFormProgress(QWidget* owner);

    // Shows the dialog with an empty status and the bar at 0.
    void Show();
    // Sets the status text and repaints at once.
    void SetStatus(const std::string& text);
    void SetProgress(int position);
    bool IsAborted() const { return aborted; }
    void ButtonAbortClick() { aborted = true; }

    QLabel* LabelStatus = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QPushButton* ButtonAbort = nullptr;

  protected:
    // Closing the dialog by the window manager counts as Abort; it stays open.
    void reject() override { ButtonAbortClick(); }

  private:
    void FormShow();
    bool aborted = false;
};
