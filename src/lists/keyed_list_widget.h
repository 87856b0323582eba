// A list that tells when a key press moved its current row or changed its selection, so that a screen can show
// what the keyboard picked as it shows what a click picked.
#pragma once

#include <QListWidget>

class keyed_list_widget : public QListWidget {
    Q_OBJECT
public:
    explicit keyed_list_widget(QWidget *parent = nullptr);

signals:
    // Once the key has been handled, never while the list's signals are blocked; `previous_row` was current
    // before the key.
    void changed_by_key(int previous_row);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
