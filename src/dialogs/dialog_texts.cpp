// Texts the dialogs compose from values.
#include "dialogs/dialog_texts.h"

namespace {
QString version_number() { return QString::number(program_version, 'g', 6); }

QString single_item_title(const QString &name) { return QStringLiteral("Warning:Delete \"") + name + QLatin1Char('"'); }

QString several_items_title(int count) { return QString::number(count) + QStringLiteral(" items are selected"); }
} // namespace

QString software_line()
{
    return QStringLiteral("Software:\nVersion ") + version_number() + QStringLiteral(", ") +
           QString::number(program_release_year);
}

QString version_label() { return QStringLiteral("V") + version_number(); }

QString instrument_id_text(uint8_t id)
{
    return (id > 9 ? QStringLiteral("K2605") : QStringLiteral("K26050")) + QString::number(id);
}

delete_warning_text experiment_delete_warning(int count, const QString &name)
{
    if (count == 1)
        return {single_item_title(name), QStringLiteral("Do you want to delete this experiment?"),
                name + QStringLiteral(".qve\nAll the data of the unsaved experiment will be lost.")};
    return {several_items_title(count), QStringLiteral("Do you want to delete these experiments?"),
            QStringLiteral("All the data of the unsaved experiments will be lost.")};
}

delete_warning_text analysis_delete_warning(int count, const QString &name)
{
    const QString detail =
        QStringLiteral("Only the current unsaved analyses will be deleted.\nExperiment raw data will not be modified.");
    if (count == 1)
        return {single_item_title(name), QStringLiteral("Do you want to delete this analysis?"), detail};
    return {several_items_title(count), QStringLiteral("Do you want to delete these analyses?"), detail};
}
