// The run screen's file commands through the window: open, drop, save, export, overwrite, autosave, protocols.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <atomic>
#include <memory>
#include <tuple>

#include "files/experiment_reader.h"
#include "files/experiment_writer.h"
#include "files/file_naming.h"
#include "filtering/curve_filtering.h"
#include "instrument/method_names.h"
#include "plot/qcp_compat.h"
#include "platform/folder_opener.h"
#include "run/mainwindow.h"
#include "run/record_conversion.h"
#include "shell/app_state.h"
#include "support/experiment_samples.h"
#include "support/slot_warning_guard.h"
#include "support/temp_workdir.h"

namespace {

const QString experiments = QStringLiteral("Data/User/alice/Experiments/");
const QString protocols = QStringLiteral("Data/User/alice/Protocols/");
const export_stamp stamp{QDateTime(QDate(2020, 3, 9), QTime(9, 15, 0)), QStringLiteral("alice")};

QByteArray file_of(const experiment_data &r)
{
    const std::optional<QByteArray> text = write_experiment(r, stamp);
    return text ? *text : QByteArray();
}

QStringList without_date(QStringList details)
{
    for (int i = details.size() - 1; i >= 0; --i)
        if (details[i].startsWith("Date: "))
            details.removeAt(i);
    return details;
}

struct dialog_call {
    QString caption, proposal, filter;
    QString text() const { return caption + " | " + filter + " | " + proposal; }
};

}  // namespace

class main_window_files_test : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void save_then_open_gives_the_same_record_data();
    void save_then_open_gives_the_same_record();
    void failed_save_keeps_the_old_file_and_the_record_unsaved();
    void save_needs_a_selected_current_row_and_export_appends_xls();
    void existing_file_is_overwritten_with_the_full_layout();
    void panel_save_saves_the_named_row_or_nothing();
    void unreadable_file_adds_no_record();
    void cancelled_opening_changes_nothing();
    void the_256th_experiment_is_refused();
    void list_refilter_uses_the_recorded_electrodes_rate();
    void list_refilter_smooths_stored_chrono_steps_apart();
    void list_refilter_keeps_a_coarse_sweeps_peak_data();
    void list_refilter_keeps_a_coarse_sweeps_peak();
    void center_holds_a_refiltered_curve_as_drawn_data();
    void center_holds_a_refiltered_curve_as_drawn();
    void drop_opens_only_lower_case_qve();
    void opened_names_are_unique_and_folder_is_remembered();
    void open_button_refills_the_form();
    void startup_document_is_opened();
    void autosave_writes_under_temp_and_leaves_unsaved();
    void protocol_round_trip_data();
    void protocol_round_trip();
    void cyclic_protocol_file_text();
    void amperometry_page_leaves_an_existing_protocol();
    void protocol_without_method_changes_nothing();
    void a_name_without_extension_asks_before_replacing_data();
    void a_name_without_extension_asks_before_replacing();
    void every_dialog_starts_in_the_users_own_folder();

private:
    template <typename T> T *child(const char *name) { return window->findChild<T *>(name); }
    QString path(const QString &relative) const { return dir->path() + '/' + relative; }
    void open(const QString &relative) { window->onMessageReceived(path(relative)); }
    // Writes method m's sample record as `name` in the experiments folder and opens it.
    void open_sample(method_index m, const QString &name)
    {
        dir->write_file(experiments + name, file_of(method_record(m)));
        open(experiments + name);
    }
    QVector<int> spins(const QStringList &names)
    {
        QVector<int> values;
        for (const QString &n : names)
            values << child<QSpinBox>(qPrintable(n))->value();
        return values;
    }
    curve &record(int n) { return window->experiment_records()[n]; }
    QStringList rows()
    {
        QStringList texts;
        for (int i = 0; i < child<QListWidget>("listWidget")->count(); ++i)
            texts << child<QListWidget>("listWidget")->item(i)->text();
        return texts;
    }
    // Re-filters one list row through the list's Filter submenu entry `choice`.
    void refilter_row(int row, void (MainWindow::*choice)());
    void compare_records(const curve &a, const curve &b);
    void answer_dialogs();

    std::unique_ptr<temp_workdir> dir;
    std::unique_ptr<MainWindow> window;
    QVector<dialog_call> save_calls, open_calls;
    QString next_save_path, next_open_path;
    QStringList later_save_paths;  // answers of the save dialogs after the next one, in turn
    QStringList messages;
    QStringList replace_questions;  // every "replace it?" question asked; answered with replace_answer
    bool replace_answer = false;
};

void main_window_files_test::init()
{
    dir = std::make_unique<temp_workdir>();
    QDir().mkpath(experiments);
    QDir().mkpath(protocols);
    app_state::startup_experiment_path.clear();
    window = std::make_unique<MainWindow>();
    answer_dialogs();
}

void main_window_files_test::answer_dialogs()
{
    save_calls.clear();
    open_calls.clear();
    messages.clear();
    next_save_path.clear();
    next_open_path.clear();
    later_save_paths.clear();
    window->ask_save_path = [this](const QString &c, const QString &p, const QString &f) {
        save_calls.push_back({c, p, f});
        const QString answer = next_save_path;
        if (!later_save_paths.isEmpty())
            next_save_path = later_save_paths.takeFirst();
        return answer;
    };
    window->ask_open_path = [this](const QString &c, const QString &p, const QString &f) {
        open_calls.push_back({c, p, f});
        return next_open_path;
    };
    window->show_file_error = [this](const QString &title, const QString &text) { messages << title + ": " + text; };
    replace_questions.clear();
    replace_answer = false;
    window->ask_replace = [this](const QString &, const QString &text) {
        replace_questions << text;
        return replace_answer;
    };
}

void main_window_files_test::cleanup()
{
    window.reset();
    dir.reset();
    app_state::startup_experiment_path.clear();
}

void main_window_files_test::compare_records(const curve &a, const curve &b)
{
    const auto fields = [](const curve &c) {
        QStringList f{c.method, QString::number(c.device_id), QString::number(c.rate), QString::number(c.cycles),
                      QString::number(c.resolution), QString::number(c.channel_code)};
        for (float x : {c.filter_hz, c.e_min, c.e_max, c.e_start, c.i_min, c.i_max})
            f << QString::number(double(x), 'g', 9);
        return f;
    };
    QCOMPARE(fields(b), fields(a));
    QCOMPARE(without_date(b.details), without_date(a.details));
    const QCPCurve *ca[] = {a.ch1_curve, a.ch2_curve, a.ch1_raw_curve, a.ch2_raw_curve};
    const QCPCurve *cb[] = {b.ch1_curve, b.ch2_curve, b.ch1_raw_curve, b.ch2_raw_curve};
    for (int i = 0; i < 4; ++i) {
        const qcp::points pa = qcp::read_points(ca[i]);
        const qcp::points pb = qcp::read_points(cb[i]);
        QVERIFY2(!pa.keys.isEmpty(), qPrintable(QString("curve %1 is empty").arg(i)));
        QCOMPARE(pb.keys, pa.keys);
        QCOMPARE(pb.values, pa.values);
    }
}

