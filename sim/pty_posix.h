// The pseudo-terminal the virtual dimmer sits behind. Clients open the slave
// side like a serial port; the simulator reads and writes the master side.
#pragma once

#include <string>

struct Pty {
    int master = -1;         // non-blocking
    int slave = -1;          // held open so the master survives clients closing theirs
    std::string slave_path;  // e.g. /dev/pts/7
};

bool pty_open(Pty& pty, std::string& error);
void pty_close(Pty& pty);

// Throws away bytes sent to the slave that nobody has read yet.
void pty_discard_unread(Pty& pty);

// Makes link_path a symlink to target, replacing an existing file or link.
bool make_symlink(const std::string& link_path, const std::string& target, std::string& error);
// Removes link_path if it is still a symlink to target.
void remove_symlink_to(const std::string& link_path, const std::string& target);
