// CIpAddressCtrl: the framework's IP address control, four fields of 0 to 255. A field may be blank;
// pages check how many are filled before they take the address.
#pragma once

#include <QString>
#include <QWidget>

#include <array>

class QLineEdit;

class CIpAddressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CIpAddressCtrl(QWidget* parent = nullptr);

    // The number of fields that are not blank.
    int FilledFields() const;
    // Field i (0..3) as typed, "" when blank.
    QString Field(int i) const;
    // The number of fields that are not blank, and the four values (0 for a blank field).
    int GetAddress(std::array<int, 4>& fields) const;
    // The four fields joined by dots (blank fields as "0").
    QString Address() const;
    // Fills the fields from dotted text; fields it lacks or that are not numbers 0..255 stay blank.
    void SetAddress(const QString& strDotted);
    void Clear();
    // Focus goes to the first field.
    void SetFocus();

private:
    std::array<QLineEdit*, 4> m_fields{};
};
