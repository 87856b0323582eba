// The add-user window: asks for one new user name.
#pragma once

#include <QString>
#include <QWidget>

namespace Ui { class add_user; }

class add_user : public QWidget {
    Q_OBJECT
public:
    explicit add_user(QWidget *parent = nullptr);
    ~add_user() override;

signals:
    void done_user(QString name);

private slots:
    void on_pushButton_clicked();    // OK
    void on_pushButton_2_clicked();  // Cancel

private:
    Ui::add_user *ui;
};
