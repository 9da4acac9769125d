// The outcome of everything the link does below a user command: the codec,
// the port, the drain, the transactions and the commands built on them.
#pragma once

#include <cstdint>

enum class [[nodiscard]] LinkStatus : int32_t{
    LINK_OK = 0,
    LINK_ERR_NO_PORT = 10000,  // no port name configured
    LINK_ERR_PORT = 10001,     // the port cannot be opened, is closed, or a write failed
    LINK_ERR_COMM = 10003,     // no matching reply in time, or a frame that would not fit
    LINK_CANCELLED = 20000,    // "Abbruch" in the busy window
};
using enum LinkStatus;  // the codes keep the names the link has always used

// Each LINK_ERR_ code is an error and has a message of its own
// (link_status_message in link.h); LINK_CANCELLED is a cancellation, which
// shows nothing; LINK_OK is success.
constexpr bool link_is_error(LinkStatus status) {
    switch (status) {
        case LINK_ERR_NO_PORT:
        case LINK_ERR_PORT:
        case LINK_ERR_COMM:
            return true;
        case LINK_OK:
        case LINK_CANCELLED:
            return false;
    }
    return false;
}

constexpr bool link_is_cancel(LinkStatus status) { return status == LINK_CANCELLED; }
