#pragma once
#include <QString>
#include "base/a.h"
