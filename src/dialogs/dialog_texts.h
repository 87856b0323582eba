// Texts the dialogs compose from values: the version lines, the instrument id and the delete warnings.
#pragma once

#include <QString>
#include <cstdint>

// The release shown by the About box and the front screen.
constexpr double program_version = 2.4;
constexpr int program_release_year = 2019;

// "Software:\nVersion 2.4, 2019"
QString software_line();
// "V2.4"
QString version_label();
// The instrument's identification without its model prefix: ids below 10 are padded to two digits
// ("K260507"), larger ones are written as they are ("K260510", "K2605255").
QString instrument_id_text(uint8_t id);

// Title and the two label texts of a delete warning.
struct delete_warning_text {
    QString title;
    QString question;
    QString detail;
};

// `count` is the number of selected entries and `name` the list's current entry; the name is only shown
// when exactly one entry is selected. Counts are plain ints so that any list size reads correctly.
delete_warning_text experiment_delete_warning(int count, const QString &name);
delete_warning_text analysis_delete_warning(int count, const QString &name);
