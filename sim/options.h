// Command line of kv310r-sim.
#pragma once

#include <string>
#include <vector>

#include "sim/device_model.h"

struct SimArgs {
    SimConfig device;                // the dimmer at the first address; the others differ only in theirs
    std::vector<uint8_t> addresses;  // every address on the line, in the order given (--address 1,2,5-8)
    bool dip_given = false;          // --dip: the same switches for every dimmer
    std::string link_path;           // symlink to the pty's slave (e.g. a Wine COM port)
    std::string log_path;            // traffic log
    std::string load_path;           // parameter file loaded into the store at start
    std::string save_path;           // parameter file the store is saved to at exit
    std::string status_path;         // scripted status record, read whenever a request arrives
    std::string fault_switch_path;   // the line faults apply only while this file exists
    std::string unplug_switch_path;  // the line is unplugged while this file exists
    int replug_after_ms = -1;        // after vanishing, the line comes back after this long (-1: exit)
    double exit_after_s = 0;         // 0: serve until killed
    bool pace = false;               // send at the line rate of 38400 baud, 11 bits a byte
    int turnaround_ms = -1;          // -1: 0 without pacing, 2 with
    bool help = false;
    // --at ADDRESS:SETTING, in the order given: one dimmer of the line unlike the others.
    std::vector<std::pair<uint8_t, std::string>> settings_at;
};

// One dimmer's own setting of --at: "silent", "corrupt" (every reply byte
// altered), "late=MS" (each reply that much later), "version=C.c[,D1.d,D2.d]".
// False for anything else.
bool apply_dimmer_setting(SimConfig& cfg, const std::string& setting);

// Parses argv[1..]; on failure returns false with a message.
bool parse_sim_args(const std::vector<std::string>& args, SimArgs& out, std::string& error);

// DIP switch setting for RS485 control at the given address (switch order is
// reversed against the address bits).
void dip_for_rs485_address(uint8_t address, uint8_t dip[4]);

// One dimmer's settings per address on the line: the first address's
// settings with the address, and the DIP switches that follow it unless
// --dip set them.
std::vector<SimConfig> sim_bus_configs(const SimArgs& args);

const char* sim_usage();
