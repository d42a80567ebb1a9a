// Carries the drive worker's answers to the window's thread: the worker's
// wake call (made on a worker thread) posts one queued call to this object,
// which then delivers every ready answer through DriveMonitor::DeliverAnswers
// on the thread the object lives on. Nothing else crosses the threads here.
#pragma once

#include <functional>

#include <QObject>

namespace qm {

class DriveMonitor;

class AnswerPump : public QObject {
    Q_OBJECT
public:
    // `delivered` runs after each delivery (the window refreshes its status
    // line). Create it on the window's thread; let it go after the worker has
    // stopped (the monitor's owner stops it first).
    AnswerPump(DriveMonitor& monitor, std::function<void()> delivered, QObject* parent = nullptr);

private:
    void Deliver();

    DriveMonitor& monitor_;
    std::function<void()> delivered_;
};

}  // namespace qm
