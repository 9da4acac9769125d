// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

struct TempDir {
    std::filesystem::path path;

    TempDir() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path = std::filesystem::temp_directory_path() /
               ("kv310r-test-" + std::to_string(stamp) + "-" + std::to_string(std::random_device{}()) + "-" +
                std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        // A test may have made the folder read-only to provoke a failed write.
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The full path of name (UTF-8) inside the folder, UTF-8 as the program
    // spells paths, so names with umlauts work on Windows too.
    std::string file(std::string_view name) const { return utf8(path / std::filesystem::path(as_u8(name))); }

    static std::u8string as_u8(std::string_view s) { return std::u8string(s.begin(), s.end()); }
    static std::string utf8(const std::filesystem::path& p) {
        const std::u8string u = p.u8string();
        return std::string(u.begin(), u.end());
    }
};

inline void write_bytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(std::filesystem::path(TempDir::as_u8(path)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string read_bytes(const std::string& path) {
    std::ifstream in(std::filesystem::path(TempDir::as_u8(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
