// The About box: product, maker, version and the working instrument's identification.
#pragma once

#include <QWidget>
#include <cstdint>

namespace Ui {
class About_Dialog_Box;
}

// Not modal; a box deletes itself when closed, so an opener must not keep a plain pointer to it.
class About_Dialog_Box : public QWidget {
    Q_OBJECT

public:
    explicit About_Dialog_Box(QWidget *parent = nullptr);
    ~About_Dialog_Box() override;

public slots:
    // Shows the identification of instrument `id` (fed by the run screen once, after showing).
    void add_serial(uint8_t id);

private:
    Ui::About_Dialog_Box *ui;
};
