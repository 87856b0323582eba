// The settings box: loading the file, the user and instrument feeds, Reset All and Save.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "shell/settings_box.h"
#include "shell/settings_file.h"
#include "shell/settings_values.h"
#include "support/temp_workdir.h"

namespace {

QByteArray file_of(const QStringList &lines) { return settings_file::compose(lines); }

// A stored file whose values all differ from the form's starting values.
const QStringList stored{"Bob", "1", "RZ410-K260512", "0", "1", "5", "4", "Pearson's RR", "1",
                         "1", "1", "1", "1", "1", "0", "7", "4"};

template <typename T>
T *child(settings_box &box, const char *name)
{
    auto *w = box.findChild<T *>(name);
    if (!w)
        qFatal("missing widget %s", name);
    return w;
}

int index_of(settings_box &box, const char *name) { return child<QComboBox>(box, name)->currentIndex(); }

void feed_users(settings_box &box, const QStringList &users, int current)
{
    for (int i = 0; i < users.size(); ++i) {
        if (i == current)
            box.get_users("itiscoming_protocol");
        box.get_users(users.at(i));
    }
    box.get_users("go_to_protocols_configure");
}

// Records what settings_close carried; a spy cannot hold an int8_t argument.
struct close_recorder {
    QList<int> indices;
    explicit close_recorder(settings_box &box)
    {
        QObject::connect(&box, &settings_box::settings_close, &box, [this](int8_t i) { indices << i; });
    }
};

} // namespace

class test_settings_box : public QObject {
    Q_OBJECT
private slots:
    void lines_round_trip_and_ranges()
    {
        const settings_values form;
        const QStringList lines = settings_lines(form);
        QCOMPARE(lines.size(), settings_file::line_count);
        QCOMPARE(lines, (QStringList{"", "1", "", "1", "1", "3", "0", "Tangent", "0", "0", "0", "2", "0", "0", "2",
                                     "0", "0"}));

        // Every field is read back from its own line, line 7 by its text.
        const settings_values loaded = apply_settings_lines(form, stored);
        QStringList expected = stored;
        expected[0] = "";
        expected[2] = "";
        QCOMPARE(settings_lines(loaded), expected);

        // Out-of-range values, unknown text and missing lines leave the fields alone.
        const QStringList odd{"x", "1", "", "", "abc", "7", "-1", "pearson's rr", "2", "2", "-1", "3", "2", "9",
                              "3", "100"};
        // The electrodes read empty and text as 0; the quiet time of 100 is past the spin box; line 16 is missing.
        QStringList kept = expected;
        kept[3] = kept[4] = "0";
        QCOMPARE(settings_lines(apply_settings_lines(loaded, odd)), kept);

        const settings_values two_lines = apply_settings_lines(loaded, {"Ann", "1"});
        QCOMPARE(settings_lines(two_lines), settings_lines(loaded));
    }

    void form_starting_values()
    {
        temp_workdir dir;
        settings_box box;
        QCOMPARE(box.windowTitle(), QString("Settings"));
        QCOMPARE(box.size(), QSize(825, 458));
        QCOMPARE(settings_lines(box.form_values()), settings_lines(settings_values()));
        QCOMPARE(child<QComboBox>(box, "scan_protocol")->count(), 7);
        // The run screen's seven ranges (µA) at the same indexes: a stored index means the same range in both boxes.
        QStringList ranges;
        for (int i = 0; i < child<QComboBox>(box, "Current_Range")->count(); ++i)
            ranges << child<QComboBox>(box, "Current_Range")->itemText(i);
        QCOMPARE(ranges, (QStringList{"2250", "225", "44", "22.5", "11.5", "4.4", "2.25"}));
        QStringList smallest = stored;
        smallest[settings_file::current_range] = "6";
        QCOMPARE(apply_settings_lines(settings_values(), smallest).current_range, 6);
        QCOMPARE(child<QComboBox>(box, "filter")->itemText(6), QString("10Hz"));
        QCOMPARE(child<QSpinBox>(box, "quiet_time")->maximum(), 99);
        QVERIFY(!child<QComboBox>(box, "Image_size")->isEnabled());
        QVERIFY(!child<QComboBox>(box, "Image_size_report")->isEnabled());
        QVERIFY(child<QComboBox>(box, "Image_Type")->isEnabled());
    }

    void feeds_and_load()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", file_of(stored));
        settings_box box;
        feed_users(box, {"Ann", "Bob"}, 1);
        auto *users = child<QComboBox>(box, "User");
        QCOMPARE(users->count(), 2);
        QCOMPARE(users->itemText(0), QString("Ann"));
        QCOMPARE(users->currentText(), QString("Bob"));
        QCOMPARE((QVector<int>{index_of(box, "Current_Range"), index_of(box, "scan_protocol"), index_of(box, "filter"),
                               child<QSpinBox>(box, "quiet_time")->value()}),
                 QVector<int>({5, 4, 4, 7}));
        QCOMPARE(child<QComboBox>(box, "analysis_protocol")->currentText(), QString("Pearson's RR"));
        QVERIFY(!child<QCheckBox>(box, "Channel_WE1")->isChecked() && child<QCheckBox>(box, "Channel_WE2")->isChecked());

