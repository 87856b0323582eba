// Numbers, texts and list names of analyses.
#include "analysis/analysis_values.h"

#include <cmath>

namespace analysis {

double cut_to_hundredths(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::trunc(v / 0.01) * 0.01;
}

QString text_number(double v) { return QString::number(v, 'g', 6); }

QStringList result_lines(const result_text &t)
{
    return {
        t.experiment,
        QStringLiteral("Channel:") + t.channel + QStringLiteral(", Cycle:") + t.cycle,
        QStringLiteral("Rate(mV/sec): ") + QString::number(t.rate),
        QStringLiteral("Epa(mV): ") + text_number(t.values.Epa),
        QStringLiteral("Ipa(µA): ") + text_number(t.values.Ipa),
        QStringLiteral("Epc(mV): ") + text_number(t.values.Epc),
        QStringLiteral("Ipc(µA): ") + text_number(t.values.Ipc),
        QString(),
        QStringLiteral("Date:") + t.when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")),
        QStringLiteral("User:") + t.user,
    };
}

bool name_missing_user(QStringList &lines, const QString &user)
{
    if (user.isEmpty() || lines.isEmpty() || lines.last() != QLatin1String("User:"))
        return false;
    lines.last() += user;
    return true;
}

namespace {
// base, base_1, base_2 ... : the first name that no row holding it counts against.
template <typename Taken>
QString first_free(const QString &base, int rows, Taken taken)
{
    QString name = base;
    int counter = 1;
    for (int i = 0; i < rows;) {
        if (taken(i, name)) {
            name = base + QLatin1Char('_') + QString::number(counter++);
            i = 0;
        } else {
            ++i;
        }
    }
    return name;
}
}  // namespace

QString unique_analysis_name(const QString &base, const QVector<listed_analysis> &rows)
{
    return first_free(base, rows.size(),
                      [&](int i, const QString &name) { return rows[i].saved && rows[i].name == name; });
}

QString unique_list_name(const QString &base, const QStringList &names)
{
    return first_free(base, names.size(), [&](int i, const QString &name) { return names[i] == name; });
}

}  // namespace analysis
