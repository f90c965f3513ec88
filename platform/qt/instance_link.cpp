#include "platform/qt/instance_link.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
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

// Whether path is a folder of this user's that nobody else may enter, looked at through a
// descriptor opened without following a link, so that nobody can swap one in.
bool privatefolder(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool mine = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) &&
                      info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
    ::close(fd);
    return mine;
}

// The folder of the socket and the lock: the user's runtime folder when it is the user's alone,
// else a folder of the user's own in the temporary folder, made for that; "" when neither can be
// had (the program then runs on its own without a socket).
QString instancefolder() {
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && privatefolder(QFile::encodeName(runtimeDir))) return runtimeDir;
    // Qt gives "" for a temporary folder that does not exist: never a folder at the root.
    const QString temporary = QDir::tempPath();
    if (temporary.isEmpty() || QDir(temporary).isRoot()) return {};
    const QByteArray fallback =
        QFile::encodeName(temporary) + "/miradex-" + QByteArray::number(::getuid());
    ::mkdir(fallback.constData(), 0700);
    return privatefolder(fallback) ? QFile::decodeName(fallback) : QString();
}

// The user id of the program at the other end of a connected local socket; -1 when unknown.
long peeruser(qintptr descriptor) {
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0 || ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED,
                                       &credentials, &length) != 0)
        return -1;
    return static_cast<long>(credentials.uid);
}

bool sameuser(qintptr descriptor) {
    return peeruser(descriptor) == static_cast<long>(::getuid());
}

void accept(QLocalSocket* socket, const std::function<void(const HandOver&)>& received) {
    if (!sameuser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        return;
    }
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
    const QString folder = instancefolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath("miradex-" + displayname());
}

QByteArray instancelockpath() {
    const QString folder = instancefolder();
    if (folder.isEmpty()) return {};
    return QFile::encodeName(QDir(folder).filePath("miradex-" + displayname() + ".lock"));
}

InstanceLock::InstanceLock(const QByteArray& path) {
    if (path.isEmpty()) return;
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

// The paths go only to a program of the same user: a listener of anyone else is no running
// program of ours, and this start goes on as the first one.
bool handtorunninginstance(const HandOver& handOver) {
    const QString name = instancesocketname();
    if (name.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ConnectTimeoutMs)) return false;
    if (!sameuser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
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
    if (name.isEmpty()) return;
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
