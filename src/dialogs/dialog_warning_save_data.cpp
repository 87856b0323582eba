// Warning before unsaved experiments are discarded at exit.
#include "dialogs/dialog_warning_save_data.h"

#include "dialogs/warning_fit.h"
#include "ui_dialog_warning_save_data.h"

#include <QIcon>

dialog_warning_save_data::dialog_warning_save_data(QWidget *parent)
    : QWidget(parent), ui(new Ui::dialog_warning_save_data)
{
    ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral("Libraries/icons/QV_icons/qv256.ico")));
    // The same rule as the delete warnings, in case a desktop's faces are larger than the form allows for.
    fit_warning_to_texts(*this, *ui->layoutWidget, {size(), ui->layoutWidget->geometry()});
}

dialog_warning_save_data::~dialog_warning_save_data() { delete ui; }

void dialog_warning_save_data::on_pushButton_clicked() { emit close_app_signal(); }

void dialog_warning_save_data::on_pushButton_3_clicked() { close(); }
