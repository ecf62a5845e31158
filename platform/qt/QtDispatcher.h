// The dispatcher of the window: posted calls run in the Qt event loop of the main thread.
#pragma once

#include <QObject>

#include "platform/Dispatcher.h"

namespace platform {

class TQtDispatcher : public Dispatcher {
public:
    // Create on the main thread. Calls still queued when the dispatcher goes never run.
    TQtDispatcher();
    void Post(std::function<void()> call) override;

private:
    QObject FReceiver; // lives on the main thread; its queued calls die with it
};

} // namespace platform