void main_window_files_test::save_then_open_gives_the_same_record_data()
{
    QTest::addColumn<int>("method");
    for (int i = 0; i < method_count; ++i)
        QTest::newRow(qPrintable(method_name(static_cast<method_index>(i)))) << i;
}

void main_window_files_test::save_then_open_gives_the_same_record()
{
    QFETCH(int, method);
    open_sample(static_cast<method_index>(method), "first.qve");
    QCOMPARE(int(window->experiment_records().experiment_count()), 1);
    record(0).saved = 0;

    // The dialog's answer has no extension: Save adds it.
    next_save_path = path(experiments + "second");
    window->on_Save_clicked();
    QCOMPARE(save_calls.size(), 1);
    QCOMPARE(save_calls[0].text(),
             "Save QV Experiment | Quelvarin Experiment File (*.qve) | " + path(experiments) + "/first.qve");
    QVERIFY(messages.isEmpty());
    QVERIFY(dir->exists(experiments + "second.qve"));
    QCOMPARE(record(0).name, QStringLiteral("second"));
    QCOMPARE(record(0).saved_name, QStringLiteral("second"));
    QCOMPARE(record(0).saved, uint8_t(1));
    QCOMPARE(child<QListWidget>("listWidget")->item(0)->text(), QStringLiteral("second"));
    QVERIFY(!child<QListWidget>("listWidget")->item(0)->font().italic());
    QCOMPARE(record(0).ch1_curve->name(), QStringLiteral("second_w1"));
    QVERIFY(dir->read_file(experiments + "second.qve").contains("\tExperiment:\tsecond\n"));

    open(experiments + "second.qve");
    QCOMPARE(int(window->experiment_records().experiment_count()), 2);
    QCOMPARE(record(1).name, QStringLiteral("second_1"));
    compare_records(record(0), record(1));
}

void main_window_files_test::cancelled_opening_changes_nothing()
{
    open_sample(method_index::cyclic, "kept.qve");
    record(0).saved = 0;
    const QString folder_before = window->screen_state().experiments_dir;
    QDir().mkpath("Data/elsewhere");
    dir->write_file("Data/elsewhere/long.qve", file_of(method_record(method_index::amperometry)));

    std::atomic<int> asked{0};
    window->opening_goes_on = [&asked](double) {
        ++asked;
        return false;
    };
    open("Data/elsewhere/long.qve");
    QVERIFY(asked > 0);
    QCOMPARE(rows(), QStringList{"kept"});
    QCOMPARE(int(window->experiment_records().experiment_count()), 1);
    QCOMPARE(window->screen_state().experiments_dir, folder_before);
    QCOMPARE(record(0).saved, uint8_t(0));
    QVERIFY(messages.isEmpty());

    window->opening_goes_on = [](double) { return true; };
    open("Data/elsewhere/long.qve");
    QCOMPARE(rows(), (QStringList{"kept", "long"}));
    QCOMPARE(record(1).method, QStringLiteral("Amperometric"));
}

void main_window_files_test::failed_save_keeps_the_old_file_and_the_record_unsaved()
{
    open_sample(method_index::cyclic, "scan.qve");
    record(0).saved = 0;

    // The longest name the file system takes leaves no room for the temporary copy: the write must fail.
    const QString longest = QString(250, 'x') + ".qve";
    dir->write_file(longest, "old contents");
    next_save_path = path(longest);
    window->on_Save_clicked();
    QCOMPARE(dir->read_file(longest), QByteArray("old contents"));
    QCOMPARE(record(0).saved, uint8_t(0));
    QCOMPARE(record(0).name, QStringLiteral("scan"));
    QCOMPARE(rows(), QStringList{"scan"});
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].startsWith("Error: "));
    QVERIFY(messages[0].contains(QString(250, 'x')));

    // A cancelled dialog writes nothing and tells nothing.
    next_save_path.clear();
    window->on_Save_clicked();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(record(0).saved, uint8_t(0));
}

void main_window_files_test::save_needs_a_selected_current_row_and_export_appends_xls()
{
    window->on_Save_clicked();  // empty list
    window->on_export_2_clicked();
    QVERIFY(save_calls.isEmpty());

    open_sample(method_index::square_wave, "scan.qve");
    auto *list = child<QListWidget>("listWidget");
    list->item(0)->setSelected(false);
    QCOMPARE(list->currentRow(), 0);
    next_save_path = path(experiments + "other.qve");
    window->on_Save_clicked();
    window->on_actionSave_triggered();
    window->on_export_2_clicked();  // not drawn, so not exported either
    QVERIFY(save_calls.isEmpty());
    QVERIFY(!dir->exists(experiments + "other.qve"));
    // Nor is its folder opened; the opener started once the row is on show again comes later, so by the time it
    // has run an opener started now would have run too.
    platform::set_folder_opener_command({"sh", "-c", ": > \"$1/unseen\"", "opener"});
    window->open_file_loc();
    list->item(0)->setSelected(true);
    platform::set_folder_opener_command({"sh", "-c", ": > \"$1/opened\"", "opener"});
    window->open_file_loc();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record(0).directory + "/opened"), 60000);
    QVERIFY(!QFile::exists(record(0).directory + "/unseen"));
    platform::set_folder_opener_command({});
    QFile::remove(record(0).directory + "/opened");

    record(0).saved = 0;
    const QString folder_before = window->screen_state().experiments_dir;
    next_save_path = path("sheet");
    window->on_export_2_clicked();
    QCOMPARE(save_calls.size(), 1);
    QCOMPARE(save_calls[0].text(), QStringLiteral("Save | xls(*.xls) | Data/User/scan.xls"));
    const QByteArray sheet = dir->read_file("sheet.xls");
    QVERIFY(sheet.startsWith("\tQuelvarin\tTevrakov\tv2.4\n\tExported\t"));
    QVERIFY(sheet.contains("\tExperiment:\tscan\n\tUser:\talice\n"));
    const experiment_load back = load_experiment_file(path("sheet.xls"));
    QVERIFY(back.contents);
    QCOMPARE(back.contents->record.ch1_raw.size(), 7);
    QCOMPARE(record(0).saved, uint8_t(1));
    QCOMPARE(record(0).name, QStringLiteral("scan"));
    QCOMPARE(window->screen_state().experiments_dir, folder_before);

    // Row "b" clicked, then Select All in the overlay view: Save is off for several rows, and the menu's Save
    // writes, renames and marks saved the record whose name its dialog proposes, "b", not the first selected.
    open_sample(method_index::cyclic, "b.qve");
    record(0).saved = record(1).saved = 0;
    list->setCurrentRow(1);
    list->item(0)->setSelected(false);
    window->on_listWidget_itemClicked(list->item(1));
    QVERIFY(child<QToolButton>("Save")->isEnabled());
    window->select_all();
    QVERIFY(!child<QToolButton>("Save")->isEnabled());
    next_save_path = path(experiments + "b2.qve");
    window->on_actionSave_triggered();
    QVERIFY(save_calls.last().proposal.endsWith("/b.qve"));
    QCOMPARE(rows(), (QStringList{"scan", "b2"}));
    QCOMPARE(child<QComboBox>("details_box")->itemText(0), QStringLiteral("2 Experiments"));
    // The summary of the overlay view names the rows as they now read.
    QCOMPARE(child<QComboBox>("details_box")->currentIndex(), 0);
    QStringList summary;
    for (int i = 0; i < child<QListWidget>("details")->count(); ++i)
        summary << child<QListWidget>("details")->item(i)->text();
    QVERIFY2(summary.contains("b2") && !summary.contains("b"), qPrintable(summary.join('|')));
    QCOMPARE(load_experiment_file(path(experiments + "b2.qve")).contents->record.method, QStringLiteral("Cyclic Voltammetry"));
    QCOMPARE((QVector<int>{record(0).saved, record(1).saved}), (QVector<int>{0, 1}));
}

