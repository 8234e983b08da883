#include "app/qt_executor.hpp"

#include <QMetaObject>

namespace kestrel {

void QtExecutor::post(std::function<void()> task) {
  QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

}  // namespace kestrel
