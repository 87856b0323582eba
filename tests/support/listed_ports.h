// Simulated instruments are found the way a user's would be: through the port listing, which takes
// them from RZ410_EXTRA_PORTS while their device nodes exist.
#pragma once

#include <vector>

class sim_instrument;

// Names exactly these instruments' paths in RZ410_EXTRA_PORTS.
void list_ports(const std::vector<sim_instrument *> &sims);

// Pulls the cable. The freed pseudo-terminal number goes to the next one opened, possibly by another
// test running at the same time, so the path leaves RZ410_EXTRA_PORTS too: it must not come back as
// an arrival.
void unplug_and_unlist(sim_instrument &sim);
