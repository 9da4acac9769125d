// A fresh folder under the system temp folder for one test, removed afterwards.
#pragma once

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

struct TempDir {
    std::filesystem::path path;

    TempDir()
    {
        std::random_device rd;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path = std::filesystem::temp_directory_path() /
               ("kv310r-test-" + std::to_string(rd()) + "-" + std::to_string(stamp));
        std::filesystem::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // A UTF-8 path inside the folder, as the program passes paths around.
    std::string file(const std::string& name) const { return utf8(path / std::filesystem::path(as_u8(name))); }

    static std::u8string as_u8(const std::string& s) { return std::u8string(s.begin(), s.end()); }
    static std::string utf8(const std::filesystem::path& p)
    {
        std::u8string u = p.u8string();
        return std::string(u.begin(), u.end());
    }
};
