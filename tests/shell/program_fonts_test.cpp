// Every text of every window fits its widget with the program's fonts: labels, buttons, check boxes,
// each combo item, spin boxes at their minimum and maximum, and line edits, as built and as fed.
#include <QtTest>

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyleOption>
#include <QToolButton>
#include <memory>

#include "analysis/qv_analysis_window.h"
#include "dialogs/about_dialog_box.h"
#include "dialogs/change_graph_color.h"
#include "dialogs/dialog_warning_delete_analysis.h"
#include "dialogs/dialog_warning_delete_experiment.h"
#include "dialogs/dialog_warning_save_data.h"
#include "dialogs/fore_screen.h"
#include "dialogs/setaxis.h"
#include "instrument/connecting.h"
#include "platform/box_titles.h"
#include "instrument/serial_select.h"
#include "run/log_page.h"
#include "run/mainwindow.h"
#include "shell/add_user.h"
#include "shell/program_fonts.h"
#include "shell/reports_settings_box.h"
#include "shell/select_user.h"
#include "shell/settings_box.h"
#include "support/listed_ports.h"
#include "support/sim_instrument.h"
#include "support/temp_workdir.h"

namespace {

// QLineEdit keeps this much room on each side of its text.
constexpr int line_edit_inner_margin = 2;

// The name a widget is known by in a failure message.
QString where(const QWidget *w) { return QString::fromLatin1(w->metaObject()->className()) + ' ' + w->objectName(); }

QString text_of(QRect r) { return QStringLiteral("%1 x %2 at %3,%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()); }

QString misfit(const QWidget *w, const QString &text, QRect drawn, QRect room)
{
    return QStringLiteral("%1: \"%2\" takes %3; the room is %4").arg(where(w), text, text_of(drawn), text_of(room));
}

// The part of a widget its parents leave visible, in its own coordinates: a child placed partly outside
// its window is cut at the window's edge.
QRect shown_part(const QWidget *w)
{
    QRect shown = w->rect();
    QPoint offset;  // of w within the ancestor reached so far
    for (const QWidget *a = w; !a->isWindow() && a->parentWidget(); a = a->parentWidget()) {
        offset += a->pos();
        shown &= a->parentWidget()->rect().translated(-offset);
    }
    return shown;
}

// Places text of the given size in its room as the widget aligns it; the text must lie wholly inside the
// room and inside what the widget's parents leave visible.
void check_placed(QStringList &out, const QWidget *w, const QString &text, QSize need, QRect room,
                  Qt::Alignment alignment)
{
    const QRect drawn = QStyle::alignedRect(Qt::LeftToRight, alignment, need, room);
    const QRect visible = room & shown_part(w);
    if (!visible.contains(drawn))
        out << misfit(w, text, drawn, visible);
}

// Checks one line of text against the room it is drawn in.
void check_line(QStringList &out, const QWidget *w, const QString &text, QRect room,
                Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    if (text.isEmpty())
        return;
    const QFontMetrics fm(w->font());
    check_placed(out, w, text, QSize(fm.horizontalAdvance(text), fm.height()), room, alignment);
}

void check_label(QStringList &out, const QLabel *label)
{
    if (label->text().isEmpty() || !label->pixmap(Qt::ReturnByValue).isNull())
        return;
    QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    if (label->indent() > 0)
        room.setWidth(room.width() - label->indent());
    const QString text = label->text();
    const QFontMetrics fm(label->font());
    const int flags = int(label->alignment()) | Qt::TextExpandTabs | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QSize need = fm.boundingRect(QRect(0, 0, room.width(), 10000), flags, text).size();
    check_placed(out, label, text, need, room, label->alignment());
}

void check_button(QStringList &out, const QAbstractButton *button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    opt.icon = button->icon();
    opt.iconSize = button->iconSize();
    QRect room;
    Qt::Alignment alignment = Qt::AlignCenter;
    if (auto *push = qobject_cast<const QPushButton *>(button)) {
        if (push->isDefault())
            opt.features |= QStyleOptionButton::DefaultButton;
        if (push->autoDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
        if (!opt.icon.isNull())
            room.setWidth(room.width() - opt.iconSize.width() - 4);
    } else if (qobject_cast<const QCheckBox *>(button)) {
        room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, button);
        alignment = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (auto *tool = qobject_cast<const QToolButton *>(button)) {
        // A tool button that shows its picture keeps its text hidden.
        if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
            return;
        const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, button);
        room = button->rect().adjusted(frame, frame, -frame, -frame);
    } else {
        return;
    }
    check_line(out, button, button->text().remove(QLatin1Char('&')), room, alignment);
}

void check_combo(QStringList &out, const QComboBox *combo)
{
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.subControls = QStyle::SC_All;
    // The style draws the item one pixel in from each side of the edit field.
    const QRect room =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo).adjusted(1, 0, -1, 0);
    for (int i = 0; i < combo->count(); ++i)
        check_line(out, combo, combo->itemText(i), room);
}

// The room a line edit draws its text in.
QRect line_edit_room(const QLineEdit *edit)
{
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    const QMargins margins = edit->textMargins();
    return edit->style()
        ->subElementRect(QStyle::SE_LineEditContents, &opt, edit)
        .adjusted(margins.left() + line_edit_inner_margin, margins.top(), -margins.right() - line_edit_inner_margin,
                  -margins.bottom());
}

// The texts a spin box shows at the ends of its range, prefix and suffix included.
QStringList end_texts(QAbstractSpinBox *box)
{
    const QSignalBlocker quiet(box);
    QStringList texts;
    if (auto *spin = qobject_cast<QSpinBox *>(box)) {
        const int value = spin->value();
        for (int end : {spin->minimum(), spin->maximum()}) {
            spin->setValue(end);
            texts << spin->text();
        }
        spin->setValue(value);
    } else if (auto *spin = qobject_cast<QDoubleSpinBox *>(box)) {
        const double value = spin->value();
        for (double end : {spin->minimum(), spin->maximum()}) {
            spin->setValue(end);
            texts << spin->text();
        }
        spin->setValue(value);
    } else if (auto *edit = qobject_cast<QDateTimeEdit *>(box)) {
        const QDateTime value = edit->dateTime();
        for (const QDateTime &end : {edit->minimumDateTime(), edit->maximumDateTime()}) {
            edit->setDateTime(end);
            texts << edit->text();
        }
        edit->setDateTime(value);
    }
    return texts;
}

void check_spin_box(QStringList &out, QAbstractSpinBox *box)
{
    QStyleOptionSpinBox opt;
    opt.initFrom(box);
    opt.frame = box->hasFrame();
    opt.buttonSymbols = box->buttonSymbols();
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp |
                      QStyle::SC_SpinBoxDown;
    const QRect room = box->style()
                           ->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, box)
                           .adjusted(line_edit_inner_margin, 0, -line_edit_inner_margin, 0);
    for (const QString &text : end_texts(box))
        check_line(out, box, text, room, box->alignment() | Qt::AlignVCenter);
}

// Every text of the window and its children that does not fit.
QStringList misfits(QWidget *window)
{
    QStringList out;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        // What the program hides on purpose is not read.
        if (w != window && w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->isHidden() &&
            !w->parentWidget()->inherits("QStackedWidget"))
            continue;
        w->ensurePolished();
        if (auto *label = qobject_cast<QLabel *>(w))
            check_label(out, label);
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            check_button(out, button);
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            check_combo(out, combo);
        else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w))
            check_spin_box(out, spin);
        else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            // A spin box's or combo box's own editor is checked with its owner.
            if (!qobject_cast<QAbstractSpinBox *>(w->parentWidget()) && !qobject_cast<QComboBox *>(w->parentWidget()))
                check_line(out, edit, edit->text(), line_edit_room(edit), edit->alignment());
        }
    }
    return out;
}

