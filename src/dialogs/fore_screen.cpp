// The start-screen window.
#include "dialogs/fore_screen.h"

#include "dialogs/dialog_texts.h"
#include "ui_fore_screen.h"

fore_screen::fore_screen(QWidget *parent) : QWidget(parent), ui(new Ui::fore_screen)
{
    ui->setupUi(this);
    ui->version->setText(version_label());
}

fore_screen::~fore_screen() { delete ui; }
