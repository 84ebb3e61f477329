#pragma once

// The window tests start the whole program: its settings, trash, data and single-instance socket
// go to a temporary folder of the test run, not to the person's own.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

inline void KeepTheRunIn(const QTemporaryDir& home)
{
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("share"))));
}
