// One program per user session: a second start hands its documents (and a request for a new
// report) to the running program over a local socket and ends.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;

namespace mdx::qt {

struct HandOver {
    bool NewReport = false;
    std::vector<std::string> Files;
};

// The socket: in the user's runtime directory when there is one (private to the user), else a
// name with the user id in the temporary directory.
QString instancesocketname();

// The message on the wire: records ending in a zero byte, "N" for a new report and "F" followed
// by a path for each file (paths may hold line ends, never a zero byte).
QByteArray encodehandover(const HandOver& handOver);
HandOver decodehandover(const QByteArray& message);

// Sends the hand-over to a running program; false when none is listening.
bool handtorunninginstance(const HandOver& handOver);

// Listens for later starts and passes what each hands over to received (main thread).
class InstanceServer {
  public:
    explicit InstanceServer(std::function<void(const HandOver&)> received);
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;
    bool listening() const;

  private:
    std::unique_ptr<QLocalServer> server_;
    std::function<void(const HandOver&)> received_;
};

} // namespace mdx::qt