void main_window_files_test::existing_file_is_overwritten_with_the_full_layout()
{
    open_sample(method_index::differential_pulse, "scan.qve");
    record(0).saved = 0;
    // A longer, different file stands where the record's file goes.
    dir->write_file(experiments + "scan.qve", QByteArray(100000, 'z'));

    window->on_Save_Experiment_2_clicked();
    QVERIFY(save_calls.isEmpty());
    QVERIFY(messages.isEmpty());
    QVERIFY(replace_questions.isEmpty());  // the file it was opened from
    QCOMPARE(record(0).saved, uint8_t(1));
    const QByteArray text = dir->read_file(experiments + "scan.qve");
    QVERIFY(text.size() < 100000);
    QVERIFY(!text.contains("zzzz"));
    for (const char *part : {"\nDATA\n", "\nRAW DATA\n", "\tMethod:\tDiff. Pulse Voltammetry\n", "\tPeriod(ms):\t50\n"})
        QVERIFY2(text.contains(part), part);

    open(experiments + "scan.qve");
    compare_records(record(0), record(1));
}

void main_window_files_test::panel_save_saves_the_named_row_or_nothing()
{
    open_sample(method_index::cyclic, "a.qve");
    open_sample(method_index::chronoamperometry, "b.qve");
    auto *list = child<QListWidget>("listWidget");
    auto *name_box = child<QLineEdit>("New_Experiment_Name");

    // No row of that name: an existing file of that name must not receive another row's data.
    dir->write_file(experiments + "nothing.qve", "keep me");
    name_box->setText("nothing");
    window->on_Save_Experiment_clicked();
    QCOMPARE(dir->read_file(experiments + "nothing.qve"), QByteArray("keep me"));
    QVERIFY(save_calls.isEmpty());

    // Row "a" is named while row "b" is selected: the file holds a's data.
    QFile::remove(path(experiments + "a.qve"));
    record(0).saved = 0;
    list->setCurrentRow(1);
    name_box->setText("a");
    next_save_path = path(experiments + "a.qve");
    window->on_Save_Experiment_clicked();
    QCOMPARE(save_calls.size(), 1);
    QCOMPARE(save_calls[0].proposal, window->screen_state().experiments_dir + "/a.qve");
    const experiment_load back = load_experiment_file(path(experiments + "a.qve"));
    QVERIFY(back.contents);
    QCOMPARE(back.contents->record.method, QStringLiteral("Cyclic Voltammetry"));
    QCOMPARE(record(0).saved, uint8_t(1));
    QCOMPARE(record(1).method, QStringLiteral("Chronoamperometry"));

    // The plain Save now proposes the name field's text.
    record(1).saved = 0;
    next_save_path.clear();
    window->on_Save_clicked();
    QCOMPARE(save_calls.size(), 2);
    QVERIFY(save_calls[1].proposal.endsWith("/a.qve"));

    // Written over unasked is only the record's own file. Another file of its name in the user's folder (a
    // morning's run under the day's default name) is replaced once the user agrees; a No opens the save
    // dialog, where the user picks another name (or cancels).
    dir->write_file("elsewhere/c.qve", file_of(method_record(method_index::cyclic)));
    open("elsewhere/c.qve");
    record(2).saved = 0;
    dir->write_file(experiments + "c.qve", "morning");
    name_box->setText("c");
    window->on_Save_Experiment_clicked();
    QCOMPARE(replace_questions.size(), 1);
    QVERIFY(replace_questions[0].contains("c.qve"));
    QCOMPARE(save_calls.size(), 3);
    QVERIFY(save_calls[2].proposal.endsWith("/c.qve"));
    QCOMPARE(dir->read_file(experiments + "c.qve"), QByteArray("morning"));
    QCOMPARE(record(2).saved, uint8_t(0));
    next_save_path = path(experiments + "c_evening.qve");
    window->on_Save_Experiment_clicked();
    QCOMPARE(save_calls.size(), 4);
    QCOMPARE(dir->read_file(experiments + "c.qve"), QByteArray("morning"));
    QVERIFY(dir->read_file(experiments + "c_evening.qve").contains("\tExperiment:\tc_evening\n"));
    QCOMPARE(record(2).saved, uint8_t(1));
    QCOMPARE(list->item(2)->text(), QStringLiteral("c_evening"));

    // Agreeing replaces that file without a dialog.
    list->item(2)->setText("c");
    record(2).name = "c";
    record(2).saved = 0;
    replace_answer = true;
    next_save_path.clear();
    window->on_Save_Experiment_clicked();
    QCOMPARE(record(2).saved, uint8_t(1));
    QVERIFY(dir->read_file(experiments + "c.qve").contains("\tExperiment:\tc\n"));
    QCOMPARE(save_calls.size(), 4);
}

