#include "pages/PollTimer.h"

#include <QTimer>

TPollTimer::TPollTimer(QObject* parent, int intervalMs, std::function<bool()> pollFn)
    : QObject(parent), timer(new QTimer(this)), interval(intervalMs), poll(std::move(pollFn)) {
    timer->setSingleShot(true);
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
