// The values the settings box edits, and how they map to and from the 17 settings-file lines.
#pragma once

#include <QString>
#include <QStringList>

// Item counts of the settings box's lists; a stored index is applied only when it lies below these.
namespace settings_items {
constexpr int current_range = 7;  // "2250" .. "2.25" µA, as on the run screen
constexpr int scan_protocol = 7;  // the seven methods
constexpr int report_type = 2;
constexpr int plot_mode = 2;      // "Overlay", "Single"
constexpr int image_type = 2;     // ".PNG", ".JPG"
constexpr int image_size = 3;     // "640x480", "800x600", "Default"
constexpr int resolution = 2;
constexpr int report_template = 2;
constexpr int filter = 7;         // "Automatic" .. "10Hz"
constexpr int quiet_time_max_s = 99;
// Line 7 keeps the item text, not the index.
QStringList analysis_protocols();  // "Tangent", "Pearson's RR"
} // namespace settings_items

// One field per widget of the settings box; the defaults are the form's starting values.
struct settings_values {
    QString user;             // line 0 (text)
    QString device;           // line 2 (text), empty when no instrument is listed
    bool we1 = true;          // line 3
    bool we2 = true;          // line 4
    int current_range = 3;    // line 5
    int scan_protocol = 0;    // line 6
    int analysis_protocol = 0;  // line 7 (stored as its item text)
    int report_type = 0;      // line 8
    int plot_mode = 0;        // line 9
    int image_type = 0;       // line 10
    int image_size = 2;       // line 11
    int resolution = 0;       // line 12
    int report_template = 0;  // line 13
    int report_image_size = 2;  // line 14
    int quiet_time_s = 0;     // line 15
    int filter = 0;           // line 16
};

// The whole file as Save writes it: line 1 is always "1".
QStringList settings_lines(const settings_values &values);

// Takes lines 3 to 16 into `values`. A missing line, an index outside its list, a quiet time outside
// 0..99 or an unknown analysis-protocol text leaves that field as it was. Lines 0 to 2 are not read:
// the user and the device come from the run screen.
settings_values apply_settings_lines(settings_values values, const QStringList &lines);

// What Reset All leaves: the first item of every list, both channels on; the image type, the quiet time
// and the filter are kept. The user and device boxes (fed by the run screen) go to their first item
// in the box itself.
settings_values reset_all(settings_values values);
