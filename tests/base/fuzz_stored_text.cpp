// Any bytes as a text value of a stored file (settings file, traffic log):
// it must read as valid UTF-8, and whatever the program writes back must read
// as the same text again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view stored(reinterpret_cast<const char*>(data), size);
    const std::string text = stored_text_to_utf8(stored);
    if (!is_valid_utf8(text)) std::abort();
    // Valid UTF-8 reads as it is; anything else is code page 1252, byte for byte.
    if (is_valid_utf8(stored) ? text != stored : utf8_to_cp1252(text) != stored) std::abort();
    const std::string written = utf8_to_stored_text(text);
    if (stored_text_to_utf8(written) != text) std::abort();
    return 0;
}
