// Requests that would otherwise hold the window's event loop for seconds (a write the device may not
// answer): the request runs on a thread of its own while the loop goes on painting and blinking, with
// the wait cursor shown and the window's input held off until the result is there.
#pragma once

#include <functional>

class CCommonSNMP;
class QWidget;

// Runs work and returns its result. pWindow (may be null) takes no input meanwhile.
int RunWhileResponsive(QWidget* pWindow, const std::function<int()>& work);

// One SET on session: opened, the bindings added by addBindings, sent while pWindow stays
// responsive. True when the switch took them.
bool SendSetWhileResponsive(QWidget* pWindow, CCommonSNMP& session, const std::function<void()>& addBindings);
