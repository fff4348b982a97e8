// The module's one message-box service. Every user message of the main window and the pages goes
// through it: an information box (OK button, no icon unless the caller names one) or a confirmation
// question (OK and Cancel, question icon, Cancel the default; only OK proceeds).
//
// Tests install a handler that records each box and answers the questions; without a handler and
// without a visible display (the offscreen platform) nobody could answer, so the box is written to
// the trace channel and the call returns (a question counts as cancelled).
#pragma once

#include <QString>

#include <functional>

class QWidget;

enum class MsgIcon { None, Information, Warning, Critical };

// Shows text with an OK button and returns once the user has confirmed it.
void AppMessageBox(const QString& text, QWidget* parent = nullptr, MsgIcon icon = MsgIcon::None);

// Asks text with OK and Cancel; true only when the user chose OK.
bool AppQuestionBox(const QString& text, QWidget* parent = nullptr);

// What a box asks, as a handler sees it.
struct CMessageBoxRequest {
    bool bQuestion = false;      // OK/Cancel question, else information box
    MsgIcon icon = MsgIcon::None;  // information boxes only
    QString text;
};

// Replaces the boxes (for tests): the handler gets every request and returns whether OK was chosen
// (ignored for information boxes). An empty handler restores the real boxes. May be called from any
// thread; the boxes themselves are shown only by the GUI thread.
using MessageBoxHandler = std::function<bool(const CMessageBoxRequest& request)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
