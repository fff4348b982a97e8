// The module's main window. For now an empty dialog that reads User.ini, carries the device title and
// comes to the front when a second start for the same device asks for it.
#pragma once

#include <QDialog>
#include <QString>

class CModuleDlg : public QDialog {
    Q_OBJECT
public:
    // iniPath: the settings file to read (User.ini next to the program).
    explicit CModuleDlg(const QString& iniPath, QWidget* parent = nullptr);

    // Initialises the window (User.ini, title), then runs it modally.
    int DoModal();
    // Reads User.ini into the settings and titles the window. Returns true, like a dialog's
    // initialisation; a missing DeviceName or XMLName is reported and leaves the window empty.
    bool OnInitDialog();

    int portNum() const { return m_nPortNum; }
    int extraPortNum() const { return m_nExtraPortNum; }

public slots:
    // A second start for this device: show normally (not minimised), raise and activate.
    void OnActivateRequest();

private:
    QString m_strIniPath;
    QString m_strDeviceName;
    QString m_strXMLName;
    int m_nPortNum = 0;
    int m_nExtraPortNum = 0;
};

// Ports with a fibre twin for a port count: 4 for 24, 48, 16, 52 and 28, 2 for 10, 0 for any other.
int ExtraPortNum(int portNum);
