// "Connecting.." window: a title bar without buttons, so the user cannot dismiss it mid-probe.
#include "instrument/connecting.h"

#include "ui_connecting.h"

connecting::connecting(QWidget *parent) : QDialog(parent), ui(new Ui::connecting)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(145, 52);
}

connecting::~connecting() { delete ui; }