void main_window_files_test::unreadable_file_adds_no_record()
{
    dir->write_file(experiments + "broken.qve", "\tQuelvarin\tTevrakov\tv2.4\n\tExported\t\n");
    dir->write_file(experiments + "crlf.qve",
                    file_of(method_record(method_index::cyclic)).replace("\n", "\r\n"));
    const QString folder_before = window->screen_state().experiments_dir;
    const slot_warning_guard terminal;
    open(experiments + "broken.qve");
    open(experiments + "crlf.qve");
    open(experiments + "absent.qve");
    QCOMPARE(int(window->experiment_records().experiment_count()), 0);
    QCOMPARE(rows(), QStringList());
    QCOMPARE(messages.size(), 3);
    QCOMPARE(terminal.warnings().filter(".qve"), QStringList());  // the user is told; the terminal is not
    for (int i = 0; i < 3; ++i)
        QVERIFY(messages[i].contains(QStringList{"broken.qve", "crlf.qve", "absent.qve"}[i]));
    QCOMPARE(window->screen_state().experiments_dir, folder_before);

    // A cancelled open dialog ends quietly.
    window->on_Open_clicked();
    QCOMPARE(open_calls.size(), 1);
    QCOMPARE(open_calls[0].text(), QStringLiteral("Open Quelvarin file | QVE (*.qve) | ") + open_calls[0].proposal);
    QCOMPARE(messages.size(), 3);

    // A file cut short is listed as far as it is whole, and the user hears that its end is missing.
    dir->write_file(experiments + "cut.qve", file_of(method_record(method_index::cyclic)).chopped(1));
    open(experiments + "cut.qve");
    QCOMPARE(rows(), QStringList{"cut"});
    QCOMPARE(messages.size(), 4);
    QVERIFY(messages[3].startsWith("Warning: cut.qve was cut short"));
}

void main_window_files_test::the_256th_experiment_is_refused()
{
    dir->write_file(experiments + "scan.qve", file_of(method_record(method_index::cyclic)));
    for (int i = 0; i < 254; ++i)
        QVERIFY(window->experiment_records().take_next() >= 0);
    auto *list = child<QListWidget>("listWidget");
    for (int i = 0; i < 254; ++i)
        list->addItem(QString("row%1").arg(i));
    open(experiments + "scan.qve");  // the 255th is taken
    QCOMPARE(int(window->experiment_records().experiment_count()), 255);
    QCOMPARE(list->count(), 255);
    QVERIFY(messages.isEmpty());

    open(experiments + "scan.qve");
    QCOMPARE(int(window->experiment_records().experiment_count()), 255);
    QCOMPARE(list->count(), 255);
    QCOMPARE(messages, QStringList{"Error: You have reached maximum number of experiments!"});
}

void main_window_files_test::drop_opens_only_lower_case_qve()
{
    QList<QUrl> urls;
    for (const char *name : {"upper.QVE", "notes.txt", "good.qve"}) {
        dir->write_file(experiments + name, file_of(method_record(method_index::normal_pulse)));
        urls << QUrl::fromLocalFile(path(experiments + name));
    }
    QMimeData mime;
    mime.setUrls(urls);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's handler: without a drag under way the application would not deliver it.
    static_cast<QObject *>(window.get())->event(&drop);
    QCOMPARE(int(window->experiment_records().experiment_count()), 1);
    QCOMPARE(record(0).name, QStringLiteral("good"));
    QCOMPARE(record(0).method, QStringLiteral("Normal Pulse Voltammetry"));
    QVERIFY(window->screen_state().pending_open_path.isEmpty());
    QVERIFY(messages.isEmpty());
}

void main_window_files_test::opened_names_are_unique_and_folder_is_remembered()
{
    dir->write_file("elsewhere/scan.qve", file_of(method_record(method_index::cyclic)));
    dir->write_file("elsewhere/a.b.qve", file_of(method_record(method_index::cyclic)));
    for (int i = 0; i < 3; ++i)
        open("elsewhere/scan.qve");
    open("elsewhere/a.b.qve");
    QCOMPARE(rows(), (QStringList{"scan", "scan_1", "scan_2", "a"}));
    QCOMPARE(window->screen_state().experiments_dir, path("elsewhere") + "/");
    QCOMPARE(record(3).directory, path("elsewhere") + "/");
    QCOMPARE(record(0).saved, uint8_t(1));

    next_open_path.clear();
    window->on_Open_clicked();
    QCOMPARE(open_calls.last().proposal, path("elsewhere") + "/");

    // Open File Location tells the user when the desktop cannot open the folder (here it has none to open).
    record(3).directory.clear();
    window->open_file_loc();
    QCOMPARE(window->findChildren<QMessageBox *>().size(), 1);
}

void main_window_files_test::open_button_refills_the_form()
{
    experiment_data dpv = method_record(method_index::differential_pulse);
    dpv.name = "dpv run";
    dir->write_file(experiments + "dpv.qve", file_of(dpv));
    next_open_path = path(experiments + "dpv.qve");
    child<QSpinBox>("dpv_amplitude")->setValue(80);
    window->on_Open_Experiment_clicked();
    QCOMPARE(child<QComboBox>("Method")->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>("New_Experiment_Name")->text(), QStringLiteral("dpv run"));
    // The file holds no amplitude: the box keeps what the user set, and the next run sends it.
    QCOMPARE(spins({"dpv_ei", "dpv_ef", "dpv_step", "dpv_width", "dpv_period", "dpv_amplitude"}),
             (QVector<int>{-500, 750, 5, 10, 50, 80}));
    QVERIFY(child<QCheckBox>("Channel_WE1")->isChecked() && child<QCheckBox>("Channel_WE2")->isChecked());

    // A plain open afterwards leaves the form alone.
    child<QSpinBox>("dpv_step")->setValue(9);
    open(experiments + "dpv.qve");
    QCOMPARE(child<QSpinBox>("dpv_step")->value(), 9);

    // A cyclic file with the 0.736 mV step, recorded on electrode 2 only; Ei=Er1 is ticked, never unticked.
    experiment_data cv = method_record(method_index::cyclic);
    cv.ch1 = point_series();
    cv.ch1_raw = point_series();
    dir->write_file(experiments + "cv.qve", file_of(cv));
    child<QCheckBox>("EiEqEr1")->setChecked(false);
    next_open_path = path(experiments + "cv.qve");
    window->on_Open_Experiment_clicked();
    QCOMPARE(child<QComboBox>("Method")->currentIndex(), 0);
    QCOMPARE(child<QLabel>("resolution_label")->text(), QStringLiteral("uV"));
    // Er2 is electrode 2's last point.
    QCOMPARE(spins({"Scan_step", "Er1", "Er2", "Ei", "Scan_Rate", "Repeat_No"}), (QVector<int>{736, -500, 250, -500, 50, 3}));
    QVERIFY(child<QCheckBox>("EiEqEr1")->isChecked());
    QVERIFY(!child<QCheckBox>("Channel_WE1")->isChecked());
    QVERIFY(child<QCheckBox>("Channel_WE2")->isChecked());

    // Starting at 0.1 V above a lowest point of -0.25 V: Ei and Er1 differ, the tick stays.
    cv.ch1 = method_record(method_index::cyclic).ch1;
    cv.ch1.keys[0] = 0.1;
    cv.ch2.keys[0] = 0.1;
    dir->write_file(experiments + "cv2.qve", file_of(cv));
    next_open_path = path(experiments + "cv2.qve");
    window->on_Open_Experiment_clicked();
    QCOMPARE(spins({"Er1", "Ei"}), (QVector<int>{-250, 100}));
    QVERIFY(child<QCheckBox>("EiEqEr1")->isChecked());

    // A cancelled dialog uses the request up: the next drop or open does not fill the form.
    next_open_path.clear();
    window->on_Open_Experiment_clicked();
    child<QSpinBox>("dpv_step")->setValue(8);
    open(experiments + "dpv.qve");
    QCOMPARE(child<QSpinBox>("dpv_step")->value(), 8);
}

