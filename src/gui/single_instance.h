#pragma once
// One running instance per user and executable name. The first start
// holds a lock file and listens on a local socket that only this user can
// reach; a second start sends its hand-off record there and ends.
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/handoff.h"
#include "app/runtime_dir.h"

class QLocalServer;

namespace tovan {

class Single_Instance : public QObject {
    Q_OBJECT
public:
    // name: executable name + "_Mutex_951413"; dir: a per-user folder
    // (empty: the user's private runtime folder, see Private_Runtime_Dir).
    explicit Single_Instance(const QString& name, const QString& dir = QString(), QObject* parent = nullptr);
    ~Single_Instance() override;

    enum class Role { Primary, Secondary, Failed };
    // Primary: this is the first instance and listens for hand-offs.
    Role Start();
    // Secondary: sends the record to the running instance.
    bool Send(const Handoff_Record& r, int timeout_ms = 3000);

    // Called on the GUI thread for every complete record received.
    std::function<void(const Handoff_Record&)> on_handoff;

    QString Socket_Path() const { return socket_path_; }
    // Why there is no single-instance rule (Failed); none otherwise.
    const Private_Dir_Error& Error() const { return error_; }
    static QString Instance_Name(const QString& executable_path);

private:
    QString socket_path_;
    Private_Dir_Error error_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace tovan
