// The dialogs' forms and their signal routing, offscreen.
#include "dialogs/about_dialog_box.h"
#include "dialogs/change_graph_color.h"
#include "message_catcher.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(uint8_t)

namespace {
template <typename T> T *child(QWidget *w, const char *name)
{
    T *found = w->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QString label_text(QWidget *w, const char *name) { return child<QLabel>(w, name)->text(); }

// Runs the deletions that close() queued on a self-deleting dialog.
void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
} // namespace

class dialog_forms_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<uint8_t>("uint8_t"); }

    void forms_build_without_slot_name_warnings()
    {
        message_catcher catcher;
        {
            About_Dialog_Box about;
            Change_Graph_Color picker;
        }
        QCOMPARE(catcher.slot_name_warnings(), QStringList());
    }

    void about_box_form()
    {
        About_Dialog_Box box;
        QCOMPARE(box.windowTitle(), QStringLiteral("About"));
        QCOMPARE(box.minimumSize(), QSize(500, 181));
        QCOMPARE(box.maximumSize(), QSize(500, 181));
        QCOMPARE(label_text(&box, "PROTOCOL_8"), QStringLiteral("Software:\nVersion 2.4, 2019"));
        QCOMPARE(label_text(&box, "PROTOCOL_7"), QStringLiteral("Device:\nModel: RZ410 Potentiostat   Serial: 31120001"));
        // Until an instrument is reported the identification stays empty.
        QCOMPARE(label_text(&box, "id"), QString());
    }

    void about_box_shows_the_instrument_id_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5 << "K260505";
        QTest::newRow("9") << 9 << "K260509";
        QTest::newRow("10") << 10 << "K260510";
        QTest::newRow("100") << 100 << "K2605100";
    }
    void about_box_shows_the_instrument_id()
    {
        QFETCH(int, id);
        About_Dialog_Box box;
        box.add_serial(uint8_t(id));
        QTEST(label_text(&box, "id"), "text");
        QCOMPARE(label_text(&box, "PROTOCOL_7"), QStringLiteral("Device:\nModel: RZ410 Potentiostat   Serial: 31120001"));
    }

    void picker_feed_matching_the_palette_answers_its_pairs()
    {
        QPointer<Change_Graph_Color> picker = new Change_Graph_Color;
        QSignalSpy run(picker, &Change_Graph_Color::color_changed);
        QSignalSpy analysis(picker, &Change_Graph_Color::color_to_analysis);
        picker->show();
        // Pair 5 on both channels, the second one partly transparent.
        picker->get_colors(QColor(154, 91, 179), QColor(142, 72, 171, 100));
        QCOMPARE(child<QSlider>(picker, "slider1")->value(), 5);
        QCOMPARE(child<QSlider>(picker, "slider2")->value(), 5);
        QCOMPARE(child<QLabel>(picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(154,91,179);"));
        QCOMPARE(child<QLabel>(picker, "main2")->styleSheet(), QStringLiteral("background-color: rgb(142,72,171);"));

        child<QPushButton>(picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(run.at(0).at(0).value<uint8_t>(), uint8_t(4));
        QCOMPARE(run.at(0).at(1).value<uint8_t>(), uint8_t(4));
        QCOMPARE(analysis.count(), 0);
        QVERIFY(!picker->isVisible());
        flush_deletes();
        QVERIFY(picker.isNull());
    }

    void picker_feed_outside_the_palette_falls_back_to_pair_one()
    {
        Change_Graph_Color picker;
        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        picker.get_colors(QColor(1, 2, 3), QColor(0x9c, 0x3d, 0x4e));
        QCOMPARE(child<QSlider>(&picker, "slider1")->value(), 1);
        QCOMPARE(child<QSlider>(&picker, "slider2")->value(), 9);
        // The preview shows what was received, not pair 1.
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(1,2,3);"));
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(run.at(0).at(0).value<uint8_t>(), uint8_t(0));
        QCOMPARE(run.at(0).at(1).value<uint8_t>(), uint8_t(8));
    }

    void picker_fed_by_the_analysis_screen_answers_it_only()
    {
        Change_Graph_Color picker;
        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        QSignalSpy analysis(&picker, &Change_Graph_Color::color_to_analysis);
        picker.get_colors_analysis(QColor(0xee, 0x93, 0x61), QColor(0x23, 0x9f, 0x86));
        QCOMPARE(label_text(&picker, "PROTOCOL_2"), QStringLiteral("Anodic Tangent"));
        QCOMPARE(label_text(&picker, "PROTOCOL_3"), QStringLiteral("Cathodic Tangent"));
        QCOMPARE(child<QLabel>(&picker, "PROTOCOL_2")->size(), QSize(271, 31));
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 0);
        QCOMPARE(analysis.count(), 1);
        QCOMPARE(analysis.at(0).at(0).value<uint8_t>(), uint8_t(11));
        QCOMPARE(analysis.at(0).at(1).value<uint8_t>(), uint8_t(0));
    }

    void picker_cancel_and_close_send_nothing()
    {
        for (bool by_cancel : {true, false}) {
            QPointer<Change_Graph_Color> picker = new Change_Graph_Color;
            QSignalSpy run(picker, &Change_Graph_Color::color_changed);
            QSignalSpy analysis(picker, &Change_Graph_Color::color_to_analysis);
            picker->show();
            picker->get_colors(QColor(0x2a, 0xbb, 0x9b), QColor(0x23, 0x9f, 0x86));
            child<QToolButton>(picker, "c7")->click();
            if (by_cancel)
                child<QPushButton>(picker, "pushButton")->click();
            else
                picker->close();
            QCOMPARE(run.count(), 0);
            QCOMPARE(analysis.count(), 0);
            flush_deletes();
            QVERIFY(picker.isNull());
        }
    }

    void picker_swatches_move_linked_and_unlinked_sliders()
    {
        Change_Graph_Color picker;
        auto *slider1 = child<QSlider>(&picker, "slider1");
        auto *slider2 = child<QSlider>(&picker, "slider2");
        auto *link = child<QToolButton>(&picker, "Linked_Colors");
        QVERIFY(link->isCheckable());
        QVERIFY(!link->isChecked());

        child<QToolButton>(&picker, "c7")->click();
        QCOMPARE(slider1->value(), 7);
        QCOMPARE(slider2->value(), 7);
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(56,202,115);"));
        QCOMPARE(child<QLabel>(&picker, "main2")->styleSheet(), QStringLiteral("background-color: rgb(48,173,100);"));

        child<QToolButton>(&picker, "c24")->click();
        QCOMPARE(slider1->value(), 12);
        QCOMPARE(slider2->value(), 12);

        link->click(); // unlink
        QVERIFY(link->isChecked());
        QCOMPARE(slider2->value(), 12);
        child<QToolButton>(&picker, "c3")->click();
        child<QToolButton>(&picker, "c21")->click();
        QCOMPARE(slider1->value(), 3);
        QCOMPARE(slider2->value(), 9);
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(230,77,67);"));

        link->click(); // link again: channel 2 follows channel 1
        QCOMPARE(slider2->value(), 3);
        QCOMPARE(child<QLabel>(&picker, "main2")->styleSheet(), QStringLiteral("background-color: rgb(191,58,49);"));

        // Dragging one slider never drags the other, linked or not.
        slider1->setValue(10);
        QCOMPARE(slider2->value(), 3);
        QCOMPARE(child<QLabel>(&picker, "main1")->styleSheet(), QStringLiteral("background-color: rgb(84,187,212);"));

        QSignalSpy run(&picker, &Change_Graph_Color::color_changed);
        child<QPushButton>(&picker, "pushButton_2")->click();
        QCOMPARE(run.count(), 1);
        QCOMPARE(run.at(0).at(0).value<uint8_t>(), uint8_t(9));
        QCOMPARE(run.at(0).at(1).value<uint8_t>(), uint8_t(2));
    }
};

QTEST_MAIN(dialog_forms_test)
#include "dialog_forms_test.moc"