#define CHECK_FITS(window)                                                                                       \
    do {                                                                                                         \
        (window)->show();                                                                                        \
        QCoreApplication::processEvents();                                                                       \
        const QStringList found = misfits(window);                                                               \
        for (const QString &line : found)                                                                        \
            qInfo().noquote() << line;                                                                           \
        QVERIFY2(found.isEmpty(), qPrintable(QString::number(found.size()) + QStringLiteral(" texts cut")));    \
    } while (false)

// Copies the program's runtime folder (icons, pictures, the default settings) into the working folder,
// so that picture buttons show their pictures as they do for a user.
void copy_runtime_files()
{
    const QDir source(QStringLiteral(RZ410_RUNTIME_DIR));
    QDirIterator it(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = source.relativeFilePath(from);
        QDir().mkpath(QFileInfo(to).path());
        QFile::remove(to);
        QFile::copy(from, to);
    }
    QDir().mkpath(QStringLiteral("Data/User/Ann"));
}

// The widest names an instrument can have: ids above 99 take three digits.
const QList<uint8_t> instrument_ids{21, 22, 255};

} // namespace

class program_fonts_test : public QObject {
    Q_OBJECT
    std::unique_ptr<temp_workdir> wd;

private slots:
    void initTestCase()
    {
        program_fonts::install();
        qRegisterMetaType<uint8_t>("uint8_t");
        MainWindow::set_link_timeouts(60000, 60000, 50);   // the instrument here answers: never waited out
    }
    void init()
    {
        wd = std::make_unique<temp_workdir>();
        copy_runtime_files();
    }
    void cleanup() { wd.reset(); }

