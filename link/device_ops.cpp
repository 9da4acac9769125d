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

// "%u.%u", or empty while the dimmer reports major version 0.
void dimmer_version_text(const VersionData& version, int dimmer, char* out, size_t size) {
    out[0] = '\0';
    if (version.dimmer_major[dimmer] != 0)
        std::snprintf(out, size, "%u.%u", unsigned(version.dimmer_major[dimmer]),
                      unsigned(version.dimmer_minor[dimmer]));
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
    char dimmer1[32];
    char dimmer2[32];
    dimmer_version_text(version, 0, dimmer1, sizeof dimmer1);
    dimmer_version_text(version, 1, dimmer2, sizeof dimmer2);
    char text[160];
    std::snprintf(text, sizeof text, "KV-310-R-Firmware-Version V%u.%u\r\nDimmer 1 %.32s\r\nDimmer 2 %.32s",
                  unsigned(version.controller_major), unsigned(version.controller_minor), dimmer1, dimmer2);
    message_box(owner, KV_MB_INFO, text);
    return true;
}

bool status_fetch(WindowRef owner, StatusSlots& slots) { return fetch(owner, slots, 0, 0, 0, 0); }

bool status_fetch_drive(WindowRef owner, StatusSlots& slots, uint8_t flag1, uint16_t value1, uint8_t flag2,
                        uint16_t value2) {
    return fetch(owner, slots, flag1, value1, flag2, value2);
}

bool write_parameter_set(WindowRef owner, const ParameterRecord& record) {
    open_busy(BusyKind::config, TEXT_TRANSFER);
    uint8_t image[TRANSFER_IMAGE_SIZE] = {};
    std::memcpy(image, device_image(record), DEVICE_IMAGE_SIZE);
    drain_late_replies();
    // The dimmer takes the blocks only into a freshly reset parameter set.
    if (operation_failed(reset_transaction(), owner)) return false;
    for (int i = 0; i < PARAMETER_BLOCKS; ++i) {
        if (operation_failed(write_block(i, transfer_block(image, i)), owner)) return false;
        report_progress(i + 1);
    }
    busy_close();
    message_box(owner, KV_MB_INFO, "PC-Parameter wurden im Dimmer abgespeichert");
    return true;
}

bool read_parameter_set(WindowRef owner, ParameterRecord& record) {
    open_busy(BusyKind::config, TEXT_TRANSFER);
    drain_late_replies();
    uint8_t image[TRANSFER_IMAGE_SIZE] = {};
    for (int i = 0; i < PARAMETER_BLOCKS; ++i) {
        if (operation_failed(read_block(i, transfer_block(image, i)), owner)) return false;
        report_progress(i + 1);
    }
    busy_close();
    const uint32_t head = get_u32le(image);
    const uint32_t tail = get_u32le(image + DEVICE_IMAGE_SIZE - 4);
    if (head == MARKER_HEAD && tail == MARKER_TAIL) {
        std::memcpy(device_image(record), image, DEVICE_IMAGE_SIZE);
        message_box(owner, KV_MB_INFO, "Dimmerparameter wurden zum PC übertragen");
    } else {
        std::memset(device_image(record), 0, DEVICE_IMAGE_SIZE);
        message_box(owner, KV_MB_ERROR, "Parametersatz in Standardvoreinstellung");
    }
    return true;
}

void finish_parameter_read(ParameterRecord& record) {
    if (marker_head(record) != MARKER_HEAD || marker_tail(record) != MARKER_TAIL) apply_defaults(record);
    validate_record(record);
}
