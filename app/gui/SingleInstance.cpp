#include "app/gui/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace tallux {
namespace {

constexpr int kRequestLimit = 64;  // bytes of one activation request

QByteArray ActivationRequest(const InstanceKey& instance) {
    return "activate " + QByteArray::number(instance.key) + "\n";
}

}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnection);
}

SingleInstance::~SingleInstance() { server_.close(); }

QString SingleInstance::LockFilePath(const InstanceKey& instance) {
    return QDir::tempPath() + QStringLiteral("/tallux-") + QString::fromStdString(instance.name) +
           QStringLiteral(".lock");
}

QString SingleInstance::ServerName(const InstanceKey& instance) {
    return QStringLiteral("tallux-") + QString::fromStdString(instance.name);
}

SingleInstance::ClaimResult SingleInstance::Claim(const InstanceKey& instance) {
    auto lock = std::make_unique<QLockFile>(LockFilePath(instance));
    // Never stale by age: a running client keeps its lock for days. A lock
    // whose process is gone is still recognised and removed.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return AskRunningInstance(instance) ? ClaimResult::HandedOver : ClaimResult::NoAnswer;
    lock_ = std::move(lock);
    request_ = ActivationRequest(instance);
    // We own the instance, so a socket left behind by a crashed run is ours
    // to remove.
    QLocalServer::removeServer(ServerName(instance));
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(ServerName(instance));
    return ClaimResult::Owned;
}

const char* SingleInstance::SecondStartLine(ClaimResult result) {
    switch (result) {
    case ClaimResult::Owned: return "";
    case ClaimResult::HandedOver: return "tallux: 已交给正在运行的客户端。\n";
    case ClaimResult::NoAnswer: return "tallux: 本目录已有客户端在运行，但它没有应答。\n";
    }
    return "";
}

bool SingleInstance::AskRunningInstance(const InstanceKey& instance) {
    // The running one may hold the lock a moment before it listens.
    const QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(ServerName(instance));
        if (socket.waitForConnected(500)) {
            const QByteArray request = ActivationRequest(instance);
            const bool sent = socket.write(request) == request.size();
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
            return sent;
        }
        QThread::msleep(100);
    }
    return false;
}

void SingleInstance::AcceptConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
        if (socket->bytesAvailable() > 0) ReadRequest(socket);
    }
}

void SingleInstance::ReadRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        // Nothing sensible is that long; do not collect without bound.
        if (socket->bytesAvailable() > kRequestLimit) socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(kRequestLimit + 1);
    socket->disconnectFromServer();
    if (line == request_) emit ActivationRequested();
}

}  // namespace tallux
