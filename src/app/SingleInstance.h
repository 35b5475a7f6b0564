#pragma once
// Only one copy of the tool runs per user: the first copy listens on a local socket named after
// the application title; a later copy finds it there, asks it to show itself and ends.
#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // key: the application title; the user id is added so that two users on one machine
    // do not see each other's copy.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another copy answered and was asked to come to the front: this copy should end.
    // Otherwise this copy becomes the one that listens.
    bool AnotherCopyRuns();

    // The window that a later copy brings forward (restored when minimised, else raised).
    void SetWindow(QWidget* window) { window_ = window; }

    QString ServerName() const { return serverName_; }

signals:
    void ShowRequested();

private:
    void onNewConnection();
    void bringWindowForward();

    QString serverName_;
    QLocalServer* server_ = nullptr;
    QWidget* window_ = nullptr;
};
