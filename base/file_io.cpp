#include "base/file_io.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <io.h>     // _commit
#include <share.h>  // _SH_DENYWR
#else
#include <fcntl.h>
#include <unistd.h>  // fsync
#endif

namespace fs = std::filesystem;

namespace {

// UTF-8 text to a path. On Windows this yields the UTF-16 name, so the wide
// file functions see the real characters whatever the ANSI code page is.
// Long absolute paths get the "\\?\" prefix there, which lifts the 260
// character limit of the classic Windows file functions.
std::optional<fs::path> to_path(const std::string& utf8) {
    if (utf8.empty()) return std::nullopt;
    try {
        fs::path p(std::u8string(utf8.begin(), utf8.end()));
#if defined(_WIN32)
        const std::wstring& w = p.native();
        if (w.size() >= 240 && p.is_absolute() && w.rfind(L"\\\\?\\", 0) != 0) {
            std::wstring full = p.lexically_normal().make_preferred().native();
            if (full.rfind(L"\\\\", 0) == 0)
                p = fs::path(L"\\\\?\\UNC\\" + full.substr(2));
            else
                p = fs::path(L"\\\\?\\" + full);
        }
#endif
        return p;
    } catch (const std::exception&) {
        return std::nullopt;  // not valid UTF-8
    }
}

FILE* open_file(const fs::path& p, bool write) {
#if defined(_WIN32)
    return _wfopen(p.c_str(), write ? L"wb" : L"rb");
#else
    return std::fopen(p.c_str(), write ? "wb" : "rb");
#endif
}

// The data must be on the disk before the rename makes it visible under the
// real name; otherwise a crash soon after could leave an empty file.
bool flush_to_disk(FILE* f) {
    if (std::fflush(f) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(f)) == 0;
#else
    return fsync(fileno(f)) == 0;
#endif
}

#if !defined(_WIN32)
// The rename itself is a change of the folder; sync it too.
void sync_directory(const fs::path& dir) {
    int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}
#endif

// A name beside the target that no other writer picks at the same time.
fs::path temp_name_for(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    unsigned stamp = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    fs::path tmp = target;
    std::string suffix = ".";
    suffix += std::to_string(seed ^ stamp);
    suffix += '-';
    suffix += std::to_string(counter++);
    suffix += ".tmp";
    tmp += suffix;
    return tmp;
}

}  // namespace

std::optional<std::string> read_file(const std::string& path, size_t max_bytes) {
    std::optional<fs::path> p = to_path(path);
    if (!p) return std::nullopt;
    FILE* f = open_file(*p, false);
    if (!f) return std::nullopt;
    std::string data;
    char buffer[16384];
    size_t n;
    bool too_large = false;
    while (!too_large && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        too_large = n > max_bytes - data.size();
        if (!too_large) data.append(buffer, n);
    }
    bool failed = too_large || std::ferror(f) != 0;  // ferror: e.g. a folder opened as a file
    std::fclose(f);
    if (failed) return std::nullopt;
    return data;
}

bool read_file_blocks(const std::string& path, size_t block_size,
                      const std::function<bool(std::string_view block)>& take) {
    std::optional<fs::path> p = to_path(path);
    if (!p || block_size == 0) return false;
    FILE* f = open_file(*p, false);
    if (!f) return false;
    std::string block(block_size, '\0');
    size_t n;
    bool wanted = true;
    while (wanted && (n = std::fread(block.data(), 1, block_size, f)) > 0)
        wanted = take(std::string_view(block.data(), n));
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    return !failed;
}

bool write_file_atomic(const std::string& path, std::string_view content) {
    std::optional<fs::path> target = to_path(path);
    if (!target) return false;
    std::error_code ec;
    fs::file_status old = fs::status(*target, ec);
    if (fs::is_directory(old)) return false;
    // A read-only file stays as it is, as Windows refuses to write to one.
    bool exists = fs::exists(old);
    if (exists && (old.permissions() & fs::perms::owner_write) == fs::perms::none) return false;

    fs::path tmp = temp_name_for(*target);
    FILE* f = open_file(tmp, true);
    if (!f) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    ok = flush_to_disk(f) && ok;
    ok = std::fclose(f) == 0 && ok;

    if (ok) {
#if !defined(_WIN32)
        if (exists)  // keep the mode the file had
            fs::permissions(tmp, old.permissions(), ec);
#endif
        fs::rename(tmp, *target, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(tmp, ec);
        return false;
    }
#if !defined(_WIN32)
    sync_directory(target->parent_path());
#endif
    return true;
}

bool file_exists(const std::string& path) {
    std::optional<fs::path> p = to_path(path);
    std::error_code ec;
    return p && fs::is_regular_file(*p, ec);
}

std::FILE* create_file_for_writing(const std::string& path) {
    const std::optional<fs::path> p = to_path(path);
    if (!p) return nullptr;
    std::error_code ec;
    fs::remove(*p, ec);
#if defined(_WIN32)
    return _wfsopen(p->c_str(), L"wb", _SH_DENYWR);
#else
    return std::fopen(p->c_str(), "wb");
#endif
}