void main_window_files_test::startup_document_is_opened()
{
    dir->write_file(experiments + "start.qve", file_of(method_record(method_index::amperometry)));
    app_state::startup_experiment_path = path(experiments + "start.qve");
    window.reset();
    window = std::make_unique<MainWindow>();
    QCOMPARE(int(window->experiment_records().experiment_count()), 1);
    QCOMPARE(record(0).name, QStringLiteral("start"));
    QCOMPARE(record(0).method, QStringLiteral("Amperometric"));
    QVERIFY(window->screen_state().pending_open_path.isEmpty());

    // A missing document is skipped without a message (none could be answered during start-up).
    app_state::startup_experiment_path = path(experiments + "gone.qve");
    window.reset();
    window = std::make_unique<MainWindow>();
    QCOMPARE(int(window->experiment_records().experiment_count()), 0);
}

void main_window_files_test::autosave_writes_under_temp_and_leaves_unsaved()
{
    QVERIFY(!QFileInfo::exists("Data/Temp"));
    QVERIFY(!window->autosave_record(0));  // no record yet
    open_sample(method_index::chronoamperometry, "scan.qve");
    QCOMPARE(record(0).saved, uint8_t(1));
    QVERIFY(window->autosave_record(0));
    QCOMPARE(record(0).saved, uint8_t(0));
    const QStringList copies = QDir("Data/Temp").entryList({"*.qve"}, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QVERIFY(QRegularExpression("^\\d{8}_\\d{6}\\.qve$").match(copies[0]).hasMatch());
    const experiment_load back = load_experiment_file("Data/Temp/" + copies[0]);
    QVERIFY(back.contents);
    QCOMPARE(back.contents->record.ch1_raw.size(), 7);
    QVERIFY(messages.isEmpty());

    // Runs ending within the same second each keep their own copy.
    QVERIFY(window->autosave_record(0));
    QVERIFY(window->autosave_record(0));
    QCOMPARE(QDir("Data/Temp").entryList({"*.qve"}, QDir::Files).size(), 3);
    for (const char *suffix : {"", "_2", "_3"}) {
        const QString name = QString("Data/Temp/20260304_050607%1.qve").arg(suffix);
        QCOMPARE(*prepare_autosave_path(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))), name);
        dir->write_file(name, "taken");
    }

    // "Data/Temp" taken by a file: nothing can be written, and the caller hears so.
    QDir("Data/Temp").removeRecursively();
    dir->write_file("Data/Temp", "in the way");
    QVERIFY(!window->autosave_record(0));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("Data/Temp"));
    QCOMPARE(record(0).saved, uint8_t(0));
}

void main_window_files_test::refilter_row(int row, void (MainWindow::*choice)())
{
    auto *list = child<QListWidget>("listWidget");
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
    (window.get()->*choice)();
    list->item(row)->setSelected(false);
}

void main_window_files_test::list_refilter_uses_the_recorded_electrodes_rate()
{
    // Both electrodes recorded: the fixed two-electrode rate, not the one-electrode one.
    open_sample(method_index::amperometry, "ampero.qve");
    QVector<double> keys, noisy1, noisy2;
    for (int i = 0; i < 400; ++i) {
        keys << i * curve_filtering::two_electrode_period_ms;
        noisy1 << std::sin(i * 0.05) + ((i * 7919) % 13 - 6) * 0.05;
        noisy2 << std::cos(i * 0.03) - ((i * 104729) % 11 - 5) * 0.04;
    }
    qcp::set_points(record(0).ch1_raw_curve, keys, noisy1);
    qcp::set_points(record(0).ch2_raw_curve, keys, noisy2);
    refilter_row(0, &MainWindow::filt_menu5);
    QCOMPARE(record(0).filter_hz, 5.0f);
    const double two = double(curve_filtering::two_electrode_rate_hz);
    const curve_filtering::series want1 = curve_filtering::refiltered({keys, noisy1}, 5, two);
    const curve_filtering::series want2 = curve_filtering::refiltered({keys, noisy2}, 5, two);
    QCOMPARE(qcp::read_points(record(0).ch1_curve).keys, want1.keys);
    QCOMPARE(qcp::read_points(record(0).ch1_curve).values, want1.values);
    QCOMPARE(qcp::read_points(record(0).ch2_curve).values, want2.values);
    QVERIFY(want1.values != curve_filtering::refiltered({keys, noisy1}, 5, curve_filtering::one_electrode_rate_hz).values);
}

void main_window_files_test::list_refilter_smooths_stored_chrono_steps_apart()
{
    // A chronoamperometry record with its steps known (1 s lead, 3 steps of 100 ms, one electrode), flat at
    // one level per part: every sample keeps its part's level, the first ones of each step included.
    open_sample(method_index::chronoamperometry, "chrono.qve");
    curve &chrono = record(0);
    chrono.rate = 100;
    chrono.cycles = 3;
    chrono.lead_time_s = 1;
    const auto parts =
        curve_filtering::chrono_segments(curve_filtering::make_chrono_layout(100, 3, 1, false), 930);
    QCOMPARE(int(parts.size()), 4);
    const double levels[] = {5.0, 12.5, -3.0, 40.0};
    QVector<double> chrono_keys, flat;
    for (std::size_t k = 0; k < parts.size(); ++k)
        for (int i = parts[k].first; i < parts[k].second; ++i) {
            chrono_keys << i * curve_filtering::one_electrode_period_ms;
            flat << levels[k];
        }
    qcp::set_points(chrono.ch1_raw_curve, chrono_keys, flat);
    qcp::clear_points(chrono.ch2_raw_curve);
    qcp::clear_points(chrono.ch2_curve);
    refilter_row(0, &MainWindow::filt_menu1);
    QCOMPARE(chrono.filter_hz, 1.0f);
    const qcp::points shown = qcp::read_points(chrono.ch1_curve);
    QCOMPARE(shown.keys, chrono_keys);
    for (int i = 0; i < flat.size(); ++i)
        QVERIFY2(std::fabs(shown.values[i] - flat[i]) < 1e-9, qPrintable(QString::number(i)));
    QCOMPARE(qcp::point_count(chrono.ch2_curve), 0);
}

