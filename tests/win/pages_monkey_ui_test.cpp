// Two thousand random edits, clicks, keys and imports on the three editing
// pages: after every step the program is alive and the set is one that
// validation would not change.
#include "tests/win/pages_ui_test.h"

#include "win/page_controls.h"
#include "params/file_commands.h"
#include "res/resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

const char* const TEXTS[] = {"",   "0",  "5",     "42",    "100", "150",    "255",         "256", "300",
                             "-1", "-5", "60000", "70000", "abc", " 12abc", "99999999999", "\t7", "1e3"};

TEST_F(ShellTest, MonkeyEditsAndClicksKeepTheSetValid) {
    std::string good = dir.file("gut.txt"), few = dir.file("wenig.txt");
    std::string text;
    for (int i = 0; i < 256; ++i) text += std::to_string((i * 37) % 300) + " ";
    write_bytes(good, text);
    write_bytes(few, "1 2 3");
    const std::string files[] = {good, few, dir.file("fehlt.txt")};

    const char* seed_text = std::getenv("KV_MONKEY_SEED");
    const unsigned seed = seed_text ? unsigned(std::strtoul(seed_text, nullptr, 10)) : 310u;
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return size_t(rng() % n); };
    std::vector<int> edits[2], buttons[2];  // by page_index of the editing pages
    for (Page edited : EDIT_PAGES)
        for (const PageControl& c : page_controls(edited))
            (c.slot.field->kind == FieldKind::number ? edits : buttons)[page_index(edited)].push_back(c.id);

    start();
    stop_watching();  // nothing here reads the notes; the hook would triple the time
    const DWORD started = GetTickCount();
    for (int step = 0; step < 2000; ++step) {
        // A page stays for a few steps: showing one repaints all of it.
        if (pick(8) == 0) select_page(page_at(int(pick(3))));
        const Page shown = *selected_page();
        const int tab = page_index(shown);
        HWND page = current_page();
        const size_t action = pick(10);
        if (shown == Page::user_curves) {
            if (action < 6) {
                if (action < 4) ui.file_answers.push_back(FileDialogResult{files[pick(3)], 1});
                click(*this, page, IDC_CURVE_IMPORT1 + int(pick(2)));
            } else {
                press(action < 8 ? VK_TAB : VK_RETURN, false, false);
            }
        } else if (action < 5) {
            type_into(*this, page, edits[tab][pick(edits[tab].size())], TEXTS[pick(std::size(TEXTS))]);
            if (action == 0)
                press(VK_RETURN, false, false);
            else if (action == 1)
                press(VK_TAB, false, false);
            else if (action == 2)
                leave(*this);
        } else if (action < 9) {
            click(*this, page, buttons[tab][pick(buttons[tab].size())]);
        } else {
            press(VK_ESCAPE, false, false);
        }
        ASSERT_TRUE(IsWindow(main_window())) << "step " << step << ", seed " << seed;
        ParameterRecord validated = live_record();
        validate_record(validated);
        ASSERT_EQ(std::memcmp(&validated, &live_record(), sizeof validated), 0)
            << "step " << step << ", seed " << seed;
    }
    // About 30 s under Wine on a busy two-core machine; the steps are fixed, not the time.
    std::printf("monkey: 2000 steps in %lu ms (seed %u)\n",
                static_cast<unsigned long>(GetTickCount() - started), seed);
}

}  // namespace
