// Requests that would otherwise hold the window's event loop for seconds (a write the device may not
// answer): the request runs on a thread of its own while the loop goes on painting and blinking, with
// the wait cursor shown and the window's input held off until the result is there.
#pragma once

#include <functional>

class QWidget;

// Runs work and returns its result. pWindow (may be null) takes no input meanwhile.
int RunWhileResponsive(QWidget* pWindow, const std::function<int()>& work);
