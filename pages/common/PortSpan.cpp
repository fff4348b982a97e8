#include "pages/common/PortSpan.h"

#include "pages/common/MessageBox.h"

#include <QComboBox>

void KeepPortSpanOrder(QComboBox& from, QComboBox& to, QWidget* pPage)
{
    if (to.currentIndex() >= from.currentIndex())
        return;
    AppMessageBox(QStringLiteral("'To Port' can not be smaller than 'From Port'"), pPage);
    to.setCurrentIndex(from.currentIndex());
}
