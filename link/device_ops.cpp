#include "link/device_ops.h"

#include <cstdio>
#include <cstring>

#include "link/busy.h"
#include "link/commands.h"
#include "link/link.h"
#include "link/transactions.h"

namespace {

constexpr const char* TEXT_TRANSFER = "Kommunikation mit KV-310-R";

TransferProgressHook g_progress_hook = nullptr;

void report_progress(int done) {
    if (g_progress_hook) g_progress_hook(done, PARAMETER_BLOCKS);
}

uint8_t* transfer_block(uint8_t* image, int index) { return image + index * PARAMETER_BLOCK_SIZE; }

// A cancellation during the drain is not acted on here: the busy window's
// cancel flag stays set, so the first wait that follows ends the operation.
void drain_late_replies() { (void)link_drain(DRAIN_MS); }

void open_busy(BusyKind kind, const char* text) {
    busy_open(kind);
    busy_set_text(text);
}

bool fetch(WindowRef owner, StatusSlots& slots, uint8_t flag1, uint16_t value1, uint8_t flag2,
           uint16_t value2) {
    open_busy(BusyKind::status, "Status..");
    drain_late_replies();
    const LinkStatus code = status_transaction(slots, flag1, value1, flag2, value2);
    if (operation_failed(code, owner)) return false;
    link_close();
    busy_close();
    return true;
}

}  // namespace

void set_transfer_progress_hook(TransferProgressHook hook) { g_progress_hook = hook; }

bool firmware_version(WindowRef owner) {
    open_busy(BusyKind::test, "Hardware-Test..");
    VersionData version;
    if (operation_failed(connection_test(version), owner)) return true;
    busy_close();
    char text[160];
    std::snprintf(text, sizeof text, "KV-310-R-Firmware-Version V%u.%u\r\nDimmer 1 %.32s\r\nDimmer 2 %.32s",
                  unsigned(version.controller_major), unsigned(version.controller_minor),
                  dimmer_version_text(version, 0).c_str(), dimmer_version_text(version, 1).c_str());
    message_box(owner, KV_MB_INFO, text);
    return true;
}

bool status_fetch(WindowRef owner, StatusSlots& slots) { return fetch(owner, slots, 0, 0, 0, 0); }

bool status_fetch_drive(WindowRef owner, StatusSlots& slots, uint8_t flag1, uint16_t value1, uint8_t flag2,
                        uint16_t value2) {
    return fetch(owner, slots, flag1, value1, flag2, value2);
}

LinkStatus send_parameter_set(const ParameterRecord& record) {
    uint8_t image[TRANSFER_IMAGE_SIZE] = {};
    std::memcpy(image, device_image(record), DEVICE_IMAGE_SIZE);
    drain_late_replies();
    // The dimmer takes the blocks only into a freshly reset parameter set.
    if (const LinkStatus reset = reset_transaction(); reset != LINK_OK) return reset;
    for (int i = 0; i < PARAMETER_BLOCKS; ++i) {
        if (const LinkStatus written = write_block(i, transfer_block(image, i)); written != LINK_OK)
            return written;
        report_progress(i + 1);
    }
    return LINK_OK;
}

LinkStatus receive_parameter_set(ParameterRecord& record, bool& markers_valid) {
    drain_late_replies();
    uint8_t image[TRANSFER_IMAGE_SIZE] = {};
    for (int i = 0; i < PARAMETER_BLOCKS; ++i) {
        if (const LinkStatus read = read_block(i, transfer_block(image, i)); read != LINK_OK) return read;
        report_progress(i + 1);
    }
    const uint32_t head = get_u32le(image);
    const uint32_t tail = get_u32le(image + DEVICE_IMAGE_SIZE - 4);
    markers_valid = head == MARKER_HEAD && tail == MARKER_TAIL;
    if (markers_valid)
        std::memcpy(device_image(record), image, DEVICE_IMAGE_SIZE);
    else
        std::memset(device_image(record), 0, DEVICE_IMAGE_SIZE);
    return LINK_OK;
}

bool write_parameter_set(WindowRef owner, const ParameterRecord& record) {
    open_busy(BusyKind::config, TEXT_TRANSFER);
    if (operation_failed(send_parameter_set(record), owner)) return false;
    busy_close();
    message_box(owner, KV_MB_INFO, "PC-Parameter wurden im Dimmer abgespeichert");
    return true;
}

bool read_parameter_set(WindowRef owner, ParameterRecord& record) {
    open_busy(BusyKind::config, TEXT_TRANSFER);
    bool markers_valid = false;
    if (operation_failed(receive_parameter_set(record, markers_valid), owner)) return false;
    busy_close();
    if (markers_valid)
        message_box(owner, KV_MB_INFO, "Dimmerparameter wurden zum PC übertragen");
    else
        message_box(owner, KV_MB_ERROR, "Parametersatz in Standardvoreinstellung");
    return true;
}

void finish_parameter_read(ParameterRecord& record) {
    if (marker_head(record) != MARKER_HEAD || marker_tail(record) != MARKER_TAIL) apply_defaults(record);
    validate_record(record);
}
