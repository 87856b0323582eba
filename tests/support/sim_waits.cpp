// Waiting for the commands a simulated instrument receives.
#include "support/sim_waits.h"

#include <QStringList>

#include "instrument/commands.h"
#include "support/sim_instrument.h"

namespace {
QString command_names(const QVector<uint8_t> &commands)
{
    if (commands.isEmpty())
        return QStringLiteral("nothing");
    QStringList names;
    for (uint8_t command : commands)
        names << QStringLiteral("%1").arg(command, 2, 16, QLatin1Char('0')).toUpper();
    return names.join(QLatin1Char(' '));
}
}  // namespace

bool receives_commands(const sim_instrument &sim, const QVector<uint8_t> &expected, int cap_ms)
{
    QByteArray wanted;
    for (uint8_t command : expected)
        wanted += command_bytes(command);
    const bool all_in = QTest::qWaitFor([&] { return sim.received().size() >= wanted.size(); }, cap_ms);
    return all_in && sim.received() == wanted;
}

QString commands_report(const sim_instrument &sim, const QVector<uint8_t> &expected)
{
    return QStringLiteral("received %1 (%2 bytes), expected %3")
        .arg(command_names(sim.commands()))
        .arg(sim.received().size())
        .arg(command_names(expected));
}
