// Port-selection window: lists the identified instruments and reports the chosen table entry.
#pragma once

#include <QWidget>
#include <cstdint>

namespace Ui { class serial_select; }
class QComboBox;

class serial_select : public QWidget {
    Q_OBJECT
public:
    // `any_serial_port`: whether the system lists any serial port at all; without one the list is disabled.
    explicit serial_select(bool any_serial_port, QWidget *parent = nullptr);
    ~serial_select() override;

    QComboBox *device_box() const;

signals:
    void port_name(uint8_t index);

public slots:
    void add_id(uint8_t id);

private slots:
    void on_select_clicked();
    void on_cancel_clicked();

private:
    Ui::serial_select *ui;
};
