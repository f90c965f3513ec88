// One program per user and display: a second start hands its documents (and a request for a new
// report) to the running program over a local socket and ends. Starts take turns under a lock,
// so that starts at the same moment elect one program and the others hand over to it.
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

// The socket: in the user's runtime directory when it is private to the user, else in a folder
// "miradex-<uid>" of the user's own (mode 0700) in the temporary directory; its name carries the
// display's name. "" when no private folder can be had.
QString instancesocketname();

// The lock file next to the socket.
QByteArray instancelockpath();

// Holds the election lock from construction until release() or destruction. Waits a bounded
// time for a start that holds it; after that it goes on without it rather than never starting.
class InstanceLock {
  public:
    explicit InstanceLock(const QByteArray& path = instancelockpath());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    bool held() const { return held_; }
    void release();

  private:
    int fd_ = -1;
    bool held_ = false;
};

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
