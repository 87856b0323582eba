// The report-settings form: a window of the settings family that nothing opens yet; it has no behaviour.
#pragma once

#include <QWidget>

namespace Ui { class reports_settings_box; }

class reports_settings_box : public QWidget {
    Q_OBJECT
public:
    explicit reports_settings_box(QWidget *parent = nullptr);
    ~reports_settings_box() override;

private:
    Ui::reports_settings_box *ui;
};
