#include "pages/PollTimer.h"

#include <QTimer>

TPollTimer::TPollTimer(QObject* parent, int intervalMs, std::function<bool()> pollFn)
    : QObject(parent), timer(new QTimer(this)), interval(intervalMs), poll(std::move(pollFn)) {
    timer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the interval is the least gap
    // between the end of one poll and the start of the next.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this] { Tick(); });
}

void TPollTimer::StartPolling(bool on) {
    timer->stop();
    if (on)
        timer->start(interval);
}

bool TPollTimer::IsActive() const {
    return timer->isActive();
}

void TPollTimer::Tick() {
    timer->stop();
    if (poll())
        timer->start(interval);
}
