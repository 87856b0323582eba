// The report-settings form.
#include "shell/reports_settings_box.h"

#include "shell/window_icon.h"
#include "ui_reports_settings_box.h"

reports_settings_box::reports_settings_box(QWidget *parent) : QWidget(parent), ui(new Ui::reports_settings_box)
{
    ui->setupUi(this);
    setWindowIcon(program_window_icon());
}

reports_settings_box::~reports_settings_box() { delete ui; }
