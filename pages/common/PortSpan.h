// The From Port and To Port boxes of pages that write a span of ports: the span never runs backwards.
#pragma once

class QComboBox;
class QWidget;

// After the user picked in To Port: a To Port below From Port shows "'To Port' can not be smaller
// than 'From Port'" and takes From Port's selection.
void KeepPortSpanOrder(QComboBox& from, QComboBox& to, QWidget* pPage);
