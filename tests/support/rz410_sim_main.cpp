// rz410_sim: simulated instruments on pseudo-terminals, for trying the run screen by hand.
// Usage: rz410_sim [count] [speed-up]; then start the program with the printed RZ410_EXTRA_PORTS.
#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <vector>

#include "support/sim_instrument.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 1;
    const double speed_up = args.size() > 2 ? args.at(2).toDouble() : 1.0;

    QTextStream out(stdout);
    std::vector<std::unique_ptr<sim_instrument>> instruments;
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        auto sim = std::make_unique<sim_instrument>(uint8_t(i + 1));
        if (!sim->is_plugged()) {
            QTextStream(stderr) << "cannot create a pseudo-terminal\n";
            return 1;
        }
        sim->set_speed_up(speed_up);
        const QString path = sim->slave_path();
        QObject::connect(sim.get(), &sim_instrument::command_received, [&out, path](uint8_t command) {
            out << path << " command 0x" << QString::number(command, 16) << "\n";
            out.flush();
        });
        QObject::connect(sim.get(), &sim_instrument::parameter_frame_received, [&out, path](const QByteArray &frame) {
            out << path << " frame " << frame.toHex(' ') << "\n";
            out.flush();
        });
        QObject::connect(sim.get(), &sim_instrument::run_finished, [&out, path] {
            out << path << " run finished\n";
            out.flush();
        });
        out << "instrument " << (i + 1) << ": " << path << "\n";
        paths << path;
        instruments.push_back(std::move(sim));
    }
    out << "RZ410_EXTRA_PORTS=" << paths.join(QLatin1Char(':')) << "\n";
    out.flush();
    return app.exec();
}
