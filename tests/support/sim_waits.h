// Waiting for what a simulated instrument receives. It reads the program's bytes in the test's own event
// loop, so a loaded machine delays them as much as it delays the program: a check waits for them, with a cap
// no such machine reaches, and names the commands that did arrive when they are not the ones expected.
#pragma once

#include <QString>
#include <QVector>
#include <QtTest>
#include <cstdint>

class sim_instrument;

// Far longer than any delivery takes; only a fault waits it out.
constexpr int sim_delivery_cap_ms = 30000;

// Processes events until `sim` has received as many bytes as the bursts of `expected` make, or the cap runs
// out; then true only if it received exactly those bursts. More bytes, or other ones, fail as soon as they
// are in; bytes that never come fail at the cap.
bool receives_commands(const sim_instrument &sim, const QVector<uint8_t> &expected,
                       int cap_ms = sim_delivery_cap_ms);

// "received 0F 0B (40 bytes), expected 0F": what a failed check tells.
QString commands_report(const sim_instrument &sim, const QVector<uint8_t> &expected);

// Fails the test, saying what arrived, unless `sim` receives exactly these commands (as bursts), in order.
// A check that nothing else arrived needs a later event that must come after it: see where it is used.
#define QVERIFY_RECEIVES(sim, ...)                                                              \
    do {                                                                                        \
        const QVector<uint8_t> expected_commands_{__VA_ARGS__};                                 \
        const bool received_them_ = receives_commands((sim), expected_commands_);               \
        QVERIFY2(received_them_, qPrintable(commands_report((sim), expected_commands_)));       \
    } while (false)
