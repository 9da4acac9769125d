// The resource identifiers of res/resource.h: two dialog templates, two
// strings or two commands with one number would make Windows load or send the
// wrong one, and windres only warns about it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

// Every "#define PREFIX_NAME number" of the header, by prefix and number.
std::map<std::string, std::map<long, std::vector<std::string>>> ids_by_prefix(const std::string& path) {
    std::map<std::string, std::map<long, std::vector<std::string>>> ids;
    std::ifstream in(path);
    const std::regex define(R"(^#define\s+((IDD|IDS|CMD)_\w+)\s+(\d+)\s*$)");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, define)) continue;
        const std::string name = m[1];
        if (name.ends_with("_FIRST")) continue;  // the first of a range, named twice on purpose
        ids[m[2]][std::stol(m[3])].push_back(name);
    }
    return ids;
}

TEST(ResourceIds, EachDialogStringAndCommandHasANumberOfItsOwn) {
    const auto ids = ids_by_prefix(std::string(KV_TEST_DATA_DIR) + "/../../res/resource.h");
    ASSERT_EQ(ids.size(), 3u) << "res/resource.h not read";
    for (const auto& [prefix, numbers] : ids)
        for (const auto& [number, names] : numbers)
            EXPECT_EQ(names.size(), 1u)
                << prefix << " " << number << ": " << names.front() << " and " << names.back();
}

}  // namespace
