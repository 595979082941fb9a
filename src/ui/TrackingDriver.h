#pragma once
// Serves the tracking socket from Qt's event loop: a notifier for each descriptor the server
// wants watched, renewed after every call that may change them.

#include "platform/linux/TrackingSocketServer.h"

#include <QObject>
#include <vector>

class QSocketNotifier;

namespace kestrune {

class TTrackingDriver final : public QObject, public ITrackingServer {
    Q_OBJECT
public:
    TTrackingDriver(TTrackingSocketServer& server, QObject* parent = nullptr);
    void SetItemText(const std::string& text) override;

private:
    void Service();
    void Watch();

    TTrackingSocketServer& FServer;
    std::vector<TTrackingSocketServer::TWatch> FWatched;
    std::vector<QSocketNotifier*> FNotifiers;
};

} // namespace kestrune
