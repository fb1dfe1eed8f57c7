#pragma once

#include <QByteArray>

// The value for QTWEBENGINE_CHROMIUM_FLAGS: the switches a user set, kept and placed first (for
// a switch given twice the engine takes the last), then the ones that keep every page off the
// network and its scripts' heap within `scriptHeapMb`. A user's --js-flags go inside ours.
QByteArray ConfinedEngineFlags(const QByteArray& userFlags, int scriptHeapMb);
