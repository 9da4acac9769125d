#include "params/param_file.h"
#include "tests/support/noise_record.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

ParameterRecord defaults() {
    ParameterRecord r;
    apply_defaults(r);
    return r;
}

bool same_bytes(const ParameterRecord& a, const ParameterRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The file text with the line of key replaced by "key=value".
std::string with_value(const std::string& text, const std::string& key, const std::string& value) {
    const std::string head = "\r\n" + key + "=";
    const size_t at = text.find(head);
    EXPECT_NE(at, std::string::npos) << key;
    const size_t end = text.find("\r\n", at + head.size());
    return text.substr(0, at + head.size()) + value + text.substr(end);
}

std::string without_key(const std::string& text, const std::string& key) {
    const std::string head = "\r\n" + key + "=";
    const size_t at = text.find(head);
    EXPECT_NE(at, std::string::npos) << key;
    const size_t end = text.find("\r\n", at + head.size());
    return text.substr(0, at) + text.substr(end);
}

TEST(ParamFileKeys, AreTheStoredNamesInFileOrder) {
    const std::vector<ParamFileKey>& keys = param_file_keys();
    ASSERT_EQ(keys.size(), PARAM_FILE_KEY_COUNT);
    std::set<std::string> names;
    for (const ParamFileKey& k : keys) names.insert(k.name);
    EXPECT_EQ(names.size(), keys.size()) << "duplicate key";

    const std::vector<std::string> first = {"w32_ver",  "d_A_5",    "d_A_3",    "d1_K_3_a",
                                            "d1_K_3_b", "d1_K_3_c", "d1_K_3_d", "d1_K_3e_a"};
    for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(keys[i].name, first[i]);
    // Dimmer 1's block of keys ends with these, then dimmer 2 starts over.
    const std::vector<std::string> block_end = {"d1_K_20", "d1_BTN_SP_ONOFF", "d1_K_18a", "d1_K_18",
                                                "d1_K_1",  "d1_K_2",          "d1_K_15",  "d2_K_3_a"};
    for (size_t i = 0; i < block_end.size(); ++i) EXPECT_EQ(keys[3 + 24 + i].name, block_end[i]);
    EXPECT_EQ(keys[3 + 2 * 31].name, "u1_v_0");
    EXPECT_EQ(keys[3 + 2 * 31 + 255].name, "u2_v_0");
    EXPECT_EQ(keys.back().name, "u2_v_254");
    EXPECT_EQ(names.count("u1_v_255") + names.count("u2_v_255"), 0u);

    for (const ParamFileKey& k : keys) {
        const int expected_width = k.name == "w32_ver" ? 32 : k.name.ends_with("_K_18") ? 16 : 8;
        EXPECT_EQ(k.width, expected_width) << k.name;
    }
    EXPECT_EQ(keys[3 + 25].offset,
              offsetof(ParameterRecord, dimmer) + offsetof(DimmerBlock, one_button_onoff_fade));
    EXPECT_EQ(keys.back().offset, offsetof(ParameterRecord, user_curve) + 2 * CURVE_POINTS - 2);
}

TEST(ParamFile, NewFileOfTheDefaultSetMatchesTheGoldenFile) {
    const std::string golden = read_bytes(KV_TEST_DATA_DIR "/default_parameter_file.ini");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(parameter_file_text(defaults()), golden);

    TempDir dir;
    const std::string path = dir.file("default.ini");
    ASSERT_TRUE(write_parameter_file(defaults(), path));
    EXPECT_EQ(read_bytes(path), golden);
}

TEST(ParamFile, WriteThenReadGivesTheSameRecord) {
    // Any validated record survives the round trip except for what the file
    // never holds: the version is always 101 and point 255 of each curve
    // comes back as its default.
    TempDir dir;
    const std::string path = dir.file("roundtrip.ini");
    uint32_t seed = 99;
    for (int round = 0; round < 5; ++round) {
        ParameterRecord r = noise_record(seed);
        validate_record(r);
        std::memset(r.reserved, 0, sizeof r.reserved);
        for (DimmerBlock& d : r.dimmer) std::memset(d.reserved, 0, sizeof d.reserved);
        ASSERT_TRUE(write_parameter_file(r, path));

        ParameterRecord back;
        ASSERT_TRUE(read_parameter_file(back, path));
        ParameterRecord expected = r;
        set_file_version(expected, 101);
        expected.user_curve[0][255] = 255;
        expected.user_curve[1][255] = 255;
        EXPECT_TRUE(same_bytes(back, expected)) << "round " << round;
    }
}

struct ReadCase {
    std::string name;
    std::function<std::string(const std::string&)> edit;  // of the default file text
    bool ok;
    std::function<void(const ParameterRecord&)> check;
};

TEST(ParamFile, ReadsOddFilesAsTheDeviceProgramAlwaysHas) {
    const std::string base = parameter_file_text(defaults());
    const std::vector<ReadCase> cases = {
        {"unchanged default file", [](const std::string& t) { return t; }, true,
         [](const ParameterRecord& r) {
             ParameterRecord expected = defaults();
             set_file_version(expected, 101);
             EXPECT_TRUE(same_bytes(r, expected));
         }},
        {"8-bit field keeps the low bits",
         [](const std::string& t) { return with_value(t, "d1_K_3_a", "300"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[0].minimum[0], 44); }},
        {"256 gives 0", [](const std::string& t) { return with_value(t, "d2_K_8", "256"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[1].preheat_time, 0); }},
        {"value validated after reading",
         [](const std::string& t) { return with_value(t, "d1_K_3_a", "150"); }, true,
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].minimum[0], 100);
             EXPECT_EQ(r.dimmer[0].maximum[0], 100);
         }},
        {"fade time keeps 16 bits", [](const std::string& t) { return with_value(t, "d1_K_18", "70000"); },
         true, [](const ParameterRecord& r) { EXPECT_EQ(fade_time(r.dimmer[0]), 4464); }},
        {"text after the number ignored",
         [](const std::string& t) { return with_value(t, "d1_K_6", "12abc"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[0].nondim_threshold, 12); }},
        {"blanks and a sign before the number",
         [](const std::string& t) { return with_value(t, "d_A_5", " \t+7"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.bus_failure_delay, 7); }},
        {"minus wraps like %u", [](const std::string& t) { return with_value(t, "d_A_5", "-1"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.bus_failure_delay, 255); }},
        {"more than 32 bits wrap",
         [](const std::string& t) { return with_value(t, "w32_ver", "4294967397"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(file_version(r), 101u); }},
        {"key names without regard to case",
         [](const std::string& t) {
             std::string s = without_key(t, "d2_K_13");
             return s + "D2_k_13=1\r\n";
         },
         true, [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[1].pot_activity, 1); }},
        {"version 100 without the on/off fade opens",
         [](const std::string& t) {
             return without_key(without_key(with_value(t, "w32_ver", "100"), "d1_BTN_SP_ONOFF"),
                                "d2_BTN_SP_ONOFF");
         },
         true,
         [](const ParameterRecord& r) {
             EXPECT_EQ(file_version(r), 100u);
             EXPECT_EQ(r.dimmer[0].one_button_onoff_fade, 0);
             EXPECT_EQ(r.dimmer[1].one_button_onoff_fade, 0);
             EXPECT_EQ(fade_time(r.dimmer[1]), 10);
             EXPECT_EQ(r.user_curve[1][254], default_user_curve(1)[254]);
         }},
        {"version 100 ignores an on/off fade present",
         [](const std::string& t) {
             return with_value(with_value(t, "w32_ver", "100"), "d1_BTN_SP_ONOFF", "33");
         },
         true, [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[0].one_button_onoff_fade, 0); }},
        {"version 101 reads the on/off fade",
         [](const std::string& t) { return with_value(t, "d2_BTN_SP_ONOFF", "33"); }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[1].one_button_onoff_fade, 33); }},
        {"version 101 without the on/off fade fails",
         [](const std::string& t) { return without_key(t, "d1_BTN_SP_ONOFF"); }, false,
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.dimmer[0].nondim_threshold, 10);
             EXPECT_EQ(fade_time(r.dimmer[0]), 0);
         }},
        {"missing key: earlier fields kept, later ones 0",
         [](const std::string& t) { return without_key(t, "d1_K_6"); }, false,
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.bus_failure_delay, 20);
             EXPECT_EQ(r.dimmer[0].maximum[3], 100);
             EXPECT_EQ(r.dimmer[0].characteristic[3], 1);
             EXPECT_EQ(r.dimmer[0].nondim_threshold, 0);
             EXPECT_EQ(r.dimmer[0].preheat_time, 0);
             EXPECT_EQ(r.dimmer[1].maximum[0], 0);
             EXPECT_EQ(r.user_curve[0][128], 0);
             EXPECT_EQ(r.user_curve[1][254], 0);
             EXPECT_EQ(marker_head(r), MARKER_HEAD);
             EXPECT_EQ(marker_tail(r), MARKER_TAIL);
         }},
        {"empty value fails", [](const std::string& t) { return with_value(t, "d2_K_15", ""); }, false,
         nullptr},
        {"value without digits fails", [](const std::string& t) { return with_value(t, "u1_v_7", "abc"); },
         false,
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.user_curve[0][6], default_user_curve(0)[6]);
             EXPECT_EQ(r.user_curve[0][7], 0);
         }},
        {"lone sign fails", [](const std::string& t) { return with_value(t, "d1_K_1", "-"); }, false,
         nullptr},
        {"truncated file fails", [](const std::string& t) { return t.substr(0, t.find("u2_v_100=")); }, false,
         [](const ParameterRecord& r) {
             EXPECT_EQ(r.user_curve[1][99], default_user_curve(1)[99]);
             EXPECT_EQ(r.user_curve[1][100], 0);
         }},
        {"empty file fails with all zeros but the unstored points",
         [](const std::string&) { return std::string(); }, false,
         [](const ParameterRecord& r) {
             ParameterRecord zeros;
             std::memset(&zeros, 0, sizeof zeros);
             zeros.user_curve[0][255] = 255;
             zeros.user_curve[1][255] = 255;
             validate_record(zeros);
             EXPECT_TRUE(same_bytes(r, zeros));
         }},
        {"keys in another section do not count",
         [](const std::string& t) {
             std::string s = t;
             s.replace(0, 8, "[OTHER]");
             return s;
         },
         false, nullptr},
        {"other sections and comments are no obstacle",
         [](const std::string& t) { return "[A]\r\nd1_K_6=99\r\n; note\r\n" + t + "[B]\r\nx=1\r\n"; }, true,
         [](const ParameterRecord& r) { EXPECT_EQ(r.dimmer[0].nondim_threshold, 10); }},
    };
    TempDir dir;
    const std::string path = dir.file("odd.ini");
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        write_bytes(path, c.edit(base));
        ParameterRecord r;
        std::memset(&r, 0xCD, sizeof r);
        EXPECT_EQ(read_parameter_file(r, path), c.ok);
        ParameterRecord validated = r;
        validate_record(validated);
        EXPECT_TRUE(same_bytes(r, validated)) << "result not validated";
        if (c.check) c.check(r);
    }
}

