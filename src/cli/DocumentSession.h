#pragma once

#include "app/HeadlessAppPlatform.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

#include <QVariantMap>

#include <functional>

class AppController;
class MyDocument;
class PackageLock;

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
    // Holds the package's writer lock until the session ends; false (with
    // errorString()) when another writer holds it.
    bool lockForWriting(const QString &packagePath);
    // Runs the application's open flow for the package, asking for the
    // password when it is protected; null with errorString() on failure.
    MyDocument *openPackage(const QString &path);
    // The package at path (".pgcd" added when missing) with the stored list
    // of that title read and made current; null with errorString() when the
    // list is missing or cannot be read (never another list in its place).
    // forWriting takes the package's writer lock first.
    MyDocument *openList(const QString &path, const QString &title, bool forWriting = false);
    // "NAME" -> "NAME.pgcd"; a path with the extension stays.
    static QString packagePath(const QString &path);

    // Saves to path (in place when empty) and waits for the end.
    bool save(MyDocument *document, const QString &path = QString());
    // Protects the next saves with this title and password.
    bool protectWith(const QString &title, const QString &password);

    AppController *appController() const { return m_app.get(); }

    // The package's own folder, resolved: nothing may be written inside it
    // but the package's own saves. Empty before a package is opened.
    QString openPackagePath() const { return m_openPackagePath; }

private:
    // Removes the homes of earlier sessions that were killed: each holds a
    // whole working copy of the packages it had open.
    static void removeAbandonedHomes(const QString &ownHome);
    bool runInPlace(const QVariantMap &task);
    bool waitFor(const std::function<bool()> &done, int timeoutMs);

    static QString homePrefix();

    QTemporaryDir m_home{homePrefix() + QStringLiteral("XXXXXX")};
    std::unique_ptr<PackageLock> m_lock;
    QString m_openPackagePath;
    HeadlessAppPlatform m_platform;
    std::unique_ptr<AppController> m_app;
    bool m_ready = false;
    QString m_error;
};
