#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
constexpr int kConnectWaitMs = 1000;
const QByteArray kShowMessage = "show\n";

QString userSuffix()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}
} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent)
    : QObject(parent), serverName_(key + QLatin1Char('-') + userSuffix())
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AnotherCopyRuns()
{
    {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(kConnectWaitMs)) {
            socket.write(kShowMessage);
            socket.waitForBytesWritten(kConnectWaitMs);
            socket.disconnectFromServer();
            return true;
        }
    }
    // Nobody answered: a socket file left behind by a crashed copy would block listen().
    QLocalServer::removeServer(serverName_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!server_->listen(serverName_))
        qWarning("single instance: cannot listen on %s: %s", qPrintable(serverName_),
                 qPrintable(server_->errorString()));
    return false;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readMessage = [this, socket] {
            if (socket->readAll().contains(kShowMessage.trimmed())) {
                bringWindowForward();
                emit ShowRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        if (socket->bytesAvailable() > 0)
            readMessage();
    }
}

void SingleInstance::bringWindowForward()
{
    if (!window_)
        return;
    if (window_->isMinimized()) {
        window_->showNormal();
    } else {
        window_->show();
        window_->raise();
    }
    window_->activateWindow();
}
