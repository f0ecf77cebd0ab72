#pragma once

#include <memory>

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "app/InstanceKey.h"

class QLockFile;
class QLocalSocket;

namespace tallux {

// One running client per program directory. The first start holds a lock
// file named after the instance and listens on a local socket of the same
// name; a second start finds the lock taken, sends "activate <key>" there
// and ends. A lock left by a crashed process is detected by its process id
// and taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class ClaimResult {
        Owned,       // this process now owns the instance
        HandedOver,  // another one does and took the request to come forward
        NoAnswer,    // another one does (or the lock cannot be made at all) and
                     // took no request within a few seconds
    };
    ClaimResult Claim(const InstanceKey& instance);

    // The line a start that did not get the instance prints on stderr, so
    // that whoever started it from a console knows why no window opened.
    static const char* SecondStartLine(ClaimResult result);

    static QString LockFilePath(const InstanceKey& instance);
    static QString ServerName(const InstanceKey& instance);

signals:
    // A second start from the same directory asked for the window.
    void ActivationRequested();

private:
    void AcceptConnection();
    void ReadRequest(QLocalSocket* socket);
    // True when the running instance took the request.
    static bool AskRunningInstance(const InstanceKey& instance);

    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    QByteArray request_;
};

}  // namespace tallux
