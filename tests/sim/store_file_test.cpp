// The parameter store's factory state and its parameter-file round trip.
#include <gtest/gtest.h>

#include <cstring>

#include "params/record.h"
#include "sim/store_file.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SimStore, FactoryStateIsTheDefaultSetWithMarkers) {
    std::array<uint8_t, TRANSFER_IMAGE_SIZE> store = factory_store();
    ParameterRecord defaults;
    apply_defaults(defaults);
    EXPECT_EQ(get_u32le(store.data()), MARKER_HEAD);
    EXPECT_EQ(get_u32le(store.data() + DEVICE_IMAGE_SIZE - 4), MARKER_TAIL);
    EXPECT_EQ(0, std::memcmp(store.data(), device_image(defaults), DEVICE_IMAGE_SIZE));
    for (size_t i = DEVICE_IMAGE_SIZE; i < TRANSFER_IMAGE_SIZE; ++i) ASSERT_EQ(store[i], 0) << i;
}

TEST(SimStore, SavedStoreLoadsBackAndMissingFileFails) {
    TempDir dir;
    std::array<uint8_t, TRANSFER_IMAGE_SIZE> store = factory_store();
    // A changed field and a changed curve point survive the trip.
    store[DEVICE_IMAGE_OFFSET + 10] = 99;  // user curve 1
    store[offsetof(ParameterRecord, bus_failure_delay) - DEVICE_IMAGE_OFFSET] = 42;
    std::string path = dir.file("Parameter.ini");
    ASSERT_TRUE(save_store(path, store.data()));

    uint8_t loaded[TRANSFER_IMAGE_SIZE];
    std::memset(loaded, 0xAA, sizeof loaded);
    ASSERT_TRUE(load_store(path, loaded));
    EXPECT_EQ(0, std::memcmp(loaded, store.data(), TRANSFER_IMAGE_SIZE));

    EXPECT_FALSE(load_store(dir.file("missing.ini"), loaded));
}

}  // namespace
