// Data-driven tests that run once per measuring method.
#pragma once

#include "instrument/method_names.h"

#include <QtTest>

// Adds the int column "method" and one row per method, named after it.
inline void add_method_rows()
{
    QTest::addColumn<int>("method");
    for (int m = 0; m < method_count; ++m)
        QTest::newRow(qPrintable(method_name(static_cast<method_index>(m)))) << m;
}
