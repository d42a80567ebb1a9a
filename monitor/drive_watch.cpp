#include "monitor/drive_watch.h"

#include "smart/health.h"

namespace qm {

DriveWatch::DriveWatch(DriveMonitor& monitor, const std::string& stateFolder, DesktopNotifier& notifier, Clock& clock,
                       std::function<bool()> showing, HealthShown health)
    : monitor_(monitor),
      clock_(clock),
      alertStore_(stateFolder),
      historyStore_(stateFolder),
      alerts_(alertStore_, notifier),
      showing_(std::move(showing)),
      health_(std::move(health)) {
    monitor_.KeepHistory(historyStore_, clock_);
    monitor_.AddAnswerObserver([this](const DriveAnswer& answer) { OnAnswer(answer); });
}

void DriveWatch::OnAnswer(const DriveAnswer& answer) {
    if (!IsValidSlot(answer.slot)) return;
    alerts_.SetShowing(!showing_ || showing_());
    alerts_.OnAnswer(answer, monitor_.Identities()[static_cast<std::size_t>(answer.slot)], clock_.UtcNow());
    const bool fullRead = answer.question == DriveQuestion::View || answer.question == DriveQuestion::Pass ||
                          answer.question == DriveQuestion::Full;
    if (health_ && fullRead && answer.result == ReadResult::Read) health_(answer.slot, HealthOf(answer.record).state);
}

}  // namespace qm
