#pragma once

#include "gt/observer.h"

#include <QObject>

namespace ZQ3::Desktop {

// The player's news that a pad started playing, as a Qt signal. The player tells its observers
// on whatever thread it runs; connected with Qt::QueuedConnection, the signal reaches the
// widgets on the thread they live on.
class CPlayStartedSignal : public QObject, public GT::IMvcObserver {
    Q_OBJECT

public:
    void update(const std::any&, const std::any&, const std::any&) override { emit started(); }

signals:
    void started();
};

} // namespace ZQ3::Desktop
