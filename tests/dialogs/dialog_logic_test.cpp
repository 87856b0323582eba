// Texts and colour choices of the dialogs, checked without widgets.
#include "dialogs/colour_choice.h"
#include "dialogs/dialog_texts.h"

#include <QtTest>

class dialog_logic_test : public QObject {
    Q_OBJECT

private slots:
    void instrument_id_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "K260500";
        QTest::newRow("9") << 9 << "K260509";
        QTest::newRow("10") << 10 << "K260510";
        QTest::newRow("100") << 100 << "K2605100";
        QTest::newRow("255") << 255 << "K2605255";
    }
    void instrument_id()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(instrument_id_text(uint8_t(id)), text);
    }

    void experiment_warning_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("detail");
        const QString many = "All the data of the unsaved experiments will be lost.";
        QTest::newRow("none") << 0 << "0 items are selected" << "Do you want to delete these experiments?" << many;
        QTest::newRow("one") << 1 << "Warning:Delete \"exp1\"" << "Do you want to delete this experiment?"
                             << "exp1.qve\nAll the data of the unsaved experiment will be lost.";
        QTest::newRow("three") << 3 << "3 items are selected" << "Do you want to delete these experiments?" << many;
        // A count that does not fit a byte must not wrap round to 0 or 1.
        QTest::newRow("256") << 256 << "256 items are selected" << "Do you want to delete these experiments?" << many;
        QTest::newRow("65537") << 65537 << "65537 items are selected" << "Do you want to delete these experiments?"
                               << many;
    }
    void experiment_warning()
    {
        QFETCH(int, count);
        const delete_warning_text t = experiment_delete_warning(count, QStringLiteral("exp1"));
        QTEST(t.title, "title");
        QTEST(t.question, "question");
        QTEST(t.detail, "detail");
    }

    void analysis_warning_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("question");
        QTest::newRow("none") << 0 << "0 items are selected" << "Do you want to delete these analyses?";
        QTest::newRow("one") << 1 << "Warning:Delete \"cv 2\"" << "Do you want to delete this analysis?";
        QTest::newRow("three") << 3 << "3 items are selected" << "Do you want to delete these analyses?";
        QTest::newRow("256") << 256 << "256 items are selected" << "Do you want to delete these analyses?";
    }
    void analysis_warning()
    {
        QFETCH(int, count);
        const delete_warning_text t = analysis_delete_warning(count, QStringLiteral("cv 2"));
        QTEST(t.title, "title");
        QTEST(t.question, "question");
        // Same detail whatever the count; the name never appears in it.
        QCOMPARE(t.detail, QStringLiteral("Only the current unsaved analyses will be deleted.\n"
                                          "Experiment raw data will not be modified."));
    }

    void every_palette_colour_finds_its_pair_on_its_own_channel_only()
    {
        const QRgb ch1[] = {0x2abb9b, 0xf0c386, 0xe64d43, 0x3b99d8, 0x9a5bb3, 0x95a5a5,
                            0x38ca73, 0x9a8c37, 0xb05266, 0x54bbd4, 0xeba0a0, 0xee9361};
        const QRgb ch2[] = {0x239f86, 0xf19b2b, 0xbf3a31, 0x3081b7, 0x8e48ab, 0x7e8c8c,
                            0x30ad64, 0x75691e, 0x9c3d4e, 0x439cc7, 0xa48e97, 0xb34a41};
        for (int pair = 0; pair < 12; ++pair) {
            QCOMPARE(matching_pair(QColor(ch1[pair]), 1), pair);
            QCOMPARE(matching_pair(QColor(ch2[pair]), 2), pair);
            QCOMPARE(matching_pair(QColor(ch1[pair]), 2), -1);
            QCOMPARE(matching_pair(QColor(ch2[pair]), 1), -1);
        }
    }

    void colours_outside_the_palette()
    {
        QCOMPARE(matching_pair(QColor(154, 91, 180), 1), -1); // one step from pair 5
        QCOMPARE(matching_pair(QColor(), 1), -1);              // invalid reads as black
        QCOMPARE(slider_for_colour(QColor(1, 2, 3), 2), 1);
        QCOMPARE(slider_for_colour(QColor(0xb3, 0x4a, 0x41), 2), 12);
        // Transparency does not hide a palette colour.
        QCOMPARE(slider_for_colour(QColor(154, 91, 179, 40), 1), 5);
    }

    void preview_style_text()
    {
        QCOMPARE(preview_style(QColor(42, 187, 155)), QStringLiteral("background-color: rgb(42,187,155);"));
        QCOMPARE(preview_style(QColor(0, 0, 0, 10)), QStringLiteral("background-color: rgb(0,0,0);"));
    }

    void swatch_names()
    {
        QVector<int> numbers;
        for (const char *name : {"c1", "c7", "c13", "c24", "c25", "c0", "c", "cx", "main1"})
            numbers << swatch_number(name);
        QCOMPARE(numbers, QVector<int>({1, 7, 13, 24, 0, 0, 0, 0, 0}));
    }

    void swatch_click_data()
    {
        QTest::addColumn<int>("swatch");
        QTest::addColumn<bool>("unlinked");
        QTest::addColumn<int>("ch1");
        QTest::addColumn<int>("ch2");
        // Sliders stand at pairs 3 and 9 before each click.
        QTest::newRow("c7 linked") << 7 << false << 7 << 7;
        QTest::newRow("c7 unlinked") << 7 << true << 7 << 9;
        QTest::newRow("c12 linked") << 12 << false << 12 << 12;
        QTest::newRow("c13 linked") << 13 << false << 1 << 1;
        QTest::newRow("c13 unlinked") << 13 << true << 3 << 1;
        QTest::newRow("c24 linked") << 24 << false << 12 << 12;
        QTest::newRow("c24 unlinked") << 24 << true << 3 << 12;
        QTest::newRow("not a swatch") << 0 << false << 3 << 9;
        QTest::newRow("beyond the palette") << 25 << false << 3 << 9;
    }
    void swatch_click()
    {
        QFETCH(int, swatch);
        QFETCH(bool, unlinked);
        const pair_sliders after = after_swatch_click({3, 9}, swatch, unlinked);
        QTEST(after.ch1, "ch1");
        QTEST(after.ch2, "ch2");
    }

    void link_toggle()
    {
        const pair_sliders linked = after_link_click({3, 9}, false), unlinked = after_link_click({3, 9}, true);
        QCOMPARE((QVector<int>{linked.ch1, linked.ch2, unlinked.ch1, unlinked.ch2}), QVector<int>({3, 3, 3, 9}));
    }
};

QTEST_GUILESS_MAIN(dialog_logic_test)
#include "dialog_logic_test.moc"
