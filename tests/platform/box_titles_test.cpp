// Message boxes and small fixed windows are wide enough for the window manager to show their whole title.
#include <QtTest>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "platform/box_titles.h"

using namespace platform;

class box_titles_test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The program's own face for its widgets, narrower than the title face: the box's text alone would
        // leave it too narrow for its title.
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans Condensed"), 8));
        fit_message_box_titles();
    }

    void boxes_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("image not written") << "Unable to open file" << "The file could not be opened.";
        QTest::newRow("short text") << "Unable to save the protocol file" << "Error";
        QTest::newRow("no title") << QString() << "The application is already running.";
        QTest::newRow("text wider than the title") << "Error" << QString("The folder could not be made. ").repeated(3);
    }

    // The title's bold text fits beside the window's icon and three buttons, each as wide as the bar is high.
    void title_width_leaves_room_for_the_frame_controls_data() { boxes_data(); }
    void title_width_leaves_room_for_the_frame_controls()
    {
        QFETCH(QString, title);
        for (int points : {8, 12, 20}) {
            const QFont font(QStringLiteral("DejaVu Sans"), points);
            QFont bold = font;
            bold.setBold(true);
            const QFontMetrics metrics(bold);
            QVERIFY(title_width_needed(title, font) >= metrics.horizontalAdvance(title) + 4 * metrics.height());
        }
    }

    // As the run screen shows them: a static box, shown modal.
    void shown_box_is_as_wide_as_its_title_needs_data() { boxes_data(); }
    void shown_box_is_as_wide_as_its_title_needs()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QSize shown;
        QTimer::singleShot(0, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->size();
                box->accept();
            }
        });
        QMessageBox::information(nullptr, title, text, QMessageBox::Ok);
        QVERIFY2(shown.width() >= title_width_needed(title, window_title_font()), qPrintable(QString::number(shown.width())));
    }

    // As the analysis screen shows them: a box built once and shown again with another title.
    void box_shown_again_fits_its_new_title()
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Error"), QStringLiteral("Nothing to analyse."),
                        QMessageBox::Ok);
        box.show();
        const int first = box.width();
        box.hide();
        const QString longer = QStringLiteral("The analysis could not be saved in its folder");
        box.setWindowTitle(longer);
        box.show();
        QVERIFY(box.width() >= title_width_needed(longer, window_title_font()));
        QVERIFY(box.width() > first);
    }

    // A small window of fixed size laid out by hand: wide enough for its title, its content still in the middle;
    // one wide enough already keeps its size.
    void fixed_window_fits_its_title()
    {
        for (const QString &title : {QStringLiteral("Connecting.."), QStringLiteral("OK")}) {
            QDialog window;
            window.setWindowTitle(title);
            window.setFixedSize(145, 52);
            auto *label = new QLabel(QStringLiteral("Connecting.."), &window);
            label->setGeometry(20, 10, 101, 31);
            fit_fixed_window_to_title(window);
            const int needed = title_width_needed(title, window_title_font());
            QCOMPARE(window.width(), std::max(145, needed));
            QCOMPARE(window.minimumSize(), window.maximumSize());
            const int left = label->x(), right = window.width() - label->geometry().right() - 1;
            QVERIFY2(qAbs(left - right) <= 5, qPrintable(QStringLiteral("%1 %2").arg(left).arg(right)));
        }
    }
};

QTEST_MAIN(box_titles_test)
#include "box_titles_test.moc"
