#include "ui/TrackingDriver.h"

#include <QSocketNotifier>

namespace kestrune {

TTrackingDriver::TTrackingDriver(TTrackingSocketServer& server, QObject* parent)
    : QObject(parent), FServer(server) {
    Watch();
}

void TTrackingDriver::SetItemText(const std::string& text) {
    FServer.SetItemText(text);
    Watch();
}

void TTrackingDriver::Service() {
    FServer.Service();
    Watch();
}

void TTrackingDriver::Watch() {
    const std::vector<TTrackingSocketServer::TWatch> watches = FServer.Watches();
    const auto same = [](const auto& a, const auto& b) {
        return a.Fd == b.Fd && a.WantsWrite == b.WantsWrite;
    };
    if (std::equal(watches.begin(), watches.end(), FWatched.begin(), FWatched.end(), same))
        return;
    // A notifier may be the one whose signal is running: it goes once control is back in the
    // event loop.
    for (QSocketNotifier* notifier : FNotifiers) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    FNotifiers.clear();
    for (const auto& watch : watches) {
        auto* reader = new QSocketNotifier(watch.Fd, QSocketNotifier::Read, this);
        connect(reader, &QSocketNotifier::activated, this, &TTrackingDriver::Service);
        FNotifiers.push_back(reader);
        if (watch.WantsWrite) {
            auto* writer = new QSocketNotifier(watch.Fd, QSocketNotifier::Write, this);
            connect(writer, &QSocketNotifier::activated, this, &TTrackingDriver::Service);
            FNotifiers.push_back(writer);
        }
    }
    FWatched = watches;
}

} // namespace kestrune
