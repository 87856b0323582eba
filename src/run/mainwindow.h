// The run screen: set up a method, run it, watch and manage the experiments.
#pragma once

#include <QMainWindow>
#include <cstdint>

#include "run/curve.h"

namespace Ui { class MainWindow; }

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

public slots:
    void set_current_user(uint8_t index);

private:
    Ui::MainWindow *ui;
};
