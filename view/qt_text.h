#pragma once

// The edge between the engine's code page 1251 text and Qt's Unicode. Display never changes a
// stored byte: converting there and back gives the same bytes for every character of the page.

#include <string>

#include <QString>

#include "base/codepage.h"

inline QString FromCp1251(const std::string& s) { return QString::fromStdString(codepage::Cp1251ToUtf8(s)); }
inline std::string ToCp1251(const QString& s) { return codepage::Utf8ToCp1251(s.toStdString()); }
inline QString FromUtf8(const std::string& s) { return QString::fromStdString(s); }
inline std::string ToUtf8(const QString& s) { return s.toStdString(); }
