// The user-selection window opened by the run and analysis screens.
#pragma once

#include <QString>
#include <QWidget>

namespace Ui { class select_user; }

class select_user : public QWidget {
    Q_OBJECT
public:
    explicit select_user(QWidget *parent = nullptr);
    ~select_user() override;

signals:
    void user_send(QString name);

public slots:
    void update_user(QString name);

private slots:
    void on_select_clicked();
    void on_cancel_clicked();

private:
    Ui::select_user *ui;
};
