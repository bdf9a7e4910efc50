#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <filesystem>

namespace zelvorin::ui {

// One desktop process per device: the first one listens on a local socket (the owner's only);
// a later one hands its message (a "zelvorin:" URL, or "activate") to it and exits.
//
// Messages are one line of UTF-8; the running process answers "ok" once it has taken the line,
// so a second process that exits 0 knows its URL arrived.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    // The socket of the device whose data lives in `applicationSupport`: in $XDG_RUNTIME_DIR
    // (else the temporary folder), named after the user and a hash of the data folder, so that
    // devices in separate folders run side by side.
    static QString socketPathFor(const std::filesystem::path& applicationSupport);

    // Starts listening; false when another process already does (a stale socket left by a crash
    // is removed and taken over).
    bool listen();
    // Hands `message` to the running process; true once it confirmed.
    bool sendToRunning(const QString& message, int timeoutMs = 5000) const;

signals:
    void messageReceived(const QString& message);

private:
    void acceptConnection();

    QString socketPath_;
    QLocalServer server_;
};

}  // namespace zelvorin::ui
