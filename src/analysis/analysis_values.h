// Numbers and texts of an analysis: hundredths, the result-text format, the ten result lines, and the
// name rules of the analysis list.
#pragma once

#include "analysis/peak_tangents.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

namespace analysis {

// v cut toward zero to a whole number of hundredths, in double arithmetic (no integer overflow); not finite -> 0.
double cut_to_hundredths(double v);

// Result-text form: up to six significant digits ('g', 6). The value labels, and the files that copy them, take
// their text from analysis_list::shown_value alone.
QString text_number(double v);

// What the ten result lines are built from (the combo and user texts as the window shows them).
struct result_text {
    QString experiment;  // experiment box text
    QString channel;     // channel box text
    QString cycle;       // cycle box text
    int rate = 0;        // mV/s
    peak_values values;
    QDateTime when;      // the moment of the rebuild
    QString user;        // user box text
};
// The details lines of an analysis, for "Peaks" after every tangent change and for "Pearson's RR".
QStringList result_lines(const result_text &t);
// Lines made while no user was known (at the hand-over, before the users arrive) end in a bare "User:": names
// `user` there. Returns whether the lines changed.
bool name_missing_user(QStringList &lines, const QString &user);

// One row of the analysis list for the naming rule.
struct listed_analysis {
    QString name;
    bool saved = false;
};
// Name for the analyse action: base, or base_1, base_2 ... while a saved row holds the name; an unsaved row of the
// same name is analysed again in place.
QString unique_analysis_name(const QString &base, const QVector<listed_analysis> &rows);

// List name of an opened analysis file: base, or base_1, base_2 ... while any row holds the name.
QString unique_list_name(const QString &base, const QStringList &names);

}  // namespace analysis
