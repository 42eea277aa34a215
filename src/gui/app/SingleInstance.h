#pragma once

// One running program per user and display. The globe is one per process, so a second start
// of the program hands its files to the running one over a local socket and ends, and
// double-clicking several KML files fills one globe.

#include <QLocalServer>
#include <QObject>
#include <QStringList>
#include <memory>

class QLocalSocket;

namespace orvane {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Start {
        HandedOver,  // a running program took the files: this one ends
        Listening,   // this is the running program now
        Alone,       // neither: this one runs without taking files from later starts
    };

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands the files to the running program when there is one, otherwise starts listening
    // for later starts. A socket left behind by a program that ended abnormally is replaced.
    Start HandOverOrListen(const QStringList& files);
    // Later starts no longer reach this program (its main window has closed).
    void StopListening();
    QString SocketPath() const { return socketPath_; }
    // Why the hand-over or listening failed, for the user.
    QString ErrorText() const { return errorText_; }

    // The socket of the user's program on this display: in $XDG_RUNTIME_DIR, else in the
    // temporary folder with the user's id in its name.
    static QString DefaultSocketPath();

  signals:
    // Another start handed these files over (none when it was started without files).
    void FilesReceived(const QStringList& files);

  private:
    enum class HandOver { Done, NoProgram, Failed };
    HandOver TryHandOver(const QStringList& files);
    bool Listen();
    void Accept();
    void Receive(QLocalSocket* socket);

    QString socketPath_;
    QString errorText_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace orvane
