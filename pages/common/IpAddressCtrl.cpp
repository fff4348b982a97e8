#include "pages/common/IpAddressCtrl.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

CIpAddressCtrl::CIpAddressCtrl(QWidget* parent) : QWidget(parent)
{
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(1);
    for (int i = 0; i < 4; ++i) {
        auto* pField = new QLineEdit(this);
        pField->setMaxLength(3);
        pField->setValidator(new QIntValidator(0, 255, pField));
        pField->setAlignment(Qt::AlignCenter);
        pField->setFixedWidth(36);
        m_fields[static_cast<size_t>(i)] = pField;
        pLayout->addWidget(pField);
        if (i < 3) {
            pLayout->addWidget(new QLabel(QStringLiteral("."), this));
            // Three digits move on to the next field, as the framework's control does.
            connect(pField, &QLineEdit::textEdited, this, [this, i](const QString& text) {
                if (text.size() == 3)
                    m_fields[static_cast<size_t>(i + 1)]->setFocus();
            });
        }
    }
    pLayout->addStretch();
    setFocusProxy(m_fields[0]);
}

int CIpAddressCtrl::FilledFields() const
{
    int n = 0;
    for (const QLineEdit* p : m_fields)
        n += p->text().isEmpty() ? 0 : 1;
    return n;
}

QString CIpAddressCtrl::Field(int i) const
{
    return i >= 0 && i < 4 ? m_fields[static_cast<size_t>(i)]->text() : QString();
}

int CIpAddressCtrl::GetAddress(std::array<int, 4>& fields) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i] = m_fields[i]->text().toInt();
    return FilledFields();
}

QString CIpAddressCtrl::Address() const
{
    QStringList parts;
    for (const QLineEdit* p : m_fields)
        parts << QString::number(p->text().toInt());
    return parts.join(QLatin1Char('.'));
}

void CIpAddressCtrl::SetAddress(const QString& strDotted)
{
    const QStringList parts = strDotted.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int n = i < parts.size() ? parts[i].toInt(&ok) : -1;
        m_fields[static_cast<size_t>(i)]->setText(ok && n >= 0 && n <= 255 ? QString::number(n) : QString());
    }
}

void CIpAddressCtrl::Clear()
{
    for (QLineEdit* p : m_fields)
        p->clear();
}

void CIpAddressCtrl::SetFocus()
{
    m_fields[0]->setFocus();
}
