// The About box.
#include "dialogs/about_dialog_box.h"

#include "dialogs/dialog_texts.h"
#include "ui_about_dialog_box.h"

#include <QIcon>

About_Dialog_Box::About_Dialog_Box(QWidget *parent) : QWidget(parent), ui(new Ui::About_Dialog_Box)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral("Libraries/icons/QV_icons/qv256.ico")));
    ui->PROTOCOL_8->setText(software_line());
}

About_Dialog_Box::~About_Dialog_Box() { delete ui; }

void About_Dialog_Box::add_serial(uint8_t id) { ui->id->setText(instrument_id_text(id)); }
