#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QtEndian>
#include <optional>

namespace orvane {

namespace {

// A hand-over is a 32-bit big-endian length followed by that many bytes: the greeting, then
// each path, all UTF-8 and each ended by a NUL (a path never holds one). The running program
// answers with kReceived once it has the whole message.
const QByteArray kGreeting = QByteArrayLiteral("orvane-open/1");
const QByteArray kReceived = QByteArrayLiteral("ok");
constexpr quint32 kMaxMessageBytes = 4 * 1024 * 1024;
constexpr int kConnectMs = 2000;
// The running program answers from its event loop, which a long conversion holds up.
constexpr int kAnswerMs = 30000;
constexpr int kLockMs = 10000;

QByteArray Message(const QStringList& files) {
    QByteArray body = kGreeting + '\0';
    for (const QString& file : files) {
        body += file.toUtf8() + '\0';
    }
    QByteArray message(sizeof(quint32), '\0');
    qToBigEndian(static_cast<quint32>(body.size()), message.data());
    return message + body;
}

// The files of a whole message body, or nothing when it is no hand-over.
std::optional<QStringList> FilesOf(const QByteArray& body) {
    QList<QByteArray> parts = body.split('\0');
    if (parts.size() < 2 || parts.first() != kGreeting || !parts.last().isEmpty()) {
        return std::nullopt;
    }
    QStringList files;
    for (int i = 1; i + 1 < parts.size(); ++i) {
        files << QString::fromUtf8(parts[i]);
    }
    return files;
}

QString DisplayKey() {
    QString key = QGuiApplication::platformName() + qEnvironmentVariable("DISPLAY") +
                  qEnvironmentVariable("WAYLAND_DISPLAY");
    key.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
    return key;
}

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultSocketPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime + "/orvane-" + DisplayKey();
    }
    return QDir::tempPath() + QStringLiteral("/orvane-%1-").arg(::getuid()) + DisplayKey();
}

SingleInstance::Start SingleInstance::HandOverOrListen(const QStringList& files) {
    // Two programs started at the same moment must not both decide to be the running one.
    QLockFile lock(socketPath_ + ".lock");
    lock.tryLock(kLockMs);
    switch (TryHandOver(files)) {
        case HandOver::Done:
            return Start::HandedOver;
        case HandOver::Failed:
            return Start::Alone;
        case HandOver::NoProgram:
            break;
    }
    return Listen() ? Start::Listening : Start::Alone;
}

SingleInstance::HandOver SingleInstance::TryHandOver(const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kConnectMs)) {
        return HandOver::NoProgram;
    }
    socket.write(Message(files));
    QByteArray answer;
    while (answer.size() < kReceived.size() && socket.waitForReadyRead(kAnswerMs)) {
        answer += socket.readAll();
    }
    if (answer != kReceived) {
        errorText_ = QStringLiteral("正在运行的 Orvane 没有响应（%1）。").arg(socketPath_);
        return HandOver::Failed;
    }
    return HandOver::Done;
}

bool SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered on the socket: what is left of it belongs to a program that has ended.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        errorText_ = server_->errorString();
        server_.reset();
        return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::StopListening() {
    server_.reset();
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        Receive(socket);
    }
}

void SingleInstance::Receive(QLocalSocket* socket) {
    if (socket->bytesAvailable() < static_cast<qint64>(sizeof(quint32))) {
        return;
    }
    const quint32 length = qFromBigEndian<quint32>(socket->peek(sizeof(quint32)).constData());
    if (length > kMaxMessageBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < static_cast<qint64>(sizeof(quint32) + length)) {
        return;
    }
    socket->read(sizeof(quint32));
    const std::optional<QStringList> files = FilesOf(socket->read(length));
    if (!files) {
        socket->abort();
        return;
    }
    socket->write(kReceived);
    socket->flush();
    // Opening may ask questions and show modal windows: that waits until this handler is done.
    QMetaObject::invokeMethod(
        this, [this, files = *files] { emit FilesReceived(files); }, Qt::QueuedConnection);
}

}  // namespace orvane
