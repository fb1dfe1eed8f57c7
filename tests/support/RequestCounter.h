#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <atomic>

// A web server on 127.0.0.1, in a thread of its own, that counts the connections made to it and
// answers each request with a small picture: documents that link to it show whether a
// conversion reached out. Its own thread keeps it answering while the test waits for a child
// process or a nested event loop.
class RequestCounter
{
public:
    RequestCounter()
    {
        m_thread.start();
        m_server.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_server,
            [this] {
                QObject::connect(&m_server, &QTcpServer::newConnection, &m_server,
                                 [this] { answer(m_server.nextPendingConnection()); });
                m_server.listen(QHostAddress::LocalHost);
                m_port = m_server.serverPort();
            },
            Qt::BlockingQueuedConnection);
    }
    ~RequestCounter()
    {
        QMetaObject::invokeMethod(
            &m_server, [this] { m_server.close(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    // "http://127.0.0.1:<port>/<path>"
    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
    }
    int connections() const { return m_connections; }

private:
    void answer(QTcpSocket* socket)
    {
        ++m_connections;
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->readAll();
            // A 1x1 transparent GIF, good for any picture or style sheet request.
            static const QByteArray kGif =
                QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nContent-Length: " +
                          QByteArray::number(kGif.size()) + "\r\n\r\n" + kGif);
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QThread m_thread;
    QTcpServer m_server;
    std::atomic<int> m_connections = 0;
    quint16 m_port = 0;
};
