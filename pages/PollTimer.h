#pragma once
#include <QObject>
#include <functional>

class QTimer;

// A polling timer whose ticks never overlap: each tick stops the timer, runs
// the page's poll, and the timer is armed again only when the poll says so
// (as a rule, when its command succeeded). The period is therefore the
// interval plus one poll.
class TPollTimer : public QObject {
    Q_OBJECT
  public:
    // `poll` returns whether to re-arm.
    TPollTimer(QObject* parent, int intervalMs, std::function<bool()> poll);

    // Stops the timer; with `on`, arms it again with the interval.
    void StartPolling(bool on);
    void SetInterval(int ms) { interval = ms; }
    int Interval() const { return interval; }
    bool IsActive() const;

    // One tick, as the timer runs it (tests and benchmarks call it too).
    void Tick();

  private:
    QTimer* timer;
    int interval;
    std::function<bool()> poll;
};
