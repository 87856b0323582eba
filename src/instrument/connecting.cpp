// "Connecting.." window: a title bar without buttons, so the user cannot dismiss it mid-probe.
#include "instrument/connecting.h"

#include "platform/box_titles.h"
#include "ui_connecting.h"

connecting::connecting(QWidget *parent) : QDialog(parent), ui(new Ui::connecting)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(145, 52);
    // Some window managers keep their buttons beside a title that asked for none, and would cut it short.
    platform::fit_fixed_window_to_title(*this);
}

connecting::~connecting() { delete ui; }
