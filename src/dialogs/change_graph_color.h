// The graph-colour picker: the user chooses a palette pair for each of two channels.
#pragma once

#include "dialogs/colour_choice.h"

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace Ui {
class Change_Graph_Color;
}

// The opener shows the picker, connects its feed signal to get_colors (run screen) or get_colors_analysis
// (analysis screen) and the matching answer signal, then feeds it once. The answer carries 0-based pair
// indices, never colours: every receiver looks them up in its own copy of the palette. The picker deletes
// itself when closed, so an opener must not keep a plain pointer to it.
class Change_Graph_Color : public QWidget {
    Q_OBJECT

public:
    explicit Change_Graph_Color(QWidget *parent = nullptr);
    ~Change_Graph_Color() override;

public slots:
    // Feed from the run screen: the current electrode-1 and electrode-2 colours; OK answers with color_changed.
    void get_colors(QColor we1_color, QColor we2_color);
    // Feed from the analysis screen: anodic and cathodic tangent colours; OK answers with color_to_analysis.
    void get_colors_analysis(QColor anodic_color, QColor cathodic_color);

signals:
    void color_changed(uint8_t ch1_pair, uint8_t ch2_pair);
    void color_to_analysis(uint8_t ch1_pair, uint8_t ch2_pair);

private slots:
    void button_clicked();
    void on_slider1_valueChanged(int value);
    void on_slider2_valueChanged(int value);
    void on_Linked_Colors_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_clicked();

private:
    enum class answer_target { run_screen, analysis_screen };

    void show_fed_colours(const QColor &ch1, const QColor &ch2);
    void move_sliders(const pair_sliders &to);

    // Which screen fed this picker last; each picker answers the screen that opened it.
    answer_target target = answer_target::run_screen;
    Ui::Change_Graph_Color *ui;
};