void main_window_files_test::list_refilter_keeps_a_coarse_sweeps_peak_data()
{
    QTest::addColumn<int>("method");
    QTest::newRow("cyclic") << int(method_index::cyclic);
    QTest::newRow("linear sweep") << int(method_index::linear_sweep);
}

// A sweep saved at 100 mV/s in 5 mV steps (20 samples a second, the step from the file's resolution line),
// a Gaussian peak 90 mV wide at half height: re-filtered at 5 Hz, its shown peak keeps the samples' height and
// potential.
void main_window_files_test::list_refilter_keeps_a_coarse_sweeps_peak()
{
    QFETCH(int, method);
    experiment_data r = method_record(method_index(method));
    r.rate = 100;
    r.resolution = 5;
    r.ch1 = r.ch1_raw = r.ch2 = r.ch2_raw = point_series();
    const double sigma_mV = 90.0 / 2.3548;
    for (int i = 0; i <= 200; ++i) {
        const double mV = -400.0 + 5.0 * i;
        r.ch1_raw.append(mV / 1000.0, 2.0 + 40.0 * std::exp(-0.5 * std::pow((mV - 230.0) / sigma_mV, 2)));
    }
    r.ch1 = r.ch1_raw;
    dir->write_file(experiments + "coarse.qve", file_of(r));
    open(experiments + "coarse.qve");
    QCOMPARE(record(0).resolution, uint16_t(5));
    refilter_row(0, &MainWindow::filt_menu5);
    const qcp::points shown = qcp::read_points(record(0).ch1_curve);
    QCOMPARE(shown.keys, qcp::read_points(record(0).ch1_raw_curve).keys);
    const auto top = std::max_element(shown.values.begin(), shown.values.end());
    const double height = *top - 2.0;
    QVERIFY2(std::fabs(height - 40.0) < 0.01 * 40.0, qPrintable(QString("peak %1 over 40").arg(height)));
    QVERIFY(std::fabs(shown.keys[int(top - shown.values.begin())] - 0.23) < 1e-6);
}

void main_window_files_test::center_holds_a_refiltered_curve_as_drawn_data()
{
    QTest::addColumn<float>("saved_hz");
    QTest::addColumn<float>("chosen_hz");  // 0: Raw Data
    QTest::newRow("0.5 Hz, then 5 Hz: the peak grows") << 0.5f << 5.0f;
    QTest::newRow("5 Hz, then 0.5 Hz: the peak shrinks") << 5.0f << 0.5f;
    QTest::newRow("0.5 Hz, then Raw Data") << 0.5f << 0.0f;
}

// A differential pulse record saved with one cut-off, its extremes those of the file's smoothed rows, is
// re-filtered with another: Center then fits the y axis to the curves as drawn, neither cutting the peak nor
// leaving it small.
void main_window_files_test::center_holds_a_refiltered_curve_as_drawn()
{
    QFETCH(float, saved_hz);
    QFETCH(float, chosen_hz);
    const QMap<float, void (MainWindow::*)()> choices{
        {0.0f, &MainWindow::filt_menuraw}, {0.5f, &MainWindow::filt_menu05}, {5.0f, &MainWindow::filt_menu5}};
    open_sample(method_index::differential_pulse, "dpv.qve");
    QVector<double> keys, peak1, peak2;
    for (int i = 0; i < 400; ++i) {
        keys << -0.5 + 0.003 * i;
        peak1 << 30.0 * std::exp(-std::pow((i - 200) / 4.0, 2)) + ((i * 7919) % 13 - 6) * 0.05;
        peak2 << 0.5 * peak1.last() - 1.0;
    }
    qcp::set_points(record(0).ch1_raw_curve, keys, peak1);
    qcp::set_points(record(0).ch2_raw_curve, keys, peak2);
    const auto drawn = [this] {
        QVector<double> values = qcp::read_points(record(0).ch1_curve).values;
        values += qcp::read_points(record(0).ch2_curve).values;
        return QCPRange(*std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
    };
    refilter_row(0, choices.value(saved_hz));
    // As the file gives them: the smoothed rows' extremes, 0 included.
    record(0).i_min = float(std::min(0.0, drawn().lower));
    record(0).i_max = float(std::max(0.0, drawn().upper));

    QCustomPlot *plot = window->findChild<QCustomPlot *>("widget");
    const QCPRange before = plot->yAxis->range();
    refilter_row(0, choices.value(chosen_hz));
    QCOMPARE(record(0).filter_hz, chosen_hz);
    // The re-filter alone widens the axes to hold the curves as drawn (to the record's single precision), and
    // never narrows them.
    const QCPRange kept = plot->yAxis->range();
    const QCPRange want = drawn();
    const double slack = 1e-5 * std::max(1.0, std::max(std::fabs(want.lower), std::fabs(want.upper)));
    QVERIFY2(kept.lower <= std::min(before.lower, want.lower + slack)
                 && kept.upper >= std::max(before.upper, want.upper - slack),
             qPrintable(QString("y %1..%2, before %3..%4, drawn %5..%6")
                            .arg(kept.lower).arg(kept.upper).arg(before.lower).arg(before.upper)
                            .arg(want.lower).arg(want.upper)));
    child<QListWidget>("listWidget")->item(0)->setSelected(true);
    window->on_Center_clicked();
    const QCPRange y = plot->yAxis->range();
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-4 * std::max(1.0, std::fabs(b)); };
    QVERIFY2(near(y.lower, want.lower) && near(y.upper, want.upper),
             qPrintable(QString("y %1..%2, drawn %3..%4").arg(y.lower).arg(y.upper).arg(want.lower).arg(want.upper)));
}

