// The report-settings form: it builds with its texts and nothing in it acts yet.
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QtTest>
#include <memory>

#include "shell/reports_settings_box.h"
#include "support/slot_warning_guard.h"
#include "support/temp_workdir.h"

class test_reports_settings_box : public QObject {
    Q_OBJECT
private slots:
    void form_builds_with_its_texts()
    {
        std::unique_ptr<reports_settings_box> box;
        {
            slot_warning_guard guard;
            box = std::make_unique<reports_settings_box>();
            QCOMPARE(guard.slot_name_warnings(), QStringList());
        }
        QCOMPARE(box->windowTitle(), QStringLiteral("Report Settings"));
        QVERIFY(!box->windowIcon().isNull());
        QStringList label_texts;
        for (const QLabel *label : box->findChildren<QLabel *>())
            label_texts << label->text();
        for (const char *text : {"REPORT SETTINGS", "Report Type:", "Header:", "Department:", "Institution:", "Study:",
                                 "Date:", "Time:"})
            QVERIFY2(label_texts.contains(QLatin1String(text)), text);

        auto *type = box->findChild<QComboBox *>("report_type");
        QVERIFY(type);
        QStringList items;
        for (int i = 0; i < type->count(); ++i)
            items << type->itemText(i);
        QCOMPARE(items, (QStringList{"Single Experiment", "Single Experiment with Analysis", "Multiple Experiments ",
                                     "Single Experiment Multiple Analyses", "Multiple Experiment with Analysis"}));
        for (const char *name : {"header_name", "department_name", "institution_name", "study_name"})
            QVERIFY2(box->findChild<QLineEdit *>(name), name);
        QVERIFY(box->findChild<QDateEdit *>("report_date"));
        QVERIFY(box->findChild<QTimeEdit *>("report_time"));

        QStringList buttons;
        for (const char *name : {"resetall", "cancel", "save"})
            buttons << (box->findChild<QPushButton *>(name) ? box->findChild<QPushButton *>(name)->text() : "missing");
        QCOMPARE(buttons, (QStringList{"Reset All", "Cancel", "Save"}));
    }

    void buttons_neither_close_nor_write()
    {
        temp_workdir dir;
        reports_settings_box box;
        box.show();
        box.findChild<QLineEdit *>("header_name")->setText("Lab 4");
        for (const char *name : {"resetall", "save", "cancel"})
            QTest::mouseClick(box.findChild<QPushButton *>(name), Qt::LeftButton);
        QVERIFY(box.isVisible());
        QCOMPARE(box.findChild<QLineEdit *>("header_name")->text(), QStringLiteral("Lab 4"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
        QCOMPARE(QDir(dir.path() + "/Libraries").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_MAIN(test_reports_settings_box)
#include "reports_settings_box_test.moc"
