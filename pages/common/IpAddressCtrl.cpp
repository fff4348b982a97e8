#include "pages/common/IpAddressCtrl.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent) : QWidget(parent)
{
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(2);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0)
            pLayout->addWidget(new QLabel(QStringLiteral("."), this));
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setMaxLength(3);
        m_fields[i]->setValidator(new QIntValidator(0, 255, m_fields[i]));
        m_fields[i]->setFixedWidth(40);
        m_fields[i]->setAlignment(Qt::AlignCenter);
        pLayout->addWidget(m_fields[i]);
    }
}

int CIpAddressCtrl::GetAddress(std::array<int, 4>& fields) const
{
    int nFilled = 0;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        bool ok = false;
        const int n = m_fields[i]->text().toInt(&ok);
        fields[i] = ok ? n : 0;
        nFilled += ok ? 1 : 0;
    }
    return nFilled;
}

void CIpAddressCtrl::SetAddress(const QString& strAddress)
{
    const QStringList parts = strAddress.split(QLatin1Char('.'));
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(parts.size() == 4 ? parts[static_cast<int>(i)] : QString());
}

void CIpAddressCtrl::ClearAddress()
{
    for (QLineEdit* p : m_fields)
        p->clear();
}
