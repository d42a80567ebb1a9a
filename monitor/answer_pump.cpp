#include "monitor/answer_pump.h"

#include "monitor/drive_monitor.h"

namespace qm {

AnswerPump::AnswerPump(DriveMonitor& monitor, std::function<void()> delivered, QObject* parent)
    : QObject(parent), monitor_(monitor), delivered_(std::move(delivered)) {
    // Only a wake call crosses to this thread; the answers wait in the
    // worker, under its lock, until Deliver takes them.
    monitor_.Worker().SetWake([this] { QMetaObject::invokeMethod(this, &AnswerPump::Deliver, Qt::QueuedConnection); });
}

void AnswerPump::Deliver() {
    monitor_.DeliverAnswers();
    if (delivered_) delivered_();
}

}  // namespace qm