        box.get_qv_info(5);
        box.get_qv_info(12);
        auto *port = child<QComboBox>(box, "Port");
        QCOMPARE(port->itemText(0), QString("RZ410-K260505"));
        QCOMPARE(port->itemText(1), QString("RZ410-K260512"));
        QCOMPARE(dir.read_file("Libraries/Config.txt"), file_of(stored));  // loading writes nothing
    }

    void out_of_range_file_never_writes_minus_one()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt",
                       "Ann\r\n1\r\n\r\n1\r\n1\r\n9\r\n-1\r\nTangent\r\n5\r\n7\r\n2\r\n8\r\n-3\r\n4\r\n4\r\n-2\r\n12\r\n");
        settings_box box;
        feed_users(box, {"Ann"}, 0);
        close_recorder closed(box);
        QTest::mouseClick(child<QPushButton>(box, "pushButton_3"), Qt::LeftButton);
        QCOMPARE(closed.indices, QList<int>{-1});  // no instrument listed
        const QStringList written = settings_file::parse_lines(dir.read_file("Libraries/Config.txt"));
        QCOMPARE(written, (QStringList{"Ann", "1", "", "1", "1", "3", "0", "Tangent", "0", "0", "0", "2", "0", "0",
                                       "2", "0", "0"}));
    }

    void emptied_lists_write_their_first_item()
    {
        settings_values emptied;
        emptied.current_range = -1;
        emptied.scan_protocol = -1;
        emptied.analysis_protocol = -1;
        emptied.filter = -1;
        emptied.quiet_time_s = -1;
        QCOMPARE(settings_lines(emptied), (QStringList{"", "1", "", "1", "1", "0", "0", "Tangent", "0", "0", "0", "2", "0",
                                                      "0", "2", "0", "0"}));

        temp_workdir dir;
        settings_box box;
        feed_users(box, {"Ann"}, 0);
        for (const char *name : {"Current_Range", "scan_protocol", "report_type", "Plot_Mode", "Image_Type",
                                 "Image_size", "resolution", "report_template", "Image_size_report", "filter"})
            child<QComboBox>(box, name)->clear();
        QTest::mouseClick(child<QPushButton>(box, "pushButton_3"), Qt::LeftButton);
        const QStringList written = settings_file::parse_lines(dir.read_file("Libraries/Config.txt"));
        QCOMPARE(written, (QStringList{"Ann", "1", "", "1", "1", "0", "0", "Tangent", "0", "0", "0", "0", "0", "0",
                                       "0", "0", "0"}));
    }

    void reset_all_then_save_writes_the_first_items()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", "Bob\r\n1\r\n");  // two lines: Save writes all 17
        settings_box box;
        box.show();
        feed_users(box, {"Ann", "Bob"}, 1);
        box.get_qv_info(5);
        box.get_qv_info(12);
        child<QComboBox>(box, "Port")->setCurrentIndex(1);
        child<QComboBox>(box, "Image_Type")->setCurrentIndex(1);
        child<QSpinBox>(box, "quiet_time")->setValue(7);
        child<QComboBox>(box, "filter")->setCurrentIndex(4);
        child<QComboBox>(box, "Plot_Mode")->setCurrentIndex(1);
        child<QCheckBox>(box, "Channel_WE2")->setChecked(false);
        child<QComboBox>(box, "analysis_protocol")->setCurrentIndex(1);

        QTest::mouseClick(child<QPushButton>(box, "resetall"), Qt::LeftButton);
        QCOMPARE(dir.read_file("Libraries/Config.txt"), QByteArray("Bob\r\n1\r\n"));  // nothing written yet
        close_recorder closed(box);
        QTest::mouseClick(child<QPushButton>(box, "pushButton_3"), Qt::LeftButton);
        QCOMPARE(dir.read_file("Libraries/Config.txt"),
                 QByteArray("Ann\r\n1\r\nRZ410-K260505\r\n1\r\n1\r\n0\r\n0\r\nTangent\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n"
                            "7\r\n4\r\n"));
        QCOMPARE(closed.indices, QList<int>{0});
        QVERIFY(!box.isVisible());
    }

    void save_without_libraries_still_answers()
    {
        temp_workdir dir(false);
        settings_box box;
        box.show();
        box.get_qv_info(3);
        close_recorder closed(box);
        QTest::mouseClick(child<QPushButton>(box, "pushButton_3"), Qt::LeftButton);
        QCOMPARE(closed.indices, QList<int>{0});
        QVERIFY(!dir.exists("Libraries"));
        QVERIFY(!box.isVisible());
        bool shown = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown |= w->objectName() == "settings_not_saved" && w->isVisible();
        QVERIFY(shown);  // a failed save is told, not passed off as done
    }

    void cancel_writes_and_sends_nothing()
    {
        temp_workdir dir;
        dir.write_file("Libraries/Config.txt", file_of(stored));
        settings_box box;
        box.show();
        feed_users(box, {"Ann"}, 0);
        close_recorder closed(box);
        child<QComboBox>(box, "filter")->setCurrentIndex(0);
        QTest::mouseClick(child<QPushButton>(box, "cancel"), Qt::LeftButton);
        QVERIFY(closed.indices.isEmpty());
        QVERIFY(!box.isVisible());
        QCOMPARE(dir.read_file("Libraries/Config.txt"), file_of(stored));
    }
};

QTEST_MAIN(test_settings_box)
#include "settings_box_test.moc"