    void the_forms_name_faces_that_resolve_to_the_installed_ones()
    {
        QVERIFY(QApplication::primaryScreen()->logicalDotsPerInchY() >= 96);
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Calibri"), 13)).family(), QStringLiteral("Carlito"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Agency FB"), 18)).family(), QStringLiteral("Yanone Kaffeesatz"));
    }

    void log_in_windows()
    {
        log_page page(nullptr);
        CHECK_FITS(&page);
        add_user adding;
        CHECK_FITS(&adding);
        select_user choosing;
        choosing.update_user(QStringLiteral("Ann"));
        CHECK_FITS(&choosing);
    }

    void settings_boxes()
    {
        settings_box box;
        box.get_users(QStringLiteral("Ann"));
        for (uint8_t id : instrument_ids)
            box.get_qv_info(id);
        CHECK_FITS(&box);
        reports_settings_box reports;
        CHECK_FITS(&reports);
    }

    void instrument_windows()
    {
        serial_select ports(true);
        for (uint8_t id : instrument_ids)
            ports.add_id(id);
        CHECK_FITS(&ports);
        connecting waiting;
        CHECK_FITS(&waiting);
        // Its title is shown whole even by a window manager that keeps its buttons beside it.
        QVERIFY(waiting.width() >= platform::title_width_needed(waiting.windowTitle(), platform::window_title_font()));
    }

    void run_screen_disconnected_and_connected()
    {
        {
            MainWindow w;
            CHECK_FITS(&w);
        }
        sim_instrument widest(255);
        list_ports({&widest});
        MainWindow w;
        QTRY_VERIFY(w.device_display_name().endsWith(QStringLiteral("255")));
        CHECK_FITS(&w);
        list_ports({});
    }

    void analysis_window()
    {
        qv_analysis_window w;
        CHECK_FITS(&w);
    }

    void dialogs_as_built_and_as_fed()
    {
        About_Dialog_Box about(nullptr);
        about.add_serial(255);
        CHECK_FITS(&about);

        Change_Graph_Color picker;
        CHECK_FITS(&picker);
        picker.get_colors_analysis(QColor(0x2abb9b), QColor(0x239f86));
        CHECK_FITS(&picker);

        dialog_warning_save_data closing(nullptr);
        CHECK_FITS(&closing);

        const QString name = QStringLiteral("New_Experiment_20261206");
        for (int count : {1, 3}) {
            dialog_warning_delete_experiment experiments(nullptr);
            CHECK_FITS(&experiments);
            experiments.exp_count(count);
            experiments.get_the_name(name);
            CHECK_FITS(&experiments);
            dialog_warning_delete_analysis analyses(nullptr);
            CHECK_FITS(&analyses);
            analyses.analysis_count(count);
            analyses.get_the_name(name);
            CHECK_FITS(&analyses);
        }

        setaxis axis(nullptr);
        CHECK_FITS(&axis);
        fore_screen front(nullptr);
        CHECK_FITS(&front);
    }
};

// Not QTEST_MAIN: it pins fonts to 96 dots per inch, while a user's screen is often denser (100 offscreen
// and under a plain X server), and the texts must fit there too.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    program_fonts_test test;
    return QTest::qExec(&test, argc, argv);
}
#include "program_fonts_test.moc"
