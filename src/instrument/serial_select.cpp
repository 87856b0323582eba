// Port-selection window.
#include "instrument/serial_select.h"

#include <QDebug>
#include <QIcon>

#include "instrument/device_names.h"
#include "ui_serial_select.h"
#include "platform/trace.h"

serial_select::serial_select(bool any_serial_port, QWidget *parent) : QWidget(parent), ui(new Ui::serial_select)
{
    ui->setupUi(this);
    setFixedSize(205, 62);
    setWindowIcon(QIcon(QStringLiteral("Libraries/icons/QV_icons/qv256.ico")));
    if (!any_serial_port)
        ui->serial_port->setEnabled(false);
    qCDebug(rz410_trace) << "serial select";
}

serial_select::~serial_select() { delete ui; }

QComboBox *serial_select::device_box() const { return ui->serial_port; }

void serial_select::add_id(uint8_t id) { ui->serial_port->addItem(device_display_name(id)); }

void serial_select::on_select_clicked()
{
    // An empty list has no current item; index -1 must not reach the run screen as entry 255.
    const int index = ui->serial_port->currentIndex();
    if (ui->serial_port->isEnabled() && index >= 0)
        emit port_name(static_cast<uint8_t>(index));
    close();
}

void serial_select::on_cancel_clicked() { close(); }
