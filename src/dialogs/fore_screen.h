// A start-screen window with picture buttons for the run and analysis screens; nothing opens it yet.
#pragma once

#include <QWidget>

namespace Ui {
class fore_screen;
}

class fore_screen : public QWidget {
    Q_OBJECT

public:
    explicit fore_screen(QWidget *parent = nullptr);
    ~fore_screen() override;

private:
    Ui::fore_screen *ui;
};
