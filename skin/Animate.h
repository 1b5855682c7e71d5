#pragma once
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

// The welcome animation player: a strip of frames from a resource, played by a
// timer, standing still on its current frame when not active.
class TAnimate : public QWidget {
    Q_OBJECT
public:
    explicit TAnimate(QWidget* parent = nullptr);
    // Loads the frames of a resource ("WELCOME_AVI"); false when it has none.
    bool Open(const QString& resourceName);
    void SetActive(bool play);
    bool Active() const { return timer.isActive(); }
    int FrameCount() const { return static_cast<int>(frames.size()); }
    int CurrentFrame() const { return current; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString resource;
    std::vector<QImage> frames;
    int current = 0;
    QTimer timer;
};
