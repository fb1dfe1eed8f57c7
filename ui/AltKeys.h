#pragma once

class QKeyEvent;
class QObject;

// True when `key`, arriving at `receiver`, is an Alt combination that a line edit would take for
// a typed character. Alt combinations are commands; the window's menus answer few of them, and
// the rest must not turn into letters in a folder or password. AltGr is no Alt: it types
// characters of their own on many layouts, and arrives as the group switch or as Alt with Ctrl.
bool IsAltTextForEdit(const QObject* receiver, const QKeyEvent& key);
