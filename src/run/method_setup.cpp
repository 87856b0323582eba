// Rules that keep the method pages consistent, and the run-screen lines of the settings file.
#include "run/method_setup.h"

#include "shell/settings_file.h"

#include <algorithm>

namespace {

constexpr int scan_step_up_from_uV = step_736_uV + 1;   // the uV box's maximum: stepping up from 736
constexpr int rate_limit_per_mV_one = 500;               // mV/s per mV of step, one electrode
constexpr int filter_mode_count = 7;
constexpr int current_range_count = 7;

} // namespace

std::optional<method_index> method_from_index(int index)
{
    if (index < 0 || index >= method_count)
        return std::nullopt;
    return static_cast<method_index>(index);
}

scan_step_box scan_step_box_for(int requested)
{
    if (requested == step_736_uV || requested <= 0)
        return scan_step_box{step_736_uV, scan_step_up_from_uV, step_736_uV, QStringLiteral("uV")};
    if (requested == scan_step_up_from_uV)
        return scan_step_box{form_ranges::scan_step_mV.minimum, form_ranges::scan_step_mV.maximum, 1,
                             QStringLiteral("mV")};
    return scan_step_box{form_ranges::scan_step_mV.minimum, form_ranges::scan_step_mV.maximum,
                         std::min(requested, form_ranges::scan_step_mV.maximum), QStringLiteral("mV")};
}

int rate_step_mV(int scan_step)
{
    // Through the step box's own rule, so a value on its way to another unit counts as where it ends up.
    return whole_step_mV(scan_step_box_for(scan_step).value);
}

rate_limits rate_limits_for(int scan_step, bool we1, bool we2, int scan_rate, int lsv_rate)
{
    const int channels = (we1 && we2) ? 2 : 1;
    const int64_t limit = int64_t(rate_limit_per_mV_one / channels) * rate_step_mV(scan_step);
    rate_limits r;
    r.maximum = int(std::min<int64_t>(limit, UINT16_MAX));
    r.scan_rate = std::clamp(scan_rate, form_ranges::scan_rate.minimum, r.maximum);
    r.lsv_rate = std::clamp(lsv_rate, form_ranges::lsv_rate.minimum, r.maximum);
    return r;
}

ei_box ei_box_for(bool ei_equals_er1, int er1_mV, int ei_mV)
{
    if (ei_equals_er1)
        return ei_box{er1_mV, false};
    return ei_box{ei_mV, true};
}

cv_page_load load_cv_page(const cv_parameters &loaded, bool we1, bool we2, int lsv_rate)
{
    cv_page_load out;
    cv_parameters &v = out.values;
    v = loaded;
    v.er1_mV = form_ranges::potential_mV.clamp(loaded.er1_mV);
    v.er2_mV = form_ranges::potential_mV.clamp(loaded.er2_mV);
    v.repeat = form_ranges::repeat.clamp(loaded.repeat);
    out.step_box = scan_step_box_for(loaded.step);
    v.step = out.step_box.value;
    const ei_box ei = ei_box_for(loaded.ei_equals_er1, v.er1_mV, form_ranges::potential_mV.clamp(loaded.ei_mV));
    v.ei_mV = ei.value_mV;
    out.ei_enabled = ei.enabled;
    // The step is settled first: the rates are limited by the step that was loaded, not the one it replaces.
    out.limits = rate_limits_for(v.step, we1, we2, loaded.rate_mV_s, lsv_rate);
    v.rate_mV_s = out.limits.scan_rate;
    return out;
}

std::optional<method_view> method_view_for(int index, const std::array<uint8_t, method_count> &filter_choice)
{
    if (!method_from_index(index))
        return std::nullopt;
    const int mode = filter_choice[size_t(index)];
    return method_view{index, mode < filter_mode_count ? mode : 0};
}

run_screen_settings run_screen_settings_from(const QStringList &lines)
{
    namespace sf = settings_file;
    run_screen_settings s;
    if (const auto v = sf::int_at(lines, sf::we1_active))
        s.we1 = *v != 0;
    if (const auto v = sf::int_at(lines, sf::we2_active))
        s.we2 = *v != 0;
    s.range_index = sf::index_at(lines, sf::current_range, current_range_count);
    if (const auto v = sf::index_at(lines, sf::default_method, method_count))
        s.method = method_from_index(*v);
    if (const auto v = sf::int_at(lines, sf::plot_mode))
        s.overlay = *v != 0;
    s.filter_mode = sf::index_at(lines, sf::filter_choice, filter_mode_count);
    return s;
}

uint8_t extra_time_from(const QStringList &lines)
{
    const auto text = settings_file::text_at(lines, settings_file::quiet_time_s);
    if (!text)
        return 0;
    const int seconds = text->section(QLatin1Char('\t'), 0, 0).toInt(nullptr, 10);
    return uint8_t(std::clamp(seconds, 0, int(UINT8_MAX)));
}
