#include "link/monitor_view.h"

#include "base/file_io.h"
#include "base/version.h"
#include "link/monitor_feed.h"

namespace {

constexpr char LOG_HEADER[] = KV_PRODUCT_NAME "\nV" KV_VERSION_TEXT "\n";

void close_log(MonitorView& view) {
    if (view.log) std::fclose(view.log);
    view.log = nullptr;
}

void end_line(MonitorView& view, const MonitorList& list) {
    if (view.line.empty()) return;  // CR LF pairs and blank lines add nothing
    while (list.count(list.context) > MONITOR_LIST_KEEP) list.delete_first(list.context);
    list.add_and_select(list.context, view.line);
    view.line.clear();
}

void show_byte(MonitorView& view, const MonitorList& list, unsigned char c) {
    if (c == '\r' || c == '\n') {
        end_line(view, list);
    } else if (view.line.size() < MONITOR_LINE_CHARS) {
        view.line += (c < 0x20 || c > 0x7f) ? '-' : char(c);
    }
}

}  // namespace

void monitor_view_open(MonitorView& view, const std::string& dir) {
    view.transfer.clear();
    view.line.clear();
    view.paused = false;
    view.in_tick = false;
    monitor_feed_reset();
    monitor_feed_set_active(true);
    close_log(view);
    view.log = create_file_for_writing(dir + MONITOR_LOG_NAME);
    if (view.log) {
        std::fputs(LOG_HEADER, view.log);
        std::fflush(view.log);
    }
}

void monitor_view_close(MonitorView& view) {
    monitor_feed_set_active(false);
    monitor_feed_reset();
    view.transfer.clear();
    view.line.clear();
    view.paused = false;
    close_log(view);
}

void monitor_view_tick(MonitorView& view, const MonitorList& list) {
    if (view.in_tick) return;
    view.in_tick = true;
    const size_t have = view.transfer.size();
    view.transfer.resize(MONITOR_TRANSFER_SIZE);
    view.transfer.resize(have + monitor_feed_take(view.transfer.data() + have, MONITOR_TRANSFER_SIZE - have));
    if (!view.paused && !view.transfer.empty()) {
        if (view.log) {
            std::fwrite(view.transfer.data(), 1, view.transfer.size(), view.log);
            std::fflush(view.log);
        }
        for (char c : view.transfer) show_byte(view, list, static_cast<unsigned char>(c));
        view.transfer.clear();
    }
    view.in_tick = false;
}

const char* monitor_view_toggle_pause(MonitorView& view) {
    view.paused = !view.paused;
    return view.paused ? "Starten" : "Anhalten";
}
