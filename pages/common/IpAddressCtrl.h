// CIpAddressCtrl: four fields of 0 to 255 for an IPv4 address, as the pages' address controls are.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

class QLineEdit;

class CIpAddressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CIpAddressCtrl(QWidget* parent = nullptr);

    // The number of fields that hold a value, and the four values (0 for an empty field).
    int GetAddress(std::array<int, 4>& fields) const;
    // "a.b.c.d", or empty fields for a text that is not one.
    void SetAddress(const QString& strAddress);
    void ClearAddress();
    QLineEdit* Field(int i) const { return m_fields[static_cast<size_t>(i)]; }

private:
    std::array<QLineEdit*, 4> m_fields{};
};
