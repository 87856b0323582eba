// The settings box's values and the settings-file lines.
#include "shell/settings_values.h"

#include "shell/settings_file.h"

namespace settings_items {
QStringList analysis_protocols() { return {QStringLiteral("Tangent"), QStringLiteral("Pearson's RR")}; }
} // namespace settings_items

QStringList settings_lines(const settings_values &v)
{
    // An emptied list reports index -1; "-1" in the file would be refused on the next load and is written
    // as the first item instead.
    auto index = [](int n) { return n < 0 ? 0 : n; };
    const QStringList protocols = settings_items::analysis_protocols();
    const int analysis = index(v.analysis_protocol);
    const QString protocol = analysis < protocols.size() ? protocols.at(analysis) : QString();
    auto number = [&index](int n) { return QString::number(index(n)); };
    return {v.user,
            QStringLiteral("1"),
            v.device,
            number(v.we1 ? 1 : 0),
            number(v.we2 ? 1 : 0),
            number(v.current_range),
            number(v.scan_protocol),
            protocol,
            number(v.report_type),
            number(v.plot_mode),
            number(v.image_type),
            number(v.image_size),
            number(v.resolution),
            number(v.report_template),
            number(v.report_image_size),
            number(v.quiet_time_s),
            number(v.filter)};
}

settings_values apply_settings_lines(settings_values v, const QStringList &lines)
{
    namespace sf = settings_file;
    if (const auto n = sf::int_at(lines, sf::we1_active))
        v.we1 = *n != 0;
    if (const auto n = sf::int_at(lines, sf::we2_active))
        v.we2 = *n != 0;
    auto take = [&lines](int line, int count, int &field) {
        if (const auto index = sf::index_at(lines, line, count))
            field = *index;
    };
    take(sf::current_range, settings_items::current_range, v.current_range);
    take(sf::default_method, settings_items::scan_protocol, v.scan_protocol);
    take(sf::report_type, settings_items::report_type, v.report_type);
    take(sf::plot_mode, settings_items::plot_mode, v.plot_mode);
    take(sf::image_type, settings_items::image_type, v.image_type);
    take(sf::image_size, settings_items::image_size, v.image_size);
    take(sf::resolution, settings_items::resolution, v.resolution);
    take(sf::report_template, settings_items::report_template, v.report_template);
    take(sf::report_image_size, settings_items::image_size, v.report_image_size);
    take(sf::filter_choice, settings_items::filter, v.filter);
    take(sf::quiet_time_s, settings_items::quiet_time_max_s + 1, v.quiet_time_s);
    if (const auto text = sf::text_at(lines, sf::analysis_protocol)) {
        const int index = settings_items::analysis_protocols().indexOf(*text);
        if (index >= 0)
            v.analysis_protocol = index;
    }
    return v;
}

settings_values reset_all(settings_values v)
{
    v.we1 = true;
    v.we2 = true;
    v.current_range = 0;
    v.scan_protocol = 0;
    v.analysis_protocol = 0;
    v.report_type = 0;
    v.plot_mode = 0;
    v.image_size = 0;
    v.resolution = 0;
    v.report_template = 0;
    v.report_image_size = 0;
    return v;
}
