// The main window's About box.
#pragma once

#include <QDialog>
#include <QString>

class QWidget;

// The About box: topmost, captioned device name + " Module", with the module's version texts.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDC_DEVICE_TEXT = 1049;

    explicit CAboutDlg(const QString& strDeviceName, QWidget* parent = nullptr);
};