void main_window_files_test::protocol_round_trip_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("extra");
    QTest::newRow("cyclic 736 uV") << 0 << QStringList{"Er1", "Er2", "Ei", "Scan_Rate", "Repeat_No", "Scan_step"}
                                   << QVector<int>{-700, 900, 100, 120, 4, 736} << -1;
    QTest::newRow("cyclic 3 mV") << 0 << QStringList{"Er1", "Er2", "Ei", "Scan_Rate", "Repeat_No", "Scan_step"}
                                 << QVector<int>{-300, 600, -300, 90, 2, 3} << -1;
    QTest::newRow("differential pulse")
        << 1 << QStringList{"dpv_ei", "dpv_ef", "dpv_step", "dpv_width", "dpv_period", "dpv_amplitude"}
        << QVector<int>{-800, 400, 6, 15, 60, 75} << 7;
    QTest::newRow("square wave") << 2 << QStringList{"swv_ei", "swv_ef", "swv_step", "swv_freq", "swv_amp"}
                                 << QVector<int>{-600, 300, 3, 40, 25} << 9;
    QTest::newRow("linear sweep") << 3 << QStringList{"lsv_ei", "lsv_ef", "lsv_rate"}
                                  << QVector<int>{-200, 800, 50} << 3;
    QTest::newRow("normal pulse") << 4 << QStringList{"npv_ei", "npv_ef", "npv_step", "npv_width", "npv_period"}
                                  << QVector<int>{-400, 500, 20, 8, 40} << 11;
    QTest::newRow("chronoamperometry") << 5 << QStringList{"chr_ei", "chr_e1", "chr_e2", "chr_t1", "chr_steps"}
                                       << QVector<int>{200, 700, -600, 300, 5} << 13;
}

void main_window_files_test::protocol_round_trip()
{
    QFETCH(int, method);
    QFETCH(QStringList, boxes);
    QFETCH(QVector<int>, values);
    QFETCH(int, extra);
    auto *step = child<QSpinBox>("Scan_step");
    for (int i = 0; i < boxes.size(); ++i) {
        if (boxes[i] == "Scan_step" && values[i] == 736) {
            step->setValue(0);  // the box's own way into the 0.736 mV step, if the form handles it
            if (step->value() != 736) {
                step->setMaximum(737);
                step->setValue(736);
            }
            continue;
        }
        child<QSpinBox>(qPrintable(boxes[i]))->setValue(values[i]);
    }
    if (method == 0) {
        QCOMPARE(step->value(), values.last());
        child<QCheckBox>("EiEqEr1")->setChecked(values[0] == values[2]);
    }
    child<QComboBox>("Method")->setCurrentIndex(method);
    child<QStackedWidget>("stackedWidget")->setCurrentIndex(method);
    // After the method change: refreshing the estimate reloads the lead time from the settings file.
    if (extra >= 0)
        window->screen_state().extra_time_s = uint8_t(extra);

    next_save_path = path(protocols + "my.scan");
    window->on_Save_Protocol_clicked();
    QCOMPARE(save_calls.size(), 1);
    QCOMPARE(save_calls[0].text(), "Save QV Protocol | QV Protocol (*.qvp) | " + protocols + "New_Scan_Protocol.qvp");
    QVERIFY(messages.isEmpty());
    QVERIFY(dir->exists(protocols + "my.scan.qvp"));
    QCOMPARE(child<QLineEdit>("Protocol_Name")->text(), QStringLiteral("my"));
    const QList<QByteArray> lines = dir->read_file(protocols + "my.scan.qvp").split('\n');
    QCOMPARE(lines.first(), QByteArray::number(method));
    // The lead time sits third for the pulse methods and last for the others; cyclic protocols have none.
    if (extra >= 0)
        QCOMPARE(lines.value(method <= 2 ? 3 : (method == 3 ? 4 : 6)), QByteArray::number(extra));

    // Everything elsewhere: another method, other values, another name, another lead time.
    child<QComboBox>("Method")->setCurrentIndex(6);
    child<QStackedWidget>("stackedWidget")->setCurrentIndex(6);
    for (const QString &b : boxes)
        if (b != "Scan_step")
            child<QSpinBox>(qPrintable(b))->setValue(child<QSpinBox>(qPrintable(b))->minimum());
    if (method == 0) {
        {
            const QSignalBlocker blocker(step);
            step->setMinimum(0);
            step->setMaximum(99);
        }
        step->setValue(50);
        child<QCheckBox>("EiEqEr1")->setChecked(values[0] != values[2]);
    }
    child<QLineEdit>("Protocol_Name")->setText("other");
    window->screen_state().extra_time_s = 200;

    next_open_path = path(protocols + "my.scan.qvp");
    window->on_Load_Protocol_clicked();
    QCOMPARE(open_calls.size(), 1);
    QCOMPARE(open_calls[0].caption, QStringLiteral("Open QV file"));
    QCOMPARE(open_calls[0].proposal, protocols + "other.qvp");
    QCOMPARE(child<QComboBox>("Method")->currentIndex(), method);
    QCOMPARE(child<QLineEdit>("Protocol_Name")->text(), QStringLiteral("my"));
    QCOMPARE(spins(boxes), values);
    if (method == 0) {
        QCOMPARE(child<QLabel>("resolution_label")->text(), values.last() == 736 ? QString("uV") : QString("mV"));
        QCOMPARE(child<QCheckBox>("EiEqEr1")->isChecked(), values[0] == values[2]);
        QCOMPARE(child<QSpinBox>("Ei")->isEnabled(), values[0] != values[2]);
        QCOMPARE(int(window->screen_state().extra_time_s), 200);  // cyclic protocols keep no lead time
    } else {
        QCOMPARE(int(window->screen_state().extra_time_s), extra);
    }
}

void main_window_files_test::cyclic_protocol_file_text()
{
    child<QCheckBox>("EiEqEr1")->setChecked(true);
    const QVector<int> values{500, -500, 500, 100, 1, 2};
    const QStringList boxes{"Er1", "Er2", "Ei", "Scan_Rate", "Repeat_No", "Scan_step"};
    for (int i = 0; i < boxes.size(); ++i)
        child<QSpinBox>(qPrintable(boxes[i]))->setValue(values[i]);
    child<QStackedWidget>("stackedWidget")->setCurrentIndex(0);
    next_save_path = path(protocols + "cv.qvp");
    window->on_actionSave_Protocol_triggered();
    QCOMPARE(dir->read_file(protocols + "cv.qvp"), QByteArray("0\n500\n-500\nchecked\n500\n100\n1\n2"));
}

