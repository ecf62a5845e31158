#include "platform/qt/QtDispatcher.h"

#include <QMetaObject>

namespace platform {

TQtDispatcher::TQtDispatcher() = default;

void TQtDispatcher::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(&FReceiver, std::move(call), Qt::QueuedConnection);
}

} // namespace platform
