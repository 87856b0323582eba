// The graph-colour picker.
#include "dialogs/change_graph_color.h"

#include "dialogs/colour_choice.h"
#include "plot/curve_palette.h"
#include "ui_change_graph_color.h"

#include <QLabel>
#include <QToolButton>

namespace {
void paint_preview(QLabel *label, const QColor &colour)
{
    label->setAutoFillBackground(true);
    label->setStyleSheet(preview_style(colour));
}
} // namespace

Change_Graph_Color::Change_Graph_Color(QWidget *parent) : QWidget(parent), ui(new Ui::Change_Graph_Color)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    const QToolButton *swatches[] = {ui->c1,  ui->c2,  ui->c3,  ui->c4,  ui->c5,  ui->c6,  ui->c7,  ui->c8,
                                     ui->c9,  ui->c10, ui->c11, ui->c12, ui->c13, ui->c14, ui->c15, ui->c16,
                                     ui->c17, ui->c18, ui->c19, ui->c20, ui->c21, ui->c22, ui->c23, ui->c24};
    for (const QToolButton *swatch : swatches)
        connect(swatch, &QToolButton::clicked, this, &Change_Graph_Color::button_clicked);
}

Change_Graph_Color::~Change_Graph_Color() { delete ui; }

void Change_Graph_Color::get_colors(QColor we1_color, QColor we2_color)
{
    target = answer_target::run_screen;
    show_fed_colours(we1_color, we2_color);
}

void Change_Graph_Color::get_colors_analysis(QColor anodic_color, QColor cathodic_color)
{
    target = answer_target::analysis_screen;
    ui->PROTOCOL_2->setText(QStringLiteral("Anodic Tangent"));
    ui->PROTOCOL_3->setText(QStringLiteral("Cathodic Tangent"));
    ui->PROTOCOL_2->setFixedSize(271, 31);
    ui->PROTOCOL_3->setFixedSize(271, 31);
    show_fed_colours(anodic_color, cathodic_color);
}

// The previews show the colours as received, even when they are not in the palette and the sliders fall
// back to pair 1.
void Change_Graph_Color::show_fed_colours(const QColor &ch1, const QColor &ch2)
{
    paint_preview(ui->main1, ch1);
    ui->slider1->blockSignals(true);
    ui->slider1->setValue(slider_for_colour(ch1, 1));
    ui->slider1->blockSignals(false);
    ui->slider2->blockSignals(true);
    ui->slider2->setValue(slider_for_colour(ch2, 2));
    ui->slider2->blockSignals(false);
    paint_preview(ui->main2, ch2);
}

void Change_Graph_Color::move_sliders(const pair_sliders &to)
{
    ui->slider1->setValue(to.ch1);
    ui->slider2->setValue(to.ch2);
}

void Change_Graph_Color::button_clicked()
{
    const auto *swatch = qobject_cast<const QToolButton *>(sender());
    if (!swatch)
        return;
    const pair_sliders now{ui->slider1->value(), ui->slider2->value()};
    move_sliders(after_swatch_click(now, swatch_number(swatch->objectName()), ui->Linked_Colors->isChecked()));
}

void Change_Graph_Color::on_slider1_valueChanged(int value) { paint_preview(ui->main1, pair_colour_ch1(value - 1)); }

void Change_Graph_Color::on_slider2_valueChanged(int value) { paint_preview(ui->main2, pair_colour_ch2(value - 1)); }

void Change_Graph_Color::on_Linked_Colors_clicked()
{
    const pair_sliders now{ui->slider1->value(), ui->slider2->value()};
    move_sliders(after_link_click(now, ui->Linked_Colors->isChecked()));
}

void Change_Graph_Color::on_pushButton_2_clicked()
{
    const auto ch1 = static_cast<uint8_t>(ui->slider1->value() - 1);
    const auto ch2 = static_cast<uint8_t>(ui->slider2->value() - 1);
    if (target == answer_target::run_screen)
        emit color_changed(ch1, ch2);
    else
        emit color_to_analysis(ch1, ch2);
    close();
}

void Change_Graph_Color::on_pushButton_clicked() { close(); }