void main_window_files_test::amperometry_page_leaves_an_existing_protocol()
{
    dir->write_file(protocols + "kept.qvp", "3\n-200\n800\n50\n3\n");
    child<QComboBox>("Method")->setCurrentIndex(6);
    child<QStackedWidget>("stackedWidget")->setCurrentIndex(6);
    next_save_path = path(protocols + "kept.qvp");
    window->on_Save_Protocol_clicked();
    // The user is told at once that there is nothing to save, before naming a file.
    QVERIFY(save_calls.isEmpty());
    const QList<QMessageBox *> told = window->findChildren<QMessageBox *>();
    QCOMPARE(told.size(), 1);
    QVERIFY(told.first()->text().contains("no protocol"));
    QCOMPARE(dir->read_file(protocols + "kept.qvp"), QByteArray("3\n-200\n800\n50\n3\n"));
    QCOMPARE(child<QLineEdit>("Protocol_Name")->text(), QStringLiteral("New_Scan_Protocol"));

    // A protocol whose file cannot be replaced keeps the old text and says so.
    const QString longest = protocols + QString(245, 'p') + ".qvp";
    dir->write_file(longest, "1\n");
    child<QStackedWidget>("stackedWidget")->setCurrentIndex(3);
    next_save_path = path(longest);
    window->on_Save_Protocol_clicked();
    QCOMPARE(dir->read_file(longest), QByteArray("1\n"));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(child<QLineEdit>("Protocol_Name")->text(), QStringLiteral("New_Scan_Protocol"));
}

void main_window_files_test::protocol_without_method_changes_nothing()
{
    child<QComboBox>("Method")->setCurrentIndex(2);
    child<QSpinBox>("Er1")->setValue(-1500);
    for (const QByteArray &text : {QByteArray("9\n500\n-500\n"), QByteArray("x\n1\n"), QByteArray(), QByteArray("-1\n")}) {
        dir->write_file(protocols + "bad.qvp", text);
        next_open_path = path(protocols + "bad.qvp");
        window->on_Load_Protocol_clicked();
        QCOMPARE(child<QComboBox>("Method")->currentIndex(), 2);
        QCOMPARE(child<QSpinBox>("Er1")->value(), -1500);
        QCOMPARE(child<QLineEdit>("Protocol_Name")->text(), QStringLiteral("New_Scan_Protocol"));
    }

    // Index 6 selects amperometry and loads nothing else; a line feed too many does not zero the form.
    dir->write_file(protocols + "ampero.qvp", "6\n");
    next_open_path = path(protocols + "ampero.qvp");
    window->on_actionLoad_Protocol_triggered();
    QCOMPARE(child<QComboBox>("Method")->currentIndex(), 6);
    QCOMPARE(child<QSpinBox>("Er1")->value(), -1500);

    dir->write_file(protocols + "lsv.qvp", "3\n-200\n800\n50\n3\n\n");
    next_open_path = path(protocols + "lsv.qvp");
    window->on_actionSave_As_triggered();
    QCOMPARE(child<QComboBox>("Method")->currentIndex(), 3);
    QCOMPARE(spins({"lsv_ei", "lsv_rate"}), (QVector<int>{-200, 50}));
}

void main_window_files_test::a_name_without_extension_asks_before_replacing_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("Save") << ".qve";
    QTest::newRow("export") << ".xls";
    QTest::newRow("Save Protocol") << ".qvp";
}

// The dialogs get the name as typed and the extension is added afterwards, so the dialog itself could not ask
// about the file that the name ends up at.
void main_window_files_test::a_name_without_extension_asks_before_replacing()
{
    QFETCH(QString, extension);
    open_sample(method_index::cyclic, "scan.qve");
    record(0).saved = 0;
    const QString target = experiments + "old" + extension;
    dir->write_file(target, "keep me");
    const auto save = [&] {
        next_save_path = path(experiments + "old");
        if (extension == ".qve")
            window->on_Save_clicked();
        else if (extension == ".xls")
            window->on_export_2_clicked();
        else
            window->on_Save_Protocol_clicked();
    };
    // No goes back to the dialog, at the name typed; cancelling it there writes nothing.
    later_save_paths = QStringList{QString()};
    save();
    QCOMPARE(replace_questions.size(), 1);
    QVERIFY(replace_questions[0].contains("old" + extension));
    QCOMPARE(save_calls.size(), 2);
    QCOMPARE(save_calls[1].proposal, path(experiments + "old"));
    QCOMPARE(save_calls[1].caption, save_calls[0].caption);
    QCOMPARE(dir->read_file(target), QByteArray("keep me"));
    QCOMPARE(record(0).saved, uint8_t(0));

    // No, then another name: the save goes there.
    later_save_paths = QStringList{path(experiments + "other")};
    save();
    QCOMPARE(replace_questions.size(), 2);
    QCOMPARE(save_calls.size(), 4);
    QCOMPARE(dir->read_file(target), QByteArray("keep me"));
    QVERIFY(QFileInfo::exists(path(experiments + "other" + extension)));
    if (extension != ".qvp")
        QCOMPARE(record(0).saved, uint8_t(1));

    record(0).saved = 0;
    replace_answer = true;
    save();
    QCOMPARE(replace_questions.size(), 3);
    QCOMPARE(save_calls.size(), 5);
    QVERIFY(dir->read_file(target) != QByteArray("keep me"));
}

// A dialog given a folder that does not exist opens where the last one was: after alice's work, bob's files
// would land in alice's folders.
void main_window_files_test::every_dialog_starts_in_the_users_own_folder()
{
    QVERIFY(QDir().mkpath("Data/User/bob"));  // made by hand, without subfolders
    window = std::make_unique<MainWindow>();
    answer_dialogs();
    open_sample(method_index::cyclic, "scan.qve");  // from alice's folder
    window->user_select_slot("bob");

    QString start;  // the dialog's folder, marked when it was not there to open in
    const auto note = [&start](const QString &, const QString &p, const QString &) {
        const QString folder = p.endsWith('/') ? p : QFileInfo(p).path();
        start = QDir::cleanPath(QDir(folder).absolutePath()) + (QFileInfo(folder).isDir() ? "" : " (missing)");
        return QString();
    };
    window->ask_save_path = window->ask_open_path = window->ask_image_path = note;
    const QList<std::tuple<const char *, void (MainWindow::*)(), QString>> commands{
        {"Save", &MainWindow::on_Save_clicked, "Data/User/bob/Experiments"},
        {"export", &MainWindow::on_export_2_clicked, "Data/User"},  // the users' root, as ever: no one else's folder
        {"Open", &MainWindow::on_Open_clicked, "Data/User/bob/Experiments"},
        {"Save Protocol", &MainWindow::on_Save_Protocol_clicked, "Data/User/bob/Protocols"},
        {"Load Protocol", &MainWindow::on_Load_Protocol_clicked, "Data/User/bob/Protocols"},
        {"Image", &MainWindow::on_Image_clicked, "Data/User/bob/Plots"}};
    for (const auto &[name, command, folder] : commands) {
        QVERIFY(QDir("Data/User/bob").removeRecursively() && QDir().mkpath("Data/User/bob"));  // emptied meanwhile
        start.clear();
        (window.get()->*command)();
        QVERIFY2(start == QDir(path(folder)).absolutePath(), qPrintable(name + (": " + start)));
    }
}

QTEST_MAIN(main_window_files_test)
#include "main_window_files_test.moc"
