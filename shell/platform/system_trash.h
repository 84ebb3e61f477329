#pragma once

#include <QString>

// Moves a file to the system's trash (the Recycle Bin on Windows), from where the person can take
// it back. False when it could not, the file left where it was.
bool MoveToSystemTrash(const QString& file);
