// The main window's confirmation question and About box.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QWidget;

// A confirmation question with OK and Cancel, the question icon and Cancel as the default button.
// True only when the user chose OK. Without a visible display (the offscreen platform) nobody could
// answer, so the question is written to the trace channel and counts as cancelled.
bool AppQuestionBox(const QString& text, QWidget* parent = nullptr);

// Replaces the question (for tests): the handler gets the text and returns whether OK was chosen.
// An empty handler restores the real box.
using AppQuestionHandler = std::function<bool(const QString& text)>;
void SetAppQuestionHandler(AppQuestionHandler handler);

// The About box: topmost, captioned device name + " Module", with the module's version texts.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDC_DEVICE_TEXT = 1049;

    explicit CAboutDlg(const QString& strDeviceName, QWidget* parent = nullptr);
};
