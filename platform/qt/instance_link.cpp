#include "platform/qt/instance_link.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace mdx::qt {
namespace {

constexpr int ConnectTimeoutMs = 500;
constexpr int WriteTimeoutMs = 2000;
constexpr qint64 MaxMessageBytes = 16 << 20; // far more than any command line

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
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty() && QDir(runtimeDir).exists())
        return QDir(runtimeDir).filePath("miradex-instance");
    return QString("miradex-%1").arg(getuid());
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