TEST(ParamFile, MissingFileFailsLikeAnEmptyOne) {
    TempDir dir;
    ParameterRecord r;
    EXPECT_FALSE(read_parameter_file(r, dir.file("nothing-here.ini")));
    EXPECT_EQ(marker_head(r), MARKER_HEAD);
    EXPECT_EQ(r.dimmer[0].maximum[0], 0);
}

TEST(ParamFile, SavingKeepsTheRestOfAnExistingFile) {
    TempDir dir;
    const std::string path = dir.file("shared.ini");
    write_bytes(path,
                "; settings shared with another tool\r\n"
                "[Other]\r\nname=value\r\n\r\n"
                "[KV310R]\r\nd1_K_3_a=7\r\nmy_note=Pr\xFC"
                "fer M\xFCller\r\n"
                "[Tail]\r\nlast=1\r\n");
    ParameterRecord r = defaults();
    r.dimmer[0].minimum[0] = 12;
    ASSERT_TRUE(write_parameter_file(r, path));

    const std::string text = read_bytes(path);
    EXPECT_EQ(text.rfind("; settings shared with another tool\r\n[Other]\r\nname=value\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n[Tail]\r\nlast=1"), std::string::npos);
    EXPECT_NE(text.find("\r\nmy_note=Pr\xFC"
                        "fer M\xFCller\r\n"),
              std::string::npos);  // texts of others byte for byte
    EXPECT_NE(text.find("\r\nd1_K_3_a=12\r\n"), std::string::npos);
    EXPECT_EQ(text.find("d1_K_3_a=7"), std::string::npos);
    ParameterRecord back;
    ASSERT_TRUE(read_parameter_file(back, path));
    EXPECT_EQ(back.dimmer[0].minimum[0], 12);
}

TEST(ParamFile, FailedSaveLeavesEverythingAsItWas) {
    TempDir dir;
    const ParameterRecord r = defaults();

    const std::string missing_folder = (dir.path / "no-such-folder" / "p.ini").string();
    EXPECT_FALSE(write_parameter_file(r, missing_folder));
    EXPECT_FALSE(std::filesystem::exists(dir.path / "no-such-folder"));

    const std::filesystem::path folder = dir.path / "a-folder.ini";
    std::filesystem::create_directory(folder);
    write_bytes((folder / "inside.txt").string(), "x");
    EXPECT_FALSE(write_parameter_file(r, folder.string()));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(read_bytes((folder / "inside.txt").string()), "x");

    // Nothing but the folder and its file is left behind (no temporary files).
    size_t entries = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

}  // namespace
