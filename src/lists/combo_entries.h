// The texts of a combo box's entries, in order.
#pragma once

#include <QComboBox>
#include <QStringList>

inline QStringList combo_entries(const QComboBox *box)
{
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}
