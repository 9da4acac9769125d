// The serial port on Windows: a COM port opened by name ("COM3",
// "\\.\COM12"), set up for the dimmer and read without blocking.
#include <windows.h>

#include <mmsystem.h>

#include <string>

#include "port/port.h"
#include "port/utf16_win.h"

namespace {

HANDLE to_handle(PortHandle port) { return reinterpret_cast<HANDLE>(port); }

// On a working port ClearCommError succeeds (and clears a pending line
// error). Once the device behind the handle is gone it fails: on Windows with
// the driver's error, under Wine on a pseudo-terminal whose other end closed
// with ERROR_NOT_READY.
bool device_gone(PortHandle port) {
    DWORD errors = 0;
    return !ClearCommError(to_handle(port), &errors, nullptr);
}

}  // namespace

PortHandle port_open(const char* name) {
    // Exclusive (no sharing), existing device only, no overlapped I/O.
    HANDLE h =
        CreateFileW(widen(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return PORT_INVALID;

    // The results of the set-up steps are not checked: some drivers (and
    // Wine on a pseudo-terminal) refuse single steps, e.g. raising DTR, and
    // the port still carries the dimmer's traffic.

    // A read returns at once with whatever is buffered, possibly nothing.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 5;
    timeouts.WriteTotalTimeoutConstant = 5;
    SetCommTimeouts(h, &timeouts);

    SetupComm(h, 2048, 2048);

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(h, &dcb);
    BuildCommDCBA("38400,n,8,2", &dcb);
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    // Frames are binary: software flow control would swallow 0x11 and 0x13,
    // and abort-on-error would stop every read after a framing error.
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fAbortOnError = FALSE;
    SetCommState(h, &dcb);

    SetCommMask(h, 0xFFFFFFFF);

    // RTS stays raised while the port is open; the RS485 adapter switches the
    // direction itself.
    EscapeCommFunction(h, SETDTR);
    EscapeCommFunction(h, SETRTS);

    // The wait loops sleep a millisecond between empty polls; the default
    // system timer would make that up to 15.6 ms and slow every transfer.
    timeBeginPeriod(1);
    return reinterpret_cast<PortHandle>(h);
}

void port_close(PortHandle port) {
    if (port == PORT_INVALID) return;
    CloseHandle(to_handle(port));
    timeEndPeriod(1);
}

int port_read(PortHandle port, uint8_t* buffer, size_t max) {
    if (port == PORT_INVALID) return -1;
    DWORD got = 0;
    const bool read = ReadFile(to_handle(port), buffer, DWORD(max), &got, nullptr);
    if (read && got > 0) return int(got);
    // A read that failed or found nothing: a line error, nothing waiting, or
    // the device gone. Windows fails the read of a vanished USB adapter
    // (ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND, ERROR_GEN_FAILURE,
    // ERROR_DEVICE_NOT_CONNECTED or ERROR_OPERATION_ABORTED, by driver);
    // Wine reads a pseudo-terminal whose other end closed as empty, with
    // success. Only the device check tells them apart.
    return device_gone(port) ? -1 : 0;
}

int port_write(PortHandle port, const uint8_t* bytes, size_t count) {
    if (port == PORT_INVALID) return -1;
    DWORD written = 0;
    if (!WriteFile(to_handle(port), bytes, DWORD(count), &written, nullptr)) {
        // Windows and Wine alike fail the write once the device is gone (Wine
        // with ERROR_NOT_READY on a pseudo-terminal); a line error only
        // loses what was not written.
        return device_gone(port) ? -1 : int(written);
    }
    // Wine on a pseudo-terminal reports success with 0 bytes written although
    // the bytes go out. A real port with flow control off cannot stall, so a
    // successful write that reports nothing is taken as complete; a missing
    // byte would show up as a missing reply anyway.
    if (written == 0 && count > 0) return int(count);
    return int(written);
}

void port_wait_readable(PortHandle port, unsigned max_ms) {
    if (port != PORT_INVALID) {
        DWORD errors = 0;
        COMSTAT stat = {};
        if (ClearCommError(to_handle(port), &errors, &stat) && stat.cbInQue > 0) return;
    }
    // A non-overlapped handle cannot wait for a comm event with a time-out, so
    // sleep the short time; timeBeginPeriod(1) makes it about a millisecond.
    Sleep(max_ms);
}
