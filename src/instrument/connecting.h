// The small "Connecting.." window shown while a plugged-in port is being identified.
#pragma once

#include <QDialog>

namespace Ui { class connecting; }

class connecting : public QDialog {
    Q_OBJECT
public:
    explicit connecting(QWidget *parent = nullptr);
    ~connecting() override;

private:
    Ui::connecting *ui;
};
