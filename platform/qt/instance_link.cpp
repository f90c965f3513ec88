#include "platform/qt/instance_link.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace mdx::qt {
namespace {

constexpr int ConnectTimeoutMs = 500;
constexpr int WriteTimeoutMs = 2000;
constexpr qint64 MaxMessageBytes = 16 << 20; // far more than any command line
constexpr auto LockWait = std::chrono::seconds(15);
constexpr auto LockRetry = std::chrono::milliseconds(10);

// The display the windows go to, as a file-name part: one program per display.
QString displayname() {
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) return "none";
    for (QChar& c : display)
        if (!c.isLetterOrNumber() && c != '.' && c != '-') c = '_';
    return display;
}

// The user's runtime directory, when there is one.
QString runtimedirectory() {
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtimeDir.isEmpty() && QDir(runtimeDir).exists() ? runtimeDir : QString();
}

void accept(QLocalSocket* socket, const std::function<void(const HandOver&)>& received) {
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] {
        buffer->append(socket->readAll());
        if (buffer->size() > MaxMessageBytes) socket->abort();
    });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, buffer, received] {
        buffer->append(socket->readAll());
        socket->deleteLater();
        if (buffer->size() <= MaxMessageBytes) received(decodehandover(*buffer));
    });
}

} // namespace

QString instancesocketname() {
    const QString runtimeDir = runtimedirectory();
    if (!runtimeDir.isEmpty()) return QDir(runtimeDir).filePath("miradex-" + displayname());
    return QString("miradex-%1-%2").arg(getuid()).arg(displayname());
}

QByteArray instancelockpath() {
    const QString runtimeDir = runtimedirectory();
    const QString directory = runtimeDir.isEmpty() ? QDir::tempPath() : runtimeDir;
    const QString name = runtimeDir.isEmpty()
                             ? QString("miradex-%1-%2.lock").arg(getuid()).arg(displayname())
                             : "miradex-" + displayname() + ".lock";
    return QFile::encodeName(QDir(directory).filePath(name));
}

InstanceLock::InstanceLock(const QByteArray& path) {
    // Never through a link someone else placed in a shared directory.
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    const auto giveUp = std::chrono::steady_clock::now() + LockWait;
    while (!(held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0)) {
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        if (std::chrono::steady_clock::now() > giveUp) return;
        std::this_thread::sleep_for(LockRetry);
    }
}

InstanceLock::~InstanceLock() {
    release();
}

void InstanceLock::release() {
    if (fd_ < 0) return;
    ::close(fd_); // also lets go of the lock
    fd_ = -1;
    held_ = false;
}

QByteArray encodehandover(const HandOver& handOver) {
    QByteArray message;
    if (handOver.NewReport) message.append("N", 2); // with its zero byte
    for (const std::string& file : handOver.Files) {
        if (file.empty() || file.find('\0') != std::string::npos) continue;
        message.append('F');
        message.append(file.data(), static_cast<qsizetype>(file.size()));
        message.append('\0');
    }
    return message;
}

HandOver decodehandover(const QByteArray& message) {
    HandOver handOver;
    for (const QByteArray& record : message.split('\0')) {
        if (record == "N")
            handOver.NewReport = true;
        else if (record.size() > 1 && record[0] == 'F')
            handOver.Files.push_back(record.sliced(1).toStdString());
    }
    return handOver;
}

bool handtorunninginstance(const HandOver& handOver) {
    QLocalSocket socket;
    socket.connectToServer(instancesocketname());
    if (!socket.waitForConnected(ConnectTimeoutMs)) return false;
    socket.write(encodehandover(handOver));
    socket.waitForBytesWritten(WriteTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(WriteTimeoutMs);
    return true;
}

InstanceServer::InstanceServer(std::function<void(const HandOver&)> received)
    : server_(std::make_unique<QLocalServer>()), received_(std::move(received)) {
    const QString name = instancesocketname();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered on the socket, so a file left there belongs to a program that has ended.
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) return;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            accept(socket, received_);
    });
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listening() const {
    return server_->isListening();
}

} // namespace mdx::qt
