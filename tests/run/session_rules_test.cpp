// The messages the run screen sends the settings box and the analysis screen, and which experiments it hands over.
#include <QtTest>

#include "run/session_rules.h"

class session_rules_test : public QObject {
    Q_OBJECT
private slots:
    void settings_messages_mark_the_current_user_and_leave_out_log_out()
    {
        const QStringList box{"Ann", "Bob", "Log Out"};
        QCOMPARE(session::settings_user_messages(box, 1),
                 (QStringList{"Ann", "itiscoming_protocol", "Bob", "go_to_protocols_configure"}));
        QCOMPARE(session::settings_user_messages(box, 0),
                 (QStringList{"itiscoming_protocol", "Ann", "Bob", "go_to_protocols_configure"}));
        // The box on "Log Out" (or on nothing) marks no user.
        QCOMPARE(session::settings_user_messages(box, 2), (QStringList{"Ann", "Bob", "go_to_protocols_configure"}));
        QCOMPARE(session::settings_user_messages(box, -1), (QStringList{"Ann", "Bob", "go_to_protocols_configure"}));
    }

    void settings_messages_of_an_empty_box_only_end_the_list()
    {
        QCOMPARE(session::settings_user_messages({}, -1), QStringList{"go_to_protocols_configure"});
        QCOMPARE(session::settings_user_messages({"Log Out"}, 0), QStringList{"go_to_protocols_configure"});
    }

    void analysis_messages_keep_log_out_and_mark_the_current_row()
    {
        const QStringList box{"Ann", "Bob", "Log Out"};
        QCOMPARE(session::analysis_user_messages(box, 1), (QStringList{"Ann", "0xffrecentuser\tBob", "Log Out"}));
        QCOMPARE(session::analysis_user_messages(box, -1), box);
        QCOMPARE(session::analysis_user_messages({}, 0), QStringList{});
    }

    void connection_state()
    {
        QCOMPARE(session::connection_state_message("Disconnected"), QStringLiteral("disconnected"));
        QCOMPARE(session::connection_state_message("RZ410-K260507"), QStringLiteral("RZ410-K260507"));
        // Only the exact text means no instrument.
        QCOMPARE(session::connection_state_message("disconnected"), QStringLiteral("disconnected"));
        QCOMPARE(session::connection_state_message("Disconnect"), QStringLiteral("Disconnect"));
    }

    void cyclic_rows_and_position_of_the_current_row()
    {
        const QStringList methods{"Cyclic Voltammetry", "Chronoamperometry", "Cyclic Voltammetry",
                                  "cyclic voltammetry", "Cyclic Voltammetry"};
        QCOMPARE(session::cyclic_rows(methods), (QVector<int>{0, 2, 4}));
        QCOMPARE(session::handed_over_position(methods, 0), 0);
        QCOMPARE(session::handed_over_position(methods, 2), 1);
        QCOMPARE(session::handed_over_position(methods, 4), 2);
        // Another method, a name that differs in case, no current row, a row past the list.
        QCOMPARE(session::handed_over_position(methods, 1), -1);
        QCOMPARE(session::handed_over_position(methods, 3), -1);
        QCOMPARE(session::handed_over_position(methods, -1), -1);
        QCOMPARE(session::handed_over_position(methods, 5), -1);
        QCOMPARE(session::handed_over_position({}, 0), -1);
    }

    void rows_named_never_picks_log_out()
    {
        const QStringList box{"Ann", "Bob", "Ann", "Log Out"};
        QCOMPARE(session::rows_named(box, "Ann"), (QVector<int>{0, 2}));
        QCOMPARE(session::rows_named(box, "Log Out"), QVector<int>{});
        QCOMPARE(session::rows_named(box, "ann"), QVector<int>{});
        QCOMPARE(session::rows_named(box, "Bob "), QVector<int>{});
    }
};

QTEST_GUILESS_MAIN(session_rules_test)
#include "session_rules_test.moc"
