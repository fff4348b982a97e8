// The application's message box for start-up messages: an information box with an OK button and no
// icon. Everything goes through AppMessageBox so that tests can answer it with a recorder.
#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows text and returns when the user has confirmed it. Without a visible display (the offscreen
// platform) nobody could answer, so the text is written to the trace channel and the call returns.
void AppMessageBox(const QString& text, QWidget* parent = nullptr);

// Replaces the box (for tests); an empty handler restores the real one.
using AppMessageBoxHandler = std::function<void(const QString& text)>;
void SetAppMessageBoxHandler(AppMessageBoxHandler handler);
