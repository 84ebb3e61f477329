#pragma once

// The window tests start the whole program: its settings, trash, data and single-instance socket
// go to a temporary folder of the test run, not to the person's own. On Windows the settings are
// the registry's and the trash is the Recycle Bin: the tests that start the program write the
// program's own key, so the Windows check runs them in a Wine prefix of their own. The dialogs'
// tests keep their settings under a key of the tests (without a name, Qt keeps none on Windows).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// The variable that names the root of the user's data folders, as the engine reads it.
#ifdef Q_OS_WIN
inline const char* const kUserDataRoot = "LOCALAPPDATA";
#else
inline const char* const kUserDataRoot = "XDG_DATA_HOME";
#endif

// What the system had set there before the run moved it.
inline QByteArray& SystemUserDataRoot()
{
    static QByteArray value;
    return value;
}

inline void KeepTheRunIn(const QTemporaryDir& home)
{
    SystemUserDataRoot() = qgetenv(kUserDataRoot);
    QCoreApplication::setOrganizationName(QStringLiteral("Telvarion tests"));
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv(kUserDataRoot, QFile::encodeName(QDir::toNativeSeparators(home.filePath(QStringLiteral("share")))));
}
