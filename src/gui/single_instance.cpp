#include "gui/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "app/runtime_dir.h"

namespace tovan {

namespace {
constexpr qint64 Max_Message = 8 + Handoff_Max_Text;
const QString Instance_Suffix = QStringLiteral("_Mutex_951413");
}

QString Single_Instance::Instance_Name(const QString& executable_path) {
    return QFileInfo(executable_path).completeBaseName() + Instance_Suffix;
}

Single_Instance::Single_Instance(const QString& name, const QString& dir, QObject* parent) : QObject(parent) {
    QString folder = dir;
    if (folder.isEmpty()) {
        // Never a shared folder such as /tmp: another user could hold the
        // lock there, or receive the paths handed over.
        QString app = name;
        if (app.endsWith(Instance_Suffix)) app.chop(Instance_Suffix.size());
        const Runtime_Dir r = Private_Runtime_Dir(app.toStdString());
        folder = QString::fromStdString(r.path);
        error_ = r.error;
    }
    if (folder.isEmpty()) return;
    socket_path_ = QDir(folder).filePath(name);
    lock_ = std::make_unique<QLockFile>(socket_path_ + QStringLiteral(".lock"));
    // Only a dead owner makes the lock stale, never its age.
    lock_->setStaleLockTime(0);
}

Single_Instance::~Single_Instance() {
    if (server_) server_->close();
    if (lock_) lock_->unlock();
}

Single_Instance::Role Single_Instance::Start() {
    if (!lock_) return Role::Failed;
    // A lock or socket someone else left in the folder is not ours to use,
    // nor to remove.
    if (!Owned_By_User((socket_path_ + QStringLiteral(".lock")).toStdString(), &error_) ||
        !Owned_By_User(socket_path_.toStdString(), &error_))
        return Role::Failed;
    if (!lock_->tryLock(0)) {
        return lock_->error() == QLockFile::LockFailedError ? Role::Secondary : Role::Failed;
    }
    // We own the lock: a socket file left by a crashed instance is stale.
    QLocalServer::removeServer(socket_path_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socket_path_)) return Role::Failed;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* sock = server_->nextPendingConnection()) {
            auto decoder = std::make_shared<Handoff_Decoder>();
            auto total = std::make_shared<qint64>(0);
            connect(sock, &QLocalSocket::disconnected, sock, &QObject::deleteLater);
            connect(sock, &QLocalSocket::readyRead, this, [this, sock, decoder, total] {
                while (sock->bytesAvailable() > 0) {
                    const QByteArray chunk = sock->read(4096);
                    *total += chunk.size();
                    const auto st = decoder->Feed(chunk.constData(), static_cast<size_t>(chunk.size()));
                    if (st == Handoff_Decoder::State::Done) {
                        const Handoff_Record rec = decoder->Record();
                        sock->abort();
                        // Delivered from the event loop: the receiver may
                        // open modal boxes.
                        QTimer::singleShot(0, this, [this, rec] {
                            if (on_handoff) on_handoff(rec);
                        });
                        return;
                    }
                    if (st == Handoff_Decoder::State::Bad || *total > Max_Message) {
                        sock->abort();
                        return;
                    }
                }
            });
        }
    });
    return Role::Primary;
}

bool Single_Instance::Send(const Handoff_Record& r, int timeout_ms) {
    QLocalSocket sock;
    sock.connectToServer(socket_path_);
    if (!sock.waitForConnected(timeout_ms)) return false;
    const std::string wire = Encode_Handoff(r);
    sock.write(wire.data(), static_cast<qint64>(wire.size()));
    const bool ok = sock.waitForBytesWritten(timeout_ms) || sock.bytesToWrite() == 0;
    sock.disconnectFromServer();
    return ok;
}

}  // namespace tovan
