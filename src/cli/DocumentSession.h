#pragma once

#include "app/HeadlessAppPlatform.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class AppController;
class MyDocument;
#include <QVariantMap>
#include <functional>

// The application without windows for one command: its own caches tree and
// preferences in a temporary folder (so a running desktop copy is never
// disturbed), documents that run their workers in place, and the open and
// save flows driven to their end.
class DocumentSession
{
public:
    DocumentSession();
    ~DocumentSession();

    bool isReady() const { return m_ready; }
    QString errorString() const { return m_error; }

    MyDocument *newDocument();
    // Runs the application's open flow for the package, asking for the
    // password when it is protected; null with errorString() on failure.
    MyDocument *openPackage(const QString &path);
    // The package at path (".pgcd" added when missing) with the stored list
    // of that title made current; null with errorString() on failure.
    MyDocument *openList(const QString &path, const QString &title);
    // "NAME" -> "NAME.pgcd"; a path with the extension stays.
    static QString packagePath(const QString &path);

    // Saves to path (in place when empty) and waits for the end.
    bool save(MyDocument *document, const QString &path = QString());
    // Protects the next saves with this title and password.
    bool protectWith(const QString &title, const QString &password);

    AppController *appController() const { return m_app.get(); }

private:
    bool runInPlace(const QVariantMap &task);
    bool waitFor(const std::function<bool()> &done, int timeoutMs);

    QTemporaryDir m_home;
    HeadlessAppPlatform m_platform;
    std::unique_ptr<AppController> m_app;
    bool m_ready = false;
    QString m_error;
};
