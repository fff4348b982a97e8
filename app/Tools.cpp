#include "app/Tools.h"

#include "panel/MyBitmapApp.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>


CAboutDlg::CAboutDlg(const QString& strDeviceName, QWidget* parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowTitle(strDeviceName + QStringLiteral(" Module"));
    if (QGuiApplication::instance())
        setWindowIcon(PanelIcon());

    auto* pLayout = new QVBoxLayout(this);
    auto* pTop = new QGridLayout;
    auto* pIcon = new QLabel(this);
    pIcon->setPixmap(PanelIcon().pixmap(32, 32));
    pTop->addWidget(pIcon, 0, 0, 4, 1, Qt::AlignTop);

    auto* pDevice = new QLabel(strDeviceName + QStringLiteral(" Management Module"), this);
    pDevice->setObjectName(QString::number(IDC_DEVICE_TEXT));
    pTop->addWidget(pDevice, 0, 1, 1, 2);
    const struct { const char* name; const char* value; } rows[] = {
        {"Firmware Version         ", ": 2.00.xxx"},
        {"Quillon Module Version   ", ": 2.0.0.11"},
    };
    int nRow = 1;
    for (const auto& row : rows) {
        pTop->addWidget(new QLabel(QString::fromLatin1(row.name), this), nRow, 1);
        pTop->addWidget(new QLabel(QString::fromLatin1(row.value), this), nRow, 2);
        ++nRow;
    }
    pTop->addWidget(new QLabel(QStringLiteral("Hardware: A1"), this), nRow, 1, 1, 2);
    pLayout->addLayout(pTop);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    pButtons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    pLayout->addWidget(pButtons);
}
